#include "platform/signal_guard.h"

#include <fcntl.h>
#include <pthread.h>
#include <signal.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <csignal>
#include <cstdlib>
#include <cstring>

#include "platform/shared_frames.h"
#include "platform/stalled_terminal.h"
#include "platform/terminal_output.h"

namespace {

constexpr int kQuitSignals[] = {SIGINT, SIGTERM, SIGHUP, SIGQUIT};

// Signals whose default action ends the process; stop and continue signals
// and those ignored by default are left alone.
constexpr int kFatalSignals[] = {
    SIGSEGV, SIGBUS,  SIGFPE,    SIGILL,  SIGABRT, SIGTRAP, SIGSYS, SIGXCPU, SIGXFSZ,
    SIGUSR1, SIGUSR2, SIGPIPE,   SIGALRM, SIGVTALRM, SIGPROF, SIGIO,
#ifdef SIGSTKFLT
    SIGSTKFLT,
#endif
#ifdef SIGPWR
    SIGPWR,
#endif
};

volatile std::sig_atomic_t g_quitSignal = 0;
pthread_t g_mainThread{};
std::atomic<bool> g_mainThreadKnown{false};

// How long a restore, a stop or a continue waits for the terminal to take
// its bytes; nothing once the terminal was given up as stalled.
constexpr std::chrono::milliseconds kRestoreWait{1000};

// The restore lives in fixed storage so the handlers need no allocation;
// `g_armed` is the only thing they test before reading it.
struct RestoreSlot {
    int fd = -1;     // `own` where it could be opened, else the one armed with
    int own = -1;    // a non-blocking descriptor of our own for the terminal
    bool haveModes = false;
    termios modes{};
    char bytes[kMaxRestoreBytes] = {};
    std::size_t length = 0;
};
RestoreSlot g_restore;
std::atomic<bool> g_armed{false};
static_assert(std::atomic<bool>::is_always_lock_free);

// What a continue after a stop sets and writes again. `modes` are read when
// the resume is armed and again at each stop, so they are the display's own.
struct ResumeSlot {
    bool haveModes = false;
    termios modes{};
    char bytes[kMaxRestoreBytes] = {};
    std::size_t length = 0;
};
ResumeSlot g_resume;
std::atomic<bool> g_resumeArmed{false};
// True from a stop's restore until the continue has taken the terminal
// again: a fatal signal meanwhile must not restore a second time.
std::atomic<bool> g_givenBack{false};
std::atomic<unsigned> g_continued{0};
static_assert(std::atomic<unsigned>::is_always_lock_free);

// A crash from running out of stack still needs a stack for its handler.
alignas(16) char g_alternateStack[64 * 1024];

// The signal that the stalled-terminal watch's timer raises.
int g_watchSignal = 0;

void writeToTerminal(const char* data, std::size_t length) {
    const auto wait = terminalGivenUp() ? std::chrono::milliseconds(0) : kRestoreWait;
    writeWithin(g_restore.fd, {data, length}, wait);
}

void onQuitSignal(int signal) {
    const int savedErrno = errno;
    g_quitSignal = signal;
    watchForStalledTerminal();
    // The process-directed signal may have landed on a library's thread;
    // pass it to the main thread so a blocking call there is interrupted.
    if (g_mainThreadKnown.load() && !pthread_equal(pthread_self(), g_mainThread))
        pthread_kill(g_mainThread, signal);
    errno = savedErrno;
}

// Ran by a stop: the terminal as before the display, the restore kept.
bool giveTerminalBack() {
    if (!g_armed.load() || g_givenBack.exchange(true)) return false;
    if (g_resumeArmed.load()) g_resume.haveModes = tcgetattr(g_restore.fd, &g_resume.modes) == 0;
    writeToTerminal(g_restore.bytes, g_restore.length);
    if (g_restore.haveModes) tcsetattr(g_restore.fd, TCSANOW, &g_restore.modes);
    return true;
}

// Ran on continuing. Continued in the background, setting the modes raises
// SIGTTOU, which stops the process again until it is in the foreground.
void takeTerminalAgain() {
    if (!g_givenBack.exchange(false) || !g_armed.load() || !g_resumeArmed.load()) return;
    if (g_resume.haveModes) tcsetattr(g_restore.fd, TCSANOW, &g_resume.modes);
    writeToTerminal(g_resume.bytes, g_resume.length);
}

// Stops the process by the signal's default action, then puts this handler
// back. In an orphaned process group the kernel drops the stop, since no
// shell is left to continue it; the show then simply goes on.
void stopByDefaultAction(int signal) {
    struct sigaction ours {}, fallback {};
    fallback.sa_handler = SIG_DFL;
    sigemptyset(&fallback.sa_mask);
    sigaction(signal, &fallback, &ours);
    sigset_t only, previous;
    sigemptyset(&only);
    sigaddset(&only, signal);
    pthread_sigmask(SIG_UNBLOCK, &only, &previous);
    raise(signal);
    pthread_sigmask(SIG_SETMASK, &previous, nullptr);
    sigaction(signal, &ours, nullptr);
}

void onStopSignal(int signal) {
    const int savedErrno = errno;
    // On the main thread, the only one that draws: no frame is being
    // written while the terminal is given back and taken again.
    if (g_mainThreadKnown.load() && !pthread_equal(pthread_self(), g_mainThread)) {
        pthread_kill(g_mainThread, signal);
    } else {
        const bool gaveBack = giveTerminalBack();
        stopByDefaultAction(signal);
        if (gaveBack) takeTerminalAgain();
    }
    errno = savedErrno;
}

void onContinue(int) { g_continued.fetch_add(1); }

// The watch's checks run on the main thread, so that a write it leaves
// waiting there is interrupted, and restarted on the descriptor given up.
void onWatchTick(int signal) {
    const int savedErrno = errno;
    if (g_mainThreadKnown.load() && !pthread_equal(pthread_self(), g_mainThread))
        pthread_kill(g_mainThread, signal);
    else
        checkStalledTerminal();
    errno = savedErrno;
}

// What the show's normal way out would have put back and removed.
void endNow() {
    restoreTerminalNow();
    removeSharedObjectsNow();
}

void onFatalSignal(int signal) {
    endNow();
    struct sigaction fallback {};
    fallback.sa_handler = SIG_DFL;
    sigemptyset(&fallback.sa_mask);
    sigaction(signal, &fallback, nullptr);
    sigset_t only;
    sigemptyset(&only);
    sigaddset(&only, signal);
    pthread_sigmask(SIG_UNBLOCK, &only, nullptr);
    // Dies here by the default action; a fault that returns instead runs
    // its instruction again and meets the default action then.
    raise(signal);
}

void restoreAtExit() { endNow(); }

void useAlternateStack() {
    stack_t current{};
    if (sigaltstack(nullptr, &current) == 0 && !(current.ss_flags & SS_DISABLE)) return;
    stack_t ours{};
    ours.ss_sp = g_alternateStack;
    ours.ss_size = sizeof g_alternateStack;
    sigaltstack(&ours, nullptr);
}

void handle(int signal, void (*handler)(int), int flags, bool blockTerminalStops = true) {
    struct sigaction action {};
    action.sa_handler = handler;
    action.sa_flags = flags;
    sigfillset(&action.sa_mask);
    if (!blockTerminalStops) {
        sigdelset(&action.sa_mask, SIGTTOU);
        sigdelset(&action.sa_mask, SIGTTIN);
    }
    sigaction(signal, &action, nullptr);
}

// An empty view may carry a null pointer, which memcpy must never be given.
void copyBytes(char* into, std::string_view bytes) {
    if (!bytes.empty()) std::memcpy(into, bytes.data(), bytes.size());
}

void closeOwnDescriptor() {
    if (g_restore.own >= 0) close(g_restore.own);
    g_restore.own = -1;
}

}  // namespace

