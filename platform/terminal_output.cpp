#include "platform/terminal_output.h"

#include <fcntl.h>
#include <poll.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>

bool sameTerminal(int a, int b) {
    struct stat first {}, second {};
    return isatty(a) && isatty(b) && fstat(a, &first) == 0 && fstat(b, &second) == 0 &&
           first.st_rdev == second.st_rdev;
}

int openOwnTerminal(int shared, int access) {
    const char* name = ttyname(shared);
    const int fd = open(name ? name : "/dev/tty", access | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
    // The controlling terminal need not be the one we were given.
    if (fd >= 0 && !sameTerminal(fd, shared)) {
        close(fd);
        return -1;
    }
    return fd;
}

bool writeWithin(int fd, std::string_view bytes, std::chrono::steady_clock::time_point deadline) {
    using Clock = std::chrono::steady_clock;
    while (!bytes.empty()) {
        const ssize_t written = write(fd, bytes.data(), bytes.size());
        if (written > 0) {
            bytes.remove_prefix(static_cast<std::size_t>(written));
            continue;
        }
        if (written < 0 && errno != EAGAIN && errno != EWOULDBLOCK && errno != EINTR) return false;
        const auto left = std::chrono::ceil<std::chrono::milliseconds>(deadline - Clock::now());
        if (left.count() <= 0) return false;
        pollfd waiting{fd, POLLOUT, 0};
        poll(&waiting, 1, static_cast<int>(left.count()));
    }
    return true;
}

bool writeWithin(int fd, std::string_view bytes, std::chrono::milliseconds wait) {
    return writeWithin(fd, bytes, std::chrono::steady_clock::now() + wait);
}
