#include "platform/stalled_terminal.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <time.h>
#include <unistd.h>

#include <atomic>

#include "platform/terminal_output.h"

namespace {

constexpr long kCheckEveryMs = 250;

struct Watch {
    pid_t process = 0;   // the one it was prepared in
    int terminal = -1;   // our own descriptor of standard output's terminal
    int nowhere = -1;    // /dev/null, open for writing
    bool errorToo = false;  // standard error is that terminal as well
    bool haveTimer = false;
    timer_t timer{};
};

Watch g_watch;
std::atomic<bool> g_watching{false};
std::atomic<bool> g_givenUp{false};
std::atomic<long long> g_lastRoomMs{0};
static_assert(std::atomic<long long>::is_always_lock_free);

long long monotonicMs() {
    timespec now{};
    clock_gettime(CLOCK_MONOTONIC, &now);
    return now.tv_sec * 1000LL + now.tv_nsec / 1000000;
}

bool preparedHere() { return g_watch.process == getpid() && g_watch.haveTimer; }

void setTimer(long everyMs) {
    itimerspec every{};
    every.it_value.tv_nsec = every.it_interval.tv_nsec = everyMs * 1000000;
    timer_settime(g_watch.timer, 0, &every, nullptr);
}

}  // namespace

void prepareStalledTerminalWatch(int signal) {
    if (g_watch.process == getpid()) return;
    // What a parent had open came along with the fork; its timer did not.
    if (g_watch.terminal >= 0) close(g_watch.terminal);
    if (g_watch.nowhere >= 0) close(g_watch.nowhere);
    g_watch = Watch{};
    g_watch.process = getpid();
    g_watching = false;
    g_givenUp = false;
    if (!isatty(STDOUT_FILENO)) return;
    g_watch.terminal = openOwnTerminal(STDOUT_FILENO, O_WRONLY);
    g_watch.nowhere = open("/dev/null", O_WRONLY | O_CLOEXEC);
    g_watch.errorToo = sameTerminal(STDERR_FILENO, STDOUT_FILENO);
    sigevent event{};
    event.sigev_notify = SIGEV_SIGNAL;
    event.sigev_signo = signal;
    g_watch.haveTimer = g_watch.terminal >= 0 && g_watch.nowhere >= 0 &&
                        timer_create(CLOCK_MONOTONIC, &event, &g_watch.timer) == 0;
}

void watchForStalledTerminal() {
    if (!preparedHere() || g_watching.exchange(true)) return;
    g_lastRoomMs = monotonicMs();
    setTimer(kCheckEveryMs);
}

void checkStalledTerminal() {
    if (!preparedHere() || !g_watching.load() || g_givenUp.load()) return;
    const long long now = monotonicMs();
    // Room, or a terminal gone (POLLHUP, POLLERR): either way no write waits.
    pollfd room{g_watch.terminal, POLLOUT, 0};
    if (poll(&room, 1, 0) != 0) {
        g_lastRoomMs = now;
        return;
    }
    if (now - g_lastRoomMs.load() < kStalledTerminalMs.count()) return;
    g_givenUp = true;
    dup2(g_watch.nowhere, STDOUT_FILENO);
    if (g_watch.errorToo) dup2(g_watch.nowhere, STDERR_FILENO);
    setTimer(0);
}

bool terminalGivenUp() { return g_givenUp.load(); }
