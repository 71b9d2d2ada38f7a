#include "driver/frame_loop.h"

#include <cstdio>

#include "driver/schedule.h"
#include "driver/show_loading.h"
#include "engine/vrl.h"
#include "platform/win_console.h"

bool FrameLoop::runPass() {
    char title[256];
    vrlUpdateTimer();
    vrlCheckControls(1000.0f);
    std::snprintf(title, sizeof title, "time = %d", vrlGetModulePosition());
    display_.setTitle(title);
    const int position = vrlGetModulePosition();
    const bool ended = frameEndsShow(position, GetAsyncKeyState(VK_ESCAPE));
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
