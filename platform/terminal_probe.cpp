#include "platform/terminal_probe.h"

#include <fcntl.h>
#include <poll.h>
#include <sys/mman.h>
#include <termios.h>
#include <unistd.h>

#include <cerrno>
#include <cstdint>

#include "platform/shared_frames.h"
#include "platform/signal_guard.h"
#include "platform/terminal_output.h"

namespace {

using Clock = std::chrono::steady_clock;

// A three-byte object for the terminal to read: if it can, it shares our
// memory, and frames need not cross the terminal.
std::string makeProbeObject() {
    const std::uint8_t pixel[3] = {0, 0, 0};
    std::string error;
    if (writeSharedObject(kProbeObject, pixel, error) != SharedObjectWrite::Written) return {};
    return sharedObjectName(kProbeObject);
}

}  // namespace

TerminalProbe askTerminal(int input, int output, std::chrono::milliseconds wait,
                          const std::string& sharedMemoryName) {
    TerminalProbe probe;
    probe.asked = true;
    const auto deadline = Clock::now() + wait;
    if (!writeWithin(output, terminalQuestions(sharedMemoryName), deadline)) return probe;
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
        filter.feed({buffer, static_cast<std::size_t>(count)}, steadyNowMs(), probe.typed);
    }
    filter.flush(steadyNowMs(), probe.typed, true);
    probe.replies = filter.replies();
    return probe;
}

namespace {

// The questions on a descriptor of our own, which never makes a write wait
// past `wait`, between the window title saved and put back.
TerminalProbe askKeepingTheTitle(std::chrono::milliseconds wait) {
    const int output = openOwnTerminal(STDOUT_FILENO, O_WRONLY);
    if (output < 0) return {};
    const std::string object = makeProbeObject();
    writeWithin(output, kPushTitle, wait);
    TerminalProbe probe = askTerminal(STDIN_FILENO, output, wait, object);
    writeWithin(output, kPopTitle, wait);
    close(output);
    // The terminal removes an object it read; one it did not read is ours.
    if (!object.empty()) shm_unlink(object.c_str());
    return probe;
}

}  // namespace

TerminalProbe probeTerminal(std::chrono::milliseconds wait) {
    if (!sameTerminal(STDIN_FILENO, STDOUT_FILENO)) return {};
    termios saved{};
    if (tcgetattr(STDIN_FILENO, &saved) != 0) return {};
    // Answers must not echo, nor wait for a line; Ctrl+C still quits.
    termios quiet = saved;
    quiet.c_lflag &= ~static_cast<tcflag_t>(ICANON | ECHO);
    quiet.c_cc[VMIN] = 0;
    quiet.c_cc[VTIME] = 0;
    // Some terminals (tmux) take the graphics questions for a new title: the
    // one before is saved first, and put back whatever the answers.
    armTerminalRestore(STDOUT_FILENO, &saved, kPopTitle);
    if (tcsetattr(STDIN_FILENO, TCSANOW, &quiet) != 0) {
        disarmTerminalRestore();
        return {};
    }
    TerminalProbe probe = askKeepingTheTitle(wait);
    tcsetattr(STDIN_FILENO, TCSANOW, &saved);
    disarmTerminalRestore();
    return probe;
}