void installSignalGuard() {
    static bool installed = false;
    g_mainThread = pthread_self();
    g_mainThreadKnown = true;
    if (!g_watchSignal) g_watchSignal = SIGRTMIN;
    prepareStalledTerminalWatch(g_watchSignal);
    if (installed) return;
    installed = true;
    useAlternateStack();
    // No SA_RESTART: a quit must interrupt a read or open that waits.
    for (int signal : kQuitSignals) handle(signal, onQuitSignal, 0);
    for (int signal : kFatalSignals) handle(signal, onFatalSignal, SA_ONSTACK);
    // A stop is not a quit: calls it interrupts carry on. Taking the
    // terminal again from the background must stop the process, which a
    // blocked SIGTTOU would not do: the modes would change under the shell.
    handle(SIGTSTP, onStopSignal, SA_RESTART, false);
    handle(SIGCONT, onContinue, SA_RESTART);
    // Calls the ticks interrupt carry on (most restart).
    handle(g_watchSignal, onWatchTick, SA_RESTART);
    std::atexit(restoreAtExit);
}

bool quitSignalArrived() { return g_quitSignal != 0; }

int arrivedQuitSignal() { return g_quitSignal; }

void forgetQuitSignal() { g_quitSignal = 0; }

bool armTerminalRestore(int fd, const termios* modes, std::string_view bytes) {
    g_armed = false;
    g_resumeArmed = false;
    g_givenBack = false;
    if (bytes.size() > kMaxRestoreBytes || fd < 0) return false;
    closeOwnDescriptor();
    g_restore.own = openOwnTerminal(fd, O_WRONLY);
    g_restore.fd = g_restore.own >= 0 ? g_restore.own : fd;
    g_restore.haveModes = modes != nullptr;
    if (g_restore.haveModes) g_restore.modes = *modes;
    copyBytes(g_restore.bytes, bytes);
    g_restore.length = bytes.size();
    g_armed = true;
    return true;
}

