#include "platform/shared_frames.h"

#include <fcntl.h>
#include <sys/mman.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

namespace {

// A name made without allocating, so a signal handler can make it.
struct ObjectName {
    char text[64] = {};
    std::size_t length = 0;

    void add(const char* part) {
        while (*part && length + 1 < sizeof text) text[length++] = *part++;
    }
    void add(unsigned long number) {
        char digits[24];
        int count = 0;
        do {
            digits[count++] = static_cast<char>('0' + number % 10);
            number /= 10;
        } while (number > 0);
        while (count > 0 && length + 1 < sizeof text) text[length++] = digits[--count];
    }
};

ObjectName objectName(int slot) {
    ObjectName name;
    const auto process = static_cast<unsigned long>(getpid());
    if (slot == kProbeObject) {
        name.add("/vesper-glint-probe-");
        name.add(process);
        return name;
    }
    name.add("/vesper-glint-");
    name.add(process);
    name.add("-");
    name.add(static_cast<unsigned long>(slot));
    return name;
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

std::string sharedObjectName(int slot) { return objectName(slot).text; }

SharedObjectWrite writeSharedObject(int slot, std::span<const std::uint8_t> bytes,
                                    std::string& error) {
    const ObjectName name = objectName(slot);
    // O_EXCL: never into an object the terminal may still be reading, nor
    // one someone else made under our name.
    const int fd = shm_open(name.text, O_RDWR | O_CREAT | O_EXCL, 0600);
    if (fd < 0 && errno == EEXIST) return SharedObjectWrite::Busy;
    if (fd < 0) {
        error = std::strerror(errno);
        return SharedObjectWrite::Failed;
    }
    // Written rather than mapped: where /dev/shm has no room the write
    // fails, while touching a mapping's pages would kill the process.
    const bool written = writeWhole(fd, bytes);
    if (!written) error = std::strerror(errno);
    close(fd);
    if (written) return SharedObjectWrite::Written;
    shm_unlink(name.text);
    return SharedObjectWrite::Failed;
}

void removeSharedObjectsNow() {
    // glibc's shm_unlink only builds the path on the stack and unlinks it.
    for (int slot = kProbeObject; slot < kSharedFrameSlots; ++slot)
        shm_unlink(objectName(slot).text);
}
