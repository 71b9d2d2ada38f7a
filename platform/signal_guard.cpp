#include "platform/signal_guard.h"

#include <pthread.h>
#include <signal.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <csignal>
#include <cstdlib>
#include <cstring>

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

// The restore lives in fixed storage so the handlers need no allocation;
// `g_armed` is the only thing they test before reading it.
struct RestoreSlot {
    int fd = -1;
    bool haveModes = false;
    termios modes{};
    char bytes[kMaxRestoreBytes] = {};
    std::size_t length = 0;
};
RestoreSlot g_restore;
std::atomic<bool> g_armed{false};
static_assert(std::atomic<bool>::is_always_lock_free);

// A crash from running out of stack still needs a stack for its handler.
alignas(16) char g_alternateStack[64 * 1024];

void writeAll(int fd, const char* data, std::size_t length) {
    while (length > 0) {
        const ssize_t written = ::write(fd, data, length);
        if (written < 0 && errno == EINTR) continue;
        if (written <= 0) return;
        data += written;
        length -= static_cast<std::size_t>(written);
    }
}

void onQuitSignal(int signal) {
    const int savedErrno = errno;
    g_quitSignal = signal;
    // The process-directed signal may have landed on a library's thread;
    // pass it to the main thread so a blocking call there is interrupted.
    if (g_mainThreadKnown.load() && !pthread_equal(pthread_self(), g_mainThread))
        pthread_kill(g_mainThread, signal);
    errno = savedErrno;
}

void onFatalSignal(int signal) {
    restoreTerminalNow();
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

void restoreAtExit() { restoreTerminalNow(); }

void useAlternateStack() {
    stack_t current{};
    if (sigaltstack(nullptr, &current) == 0 && !(current.ss_flags & SS_DISABLE)) return;
    stack_t ours{};
    ours.ss_sp = g_alternateStack;
    ours.ss_size = sizeof g_alternateStack;
    sigaltstack(&ours, nullptr);
}

void handle(int signal, void (*handler)(int), int flags) {
    struct sigaction action {};
    action.sa_handler = handler;
    action.sa_flags = flags;
    sigfillset(&action.sa_mask);
    sigaction(signal, &action, nullptr);
}

}  // namespace

void installSignalGuard() {
    static bool installed = false;
    g_mainThread = pthread_self();
    g_mainThreadKnown = true;
    if (installed) return;
    installed = true;
    useAlternateStack();
    // No SA_RESTART: a quit must interrupt a read or open that waits.
    for (int signal : kQuitSignals) handle(signal, onQuitSignal, 0);
    for (int signal : kFatalSignals) handle(signal, onFatalSignal, SA_ONSTACK);
    std::atexit(restoreAtExit);
}

bool quitSignalArrived() { return g_quitSignal != 0; }

void forgetQuitSignal() { g_quitSignal = 0; }

bool armTerminalRestore(int fd, const termios* modes, std::string_view bytes) {
    g_armed = false;
    if (bytes.size() > kMaxRestoreBytes || fd < 0) return false;
    g_restore.fd = fd;
    g_restore.haveModes = modes != nullptr;
    if (g_restore.haveModes) g_restore.modes = *modes;
    std::memcpy(g_restore.bytes, bytes.data(), bytes.size());
    g_restore.length = bytes.size();
    g_armed = true;
    return true;
}

void disarmTerminalRestore() { g_armed = false; }

bool terminalRestoreArmed() { return g_armed; }

void restoreTerminalNow() {
    if (!g_armed.exchange(false)) return;
    writeAll(g_restore.fd, g_restore.bytes, g_restore.length);
    if (g_restore.haveModes) tcsetattr(g_restore.fd, TCSANOW, &g_restore.modes);
}

std::span<const int> quitSignals() { return kQuitSignals; }

std::span<const int> fatalSignals() { return kFatalSignals; }
