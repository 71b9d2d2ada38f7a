// The Windows side of platform/shared_frames.h: Windows has no POSIX shared
// memory for a terminal to read, so no object is ever made and the kitty
// picture sends its frames through the terminal, as over ssh.
#include "platform/shared_frames.h"

#include <windows.h>

std::string sharedObjectName(int slot) {
    const std::string process = std::to_string(GetCurrentProcessId());
    if (slot == kProbeObject) return "/vesper-glint-probe-" + process;
    return "/vesper-glint-" + process + "-" + std::to_string(slot);
}

SharedObjectWrite writeSharedObject(int, std::span<const std::uint8_t>, std::string& error) {
    error = "Windows has no POSIX shared memory";
    return SharedObjectWrite::Failed;
}

void removeSharedObject(int) {}

void removeSharedObjectsNow() {}
