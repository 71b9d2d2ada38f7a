#pragma once
// What libcaca's terminal driver changes on the terminal, and the bytes that
// undo it. Its curses start-up (traced on xterm-256color) switches to the
// alternate screen (smcup, which also saves the window title), sets keypad
// transmit mode (smkx), hides the cursor (civis), turns mouse reporting on
// (the XM string) and puts the tty in raw mode; its end undoes each. The
// termios are saved by the caller; this reads the undoing strings from the
// terminal's own terminfo entry.
#include <optional>
#include <string>

struct CursesTerminalBytes {
    // Mouse reporting off, cursor shown (cnorm), colours and attributes
    // reset (op, sgr0), alternate screen left (rmcup), keypad transmit off
    // (rmkx).
    std::string restore;
    // What continuing after a stop sends to be back where curses was:
    // alternate screen (smcup), keypad transmit (smkx), cursor hidden
    // (civis). Mouse reporting stays off: the show has no use for it.
    std::string enter;
};

// Makes the next refresh of the curses screen open in this process send
// every cell, as after a screen cleared behind its back. Nothing without one.
void cursesRedrawWhole();

// Both for terminal type `term` on the terminal `fd`. Nothing when terminfo
// has no entry for `term`: curses would end the process on such a name.
std::optional<CursesTerminalBytes> cursesTerminalBytes(const char* term, int fd);
