#include "platform/shared_frames.h"

#include <fcntl.h>
#include <sys/mman.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <cstring>

namespace {

// The names of the objects this process has made, in fixed storage so that
// a signal handler can remove them without allocating; `made` is set once
// a name is whole. Index 0 is the probe's, then the frame slots.
struct MadeObjects {
    char names[kSharedFrameSlots + 1][64] = {};
    std::atomic<bool> made[kSharedFrameSlots + 1] = {};
    pid_t by = 0;  // a forked child's objects are not its parent's
};
MadeObjects g_made;

int indexOf(int slot) { return slot + 1; }

void remember(int slot, const std::string& name) {
    const int index = indexOf(slot);
    if (g_made.by != getpid()) {
        for (auto& made : g_made.made) made = false;
        g_made.by = getpid();
    }
    if (g_made.made[index].load()) return;
    std::strncpy(g_made.names[index], name.c_str(), sizeof g_made.names[index] - 1);
    g_made.made[index] = true;
}

bool writeWhole(int fd, std::span<const std::uint8_t> bytes) {
    while (!bytes.empty()) {
        const ssize_t written = write(fd, bytes.data(), bytes.size());
        if (written < 0 && errno == EINTR) continue;
        if (written == 0) errno = ENOSPC;  // a file takes nothing only when full
        if (written <= 0) return false;
        bytes = bytes.subspan(static_cast<std::size_t>(written));
    }
    return true;
}

}  // namespace

std::string sharedObjectName(int slot) {
    const std::string process = std::to_string(getpid());
    if (slot == kProbeObject) return "/vesper-glint-probe-" + process;
    return "/vesper-glint-" + process + "-" + std::to_string(slot);
}

SharedObjectWrite writeSharedObject(int slot, std::span<const std::uint8_t> bytes,
                                    std::string& error) {
    const std::string name = sharedObjectName(slot);
    // O_EXCL: never into an object the terminal may still be reading, nor
    // one someone else made under our name.
    const int fd = shm_open(name.c_str(), O_RDWR | O_CREAT | O_EXCL, 0600);
    if (fd < 0 && errno == EEXIST) return SharedObjectWrite::Busy;
    if (fd < 0) {
        error = std::strerror(errno);
        return SharedObjectWrite::Failed;
    }
    remember(slot, name);
    // Written rather than mapped: where /dev/shm has no room the write
    // fails, while touching a mapping's pages would kill the process.
    const bool written = writeWhole(fd, bytes);
    if (!written) error = std::strerror(errno);
    close(fd);
    if (written) return SharedObjectWrite::Written;
    shm_unlink(name.c_str());
    return SharedObjectWrite::Failed;
}

void removeSharedObject(int slot) { shm_unlink(sharedObjectName(slot).c_str()); }

void removeSharedObjectsNow() {
    if (g_made.by != getpid()) return;
    // glibc's shm_unlink only builds the path on the stack and unlinks it.
    for (int index = 0; index <= kSharedFrameSlots; ++index)
        if (g_made.made[index].load()) shm_unlink(g_made.names[index]);
}
