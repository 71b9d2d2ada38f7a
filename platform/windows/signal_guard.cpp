// The Windows side of platform/signal_guard.h. Windows has no POSIX signals:
// Ctrl+C and Ctrl+Break reach a console program through its control
// handler, which here raises the same quit request SIGINT raises on Linux
// (so the capture tool stops within a second and says 130); closing the
// console window raises SIGTERM's. There is no
// POSIX terminal to give back on a fatal error, no stop and continue, no
// SIGPIPE or SIGXFSZ: those calls do nothing. The console's own state is
// put back by the display that took it (platform/windows/console_state.h).
#include "platform/signal_guard.h"

#include <windows.h>

#include <atomic>
#include <csignal>

namespace {

constexpr int kQuitSignals[] = {SIGINT, SIGTERM};

std::atomic<int> g_quitSignal{0};

// Windows ends the process once the handler of a closing window (or of a
// logoff or shutdown) returns, and at the latest some seconds after the
// event: the handler waits, so that the show's normal shutdown, which ends
// the process itself, runs first.
constexpr DWORD kClosingGraceMs = 10000;

BOOL WINAPI onControl(DWORD event) {
    switch (event) {
        case CTRL_C_EVENT:
        case CTRL_BREAK_EVENT:
            g_quitSignal = SIGINT;
            return TRUE;
        case CTRL_CLOSE_EVENT:
        case CTRL_LOGOFF_EVENT:
        case CTRL_SHUTDOWN_EVENT:
            g_quitSignal = SIGTERM;
            Sleep(kClosingGraceMs);
            return TRUE;
        default:
            return FALSE;
    }
}

}  // namespace

void installSignalGuard() { SetConsoleCtrlHandler(onControl, TRUE); }

bool quitSignalArrived() { return g_quitSignal.load() != 0; }

int arrivedQuitSignal() { return g_quitSignal.load(); }

void forgetQuitSignal() { g_quitSignal = 0; }

bool armTerminalRestore(int, const termios*, std::string_view) { return false; }

bool armTerminalResume(std::string_view) { return false; }

void disarmTerminalRestore() {}

bool terminalRestoreArmed() { return false; }

void restoreTerminalNow() {}

void setDisplayModesAgain() {}

unsigned continuedCount() { return 0; }

void stopLikeTheSuspendKey() {}

std::span<const int> quitSignals() { return kQuitSignals; }

std::span<const int> fatalSignals() { return {}; }

void ignoreBrokenPipes() {}

void ignoreFileSizeLimit() {}
