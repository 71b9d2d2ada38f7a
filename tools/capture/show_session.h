#pragma once
// The show's engine, driven by the capture tool on the manual clock: the
// show's start-up sequence, then one call per frame.
#include <vector>

#include "driver/show_loading.h"
#include "tools/capture/blocks.h"

using EffectRegistrar = void (*)();

class ShowSession {
public:
    // Runs the show's start-up in the current working directory on the
    // manual clock, whatever `loading` says of the clock.
    explicit ShowSession(ShowLoading loading = {});
    ~ShowSession();
    ShowSession(const ShowSession&) = delete;
    ShowSession& operator=(const ShowSession&) = delete;

    // The show's frame at `ms` (renderShowFrameAt). Returns the processor
    // time it took, in microseconds: the effects' and the clear's.
    double renderFrame(int ms);

    // False when the loading's quit check stopped the start-up: no frame
    // may then be drawn.
    bool loaded() const { return loaded_; }
    const unsigned int* frameBuffer() const;
    // The effects' loudness at the latched position.
    float energy() const;
    // The registered effects, labelled by class where the show's table is used.
    std::vector<TimelineRow> timeline() const;

private:
    bool loaded_ = false;
};
