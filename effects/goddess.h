#pragma once
// Pictures flashed onto the frame on loud beats: a beat switches to the
// next of seven pictures, places it at a random spot at full size, and it
// then shrinks toward its centre until it vanishes or the next beat
// replaces it. Added with saturation, it lights up whatever lies below.
#include <array>

#include "engine/base.h"

class Goddess : public NORVALE_VIRELLO::Base {
public:
    void draw() override;

    static constexpr std::array<const char*, 7> kPictures = {
        "goddess1.jpg", "goddess2.jpg", "goddess3.jpg", "goddess4.jpg",
        "goddess5.jpg", "goddess6.jpg", "goddess7.jpg"};

    // The animation is shared by every Goddess for the whole run.
    static inline int lastPosition = 0;
    static inline int sinceSwitch = 0;  // elapsed ms added up since the last switch
    static inline int imageIndex = 0;   // into kPictures
    static inline float spriteScale = 1.0f;
    static inline int centreX = 51;
    static inline int centreY = 44;
};