bool armTerminalResume(std::string_view bytes) {
    g_resumeArmed = false;
    if (!g_armed.load() || bytes.size() > kMaxRestoreBytes) return false;
    g_resume.haveModes = tcgetattr(g_restore.fd, &g_resume.modes) == 0;
    copyBytes(g_resume.bytes, bytes);
    g_resume.length = bytes.size();
    g_resumeArmed = true;
    return true;
}

void disarmTerminalRestore() {
    g_armed = false;
    g_resumeArmed = false;
    g_givenBack = false;
    closeOwnDescriptor();
}

bool terminalRestoreArmed() { return g_armed; }

void restoreTerminalNow() {
    if (!g_armed.exchange(false)) return;
    g_resumeArmed = false;
    if (g_givenBack.exchange(false)) return;  // a stop already did
    writeToTerminal(g_restore.bytes, g_restore.length);
    if (g_restore.haveModes) tcsetattr(g_restore.fd, TCSANOW, &g_restore.modes);
}

void setDisplayModesAgain() {
    if (g_armed.load() && g_resumeArmed.load() && !g_givenBack.load() && g_resume.haveModes)
        tcsetattr(g_restore.fd, TCSANOW, &g_resume.modes);
}

unsigned continuedCount() { return g_continued.load(); }

void stopLikeTheSuspendKey() {
    // The whole foreground job, like the terminal: a `make run` or a
    // pipeline around the show stops with it, so the shell gets the
    // terminal back.
    kill(0, SIGTSTP);
}

std::span<const int> quitSignals() { return kQuitSignals; }

std::span<const int> fatalSignals() { return kFatalSignals; }

void ignoreBrokenPipes() { std::signal(SIGPIPE, SIG_IGN); }

void ignoreFileSizeLimit() { std::signal(SIGXFSZ, SIG_IGN); }
