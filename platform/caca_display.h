#pragma once
// The classic picture: libcaca's characters at 80 x 50, no frame-rate cap
// unless one was asked for.
#include <cstdint>

#include "platform/caca_console.h"
#include "platform/frame_display.h"
#include "platform/frame_pacer.h"

class CacaDisplay : public FrameDisplay {
public:
    // `bitmap` describes the frames' layout (caca_create_bitmap); null draws nothing
    // but still refreshes. `framesPerSecond` 0 means no cap.
    CacaDisplay(caca_dither_t* bitmap, int framesPerSecond);
    void setTitle(const char* title) override;
    void present(const PixelView& frame) override;
    void waitForNextFrame() override;

private:
    caca_dither_t* bitmap_;
    FramePacer pacer_;
};
