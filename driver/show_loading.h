#pragma once
// The engine's start-up, the start of the song and one frame of the show:
// one sequence for the terminal show, the web page, the capture tool and
// the benchmarks, so that what they draw cannot drift apart. Each brings
// its own clock, quit check and effects; the order of the engine calls is
// the show's.
#include "render/pixel_view.h"

struct ShowLoading {
    // Manual: the caller sets the song position frame by frame (the capture
    // tool, the benchmarks) and no audio device is opened. Otherwise the
    // position is what has been heard.
    bool manualClock = false;
    // Engine messages on (stderr, or held while a console is open) or off.
    bool logging = true;
    // Asked between the steps and between the effects being made; loading
    // stops once it says true. Null: never.
    bool (*quitRequested)() = nullptr;
    // Receives the loading line piece by piece ("Loading.", the dots, the
    // line break). Null: nothing is printed.
    void (*progress)(const char* text) = nullptr;
    // Registers the effects; null: the show's schedule.
    void (*registerEffects)() = nullptr;
};

// Everything up to, not including, starting the timer and the song. False
// when the quit check stopped it; the engine is then half made and only
// vrlShutDown is left to call.
bool loadShow(const ShowLoading& loading);

// Starts the timer and the song at `startMs`; the effects catch up from
// there as they do after a seek.
void startShow(int startMs);

// The frame at the position the timer last latched: the FrameBuffer
// cleared, then every active effect drawn.
void drawShowFrame();

// The engine's FrameBuffer as the displays take it.
PixelView frameBufferView();

// On the manual clock: latches `ms` (and the spectrum there), then draws
// its frame as drawShowFrame does. Returns the FrameBuffer.
const unsigned int* renderShowFrameAt(int ms);
