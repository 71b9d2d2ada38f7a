#include "driver/frame_loop.h"

#include <cstdio>

#include "driver/schedule.h"
#include "driver/show_loading.h"
#include "engine/vrl.h"
#include "platform/console_input.h"  // Windows: the input records
#include "platform/win_console.h"

bool FrameLoop::runPass() {
    char title[256];
    vrlUpdateTimer();
    vrlCheckControls(1000.0f);
    std::snprintf(title, sizeof title, "time = %d", vrlGetModulePosition());
    display_.setTitle(title);
    const int position = vrlGetModulePosition();
    bool ended = frameEndsShow(position, GetAsyncKeyState(VK_ESCAPE));
#ifdef _WIN32
    // Escape among the keys the console's input records carried too: wine's
    // console, for one, reports typed keys only as records, and a quit
    // request (Ctrl+C, a closed window) arrives through the pump as well.
    ended = takeEscapePress() || ended;
#endif
    const bool paused = vrlIsPaused() != 0;
    held_ = paused && heldAt_ == position;
    if (held_) {
        display_.presentAgain(frameBufferView());
        return ended;
    }
    drawShowFrame();
    heldAt_ = paused ? std::optional<int>(position) : std::nullopt;
    display_.present(frameBufferView());
    return ended;
}

bool frameEndsShow(int position, short escapeState) {
    return position > kShowEndMs || escapeState != 0;
}
