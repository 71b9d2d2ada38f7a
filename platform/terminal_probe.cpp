#include "platform/terminal_probe.h"

#include <fcntl.h>
#include <poll.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <termios.h>
#include <unistd.h>

#include <cerrno>

#include "platform/signal_guard.h"

namespace {

using Clock = std::chrono::steady_clock;

long long millisecondsOf(Clock::time_point time) {
    return std::chrono::duration_cast<std::chrono::milliseconds>(time.time_since_epoch()).count();
}

bool sameTerminal(int a, int b) {
    struct stat first {}, second {};
    return isatty(a) && isatty(b) && fstat(a, &first) == 0 && fstat(b, &second) == 0 &&
           first.st_rdev == second.st_rdev;
}

bool writeAll(int fd, const std::string& bytes, Clock::time_point deadline) {
    std::size_t done = 0;
    while (done < bytes.size()) {
        const ssize_t written = write(fd, bytes.data() + done, bytes.size() - done);
        if (written > 0) {
            done += static_cast<std::size_t>(written);
            continue;
        }
        if (written < 0 && errno != EAGAIN && errno != EINTR) return false;
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now());
        if (left.count() <= 0) return false;
        pollfd waiting{fd, POLLOUT, 0};
        poll(&waiting, 1, static_cast<int>(left.count()));
    }
    return true;
}

// A three-byte object for the terminal to read: if it can, it shares our
// memory, and frames need not cross the terminal.
std::string makeProbeObject() {
    const std::string name = "/vesper-glint-probe-" + std::to_string(getpid());
    const int fd = shm_open(name.c_str(), O_RDWR | O_CREAT | O_EXCL, 0600);
    if (fd < 0) return {};
    const unsigned char pixel[3] = {0, 0, 0};
    const bool made = write(fd, pixel, sizeof pixel) == static_cast<ssize_t>(sizeof pixel);
    close(fd);
    if (made) return name;
    shm_unlink(name.c_str());
    return {};
}

}  // namespace

TerminalProbe askTerminal(int input, int output, std::chrono::milliseconds wait,
                          const std::string& sharedMemoryName) {
    TerminalProbe probe;
    probe.asked = true;
    const auto deadline = Clock::now() + wait;
    if (!writeAll(output, terminalQuestions(sharedMemoryName), deadline)) return probe;
    TerminalReplyFilter filter;
    char buffer[512];
    while (!filter.replies().deviceAttributes) {
        // Rounded up: a wait cut short by rounding would end the questions early.
        const auto left = std::chrono::ceil<std::chrono::milliseconds>(deadline - Clock::now());
        if (left.count() <= 0) break;
        pollfd waiting{input, POLLIN, 0};
        const int ready = poll(&waiting, 1, static_cast<int>(left.count()));
        if (ready < 0 && errno == EINTR) continue;
        if (ready <= 0) break;
        const ssize_t count = read(input, buffer, sizeof buffer);
        if (count < 0 && (errno == EINTR || errno == EAGAIN)) continue;
        if (count <= 0) break;  // the terminal went away
        filter.feed({buffer, static_cast<std::size_t>(count)}, millisecondsOf(Clock::now()), probe.typed);
    }
    filter.flush(millisecondsOf(Clock::now()), probe.typed, true);
    probe.replies = filter.replies();
    return probe;
}

TerminalProbe probeTerminal(std::chrono::milliseconds wait) {
    if (!sameTerminal(STDIN_FILENO, STDOUT_FILENO)) return {};
    termios saved{};
    if (tcgetattr(STDIN_FILENO, &saved) != 0) return {};
    // Answers must not echo, nor wait for a line; Ctrl+C still quits.
    termios quiet = saved;
    quiet.c_lflag &= ~static_cast<tcflag_t>(ICANON | ECHO);
    quiet.c_cc[VMIN] = 0;
    quiet.c_cc[VTIME] = 0;
    armTerminalRestore(STDOUT_FILENO, &saved, {});
    if (tcsetattr(STDIN_FILENO, TCSANOW, &quiet) != 0) {
        disarmTerminalRestore();
        return {};
    }
    const std::string object = makeProbeObject();
    TerminalProbe probe = askTerminal(STDIN_FILENO, STDOUT_FILENO, wait, object);
    tcsetattr(STDIN_FILENO, TCSANOW, &saved);
    disarmTerminalRestore();
    // The terminal removes an object it read; one it did not read is ours.
    if (!object.empty()) shm_unlink(object.c_str());
    return probe;
}
