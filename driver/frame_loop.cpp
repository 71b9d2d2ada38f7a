#include "driver/frame_loop.h"

#include <cstdio>
#include <cstring>

#include "driver/schedule.h"
#include "engine/frame.h"
#include "engine/vrl.h"
#include "platform/win_console.h"

bool runFrame(FrameDisplay& display) {
    char title[256];
    vrlUpdateTimer();
    vrlCheckControls(1000.0f);
    std::snprintf(title, sizeof title, "time = %d", vrlGetModulePosition());
    display.setTitle(title);
    const bool ended = frameEndsShow(vrlGetModulePosition(), GetAsyncKeyState(VK_ESCAPE));
    std::memset(vrlGetFrameBuffer(), 0, kFramePixels * sizeof(unsigned int));
    vrlRun();
    display.present(vrlGetFrameBuffer());
    return ended;
}

bool frameEndsShow(int position, short escapeState) {
    return position > kShowEndMs || escapeState != 0;
}
