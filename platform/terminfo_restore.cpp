#include "platform/terminfo_restore.h"

#include <curses.h>
#include <term.h>

namespace {

// tigetstr's answer: null when absent, -1 when the name is not a string.
const char* stringCapability(const char* name) {
    const char* value = tigetstr(name);
    return value == reinterpret_cast<const char*>(-1) ? nullptr : value;
}

void append(std::string& bytes, const char* value) {
    if (value) bytes += value;
}

// Mouse reporting as curses switches it: the entry's own XM string (an
// extended name), else the basic xterm mode for a terminal with mouse keys.
std::string mouseOff() {
    if (const char* xm = stringCapability("XM")) {
        const char* off = tiparm(xm, 0);
        return off ? off : "";
    }
    return stringCapability("kmous") ? "\033[?1000l" : "";
}

}  // namespace

std::optional<CursesTerminalBytes> cursesTerminalBytes(const char* term, int fd) {
    if (!term || !*term) return std::nullopt;
    TERMINAL* previous = cur_term;
    int status = 0;
    // With an error out-parameter setupterm reports instead of ending the
    // process, which is what curses itself would do with this name.
    if (setupterm(term, fd, &status) != OK) {
        set_curterm(previous);
        return std::nullopt;
    }
    CursesTerminalBytes bytes;
    bytes.restore = mouseOff();
    append(bytes.restore, stringCapability("cnorm"));
    append(bytes.restore, stringCapability("op"));
    append(bytes.restore, stringCapability("sgr0"));
    append(bytes.restore, stringCapability("rmcup"));
    append(bytes.restore, stringCapability("rmkx"));
    append(bytes.enter, stringCapability("smcup"));
    append(bytes.enter, stringCapability("smkx"));
    append(bytes.enter, stringCapability("civis"));
    del_curterm(cur_term);
    set_curterm(previous);
    return bytes;
}

void cursesRedrawWhole() {
    if (curscr) clearok(curscr, TRUE);
}
