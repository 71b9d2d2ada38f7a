#pragma once
// The engine's effect base class. Every effect derives from it; the engine
// owns registered effects and destroys them through the virtual destructor.

namespace NORVALE_VIRELLO {

class Base {
public:
    // Cleared by init and read by nobody: no effect here needs a per-effect
    // mark. Kept because it is part of the class every effect derives from.
    bool flag = false;
    float time = 0.0f;          // song position of the current frame, ms
    unsigned int startTime = 0;  // interval of the effect, ms
    unsigned int endTime = 0;

    virtual ~Base();
    // Stores the interval, clears flag, returns true.
    virtual bool init(unsigned long start, unsigned long end);
    // Stores the position in time.
    virtual void update(float position);
    virtual void draw() = 0;
    // Does nothing and is never called: effects free what they own in their
    // destructors, which the engine runs at vrlShutDown. Kept as the slot an
    // effect that must let go early would override.
    virtual void release();
};

}  // namespace NORVALE_VIRELLO
