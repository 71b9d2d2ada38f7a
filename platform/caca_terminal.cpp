#include "platform/caca_terminal.h"

#include <termios.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <optional>
#include <string>
#include <string_view>

#include "engine/vrl.h"
#include "platform/caca_input_source.h"
#include "platform/signal_guard.h"
#include "platform/stalled_terminal.h"
#include "platform/terminal_output.h"
#include "platform/terminfo_restore.h"

namespace {

struct TerminalState {
    bool taken = false;          // cacaTakeTerminal succeeded
    std::string enterBytes;      // what taking the terminal again sends
    unsigned continues = 0;      // continuedCount() last seen
};

TerminalState g_terminal;

bool haveTerminal() {
    const char* term = std::getenv("TERM");
    return isatty(STDIN_FILENO) && isatty(STDOUT_FILENO) && term && *term &&
           std::strcmp(term, "dumb") != 0;
}

void writeToTerminal(std::string_view bytes) {
    std::fflush(stdout);
    while (!bytes.empty()) {
        const ssize_t written = write(STDOUT_FILENO, bytes.data(), bytes.size());
        if (written <= 0) return;
        bytes.remove_prefix(static_cast<std::size_t>(written));
    }
}

// Arms the signal guard with the terminal as it is now, before curses
// changes it, and pushes the title: libcaca's terminal driver sets its own
// ("caca for ncurses") and never puts the old one back. False when
// terminfo does not know the terminal type.
bool prepareTerminalRestore() {
    const char* term = std::getenv("TERM");
    const std::optional<CursesTerminalBytes> bytes = cursesTerminalBytes(term, STDOUT_FILENO);
    if (!bytes) {
        vrlMsg("Terminal type \"%s\" is unknown (no terminfo entry)", term);
        return false;
    }
    termios modes{};
    const bool haveModes = tcgetattr(STDOUT_FILENO, &modes) == 0;
    armTerminalRestore(STDOUT_FILENO, haveModes ? &modes : nullptr,
                       bytes->restore + std::string(kPopTitle));
    g_terminal.enterBytes = std::string(kPushTitle) + bytes->enter;
    writeToTerminal(kPushTitle);
    return true;
}

}  // namespace

bool cacaDrawsOnTerminal(const char* driver) {
    if (driver && *driver)
        return !std::strcmp(driver, "ncurses") || !std::strcmp(driver, "slang");
    const char* display = std::getenv("DISPLAY");
    return !display || !*display;
}

bool cacaTakeTerminal() {
    g_terminal = TerminalState{};
    g_terminal.taken = haveTerminal() && prepareTerminalRestore();
    return g_terminal.taken;
}

void cacaTerminalTaken() {
    armTerminalResume(g_terminal.enterBytes);
    g_terminal.continues = continuedCount();
}

void cacaRedrawIfContinued() {
    if (!g_terminal.taken || continuedCount() == g_terminal.continues) return;
    g_terminal.continues = continuedCount();
    setDisplayModesAgain();
    cursesRedrawWhole();
}

void cacaTerminalLeaving() { watchForStalledTerminal(); }

void cacaTerminalGivenBack() {
    if (terminalGivenUp()) restoreTerminalNow();
    else if (terminalRestoreArmed() && !g_terminal.enterBytes.empty()) writeToTerminal(kPopTitle);
    g_terminal = TerminalState{};
    disarmTerminalRestore();
}

std::unique_ptr<ConsoleInputSource> cacaInputSource(caca_display_t* display, bool onTerminal) {
    return std::make_unique<CacaInputSource>(display, onTerminal);
}
