// The Windows side of platform/terminal_probe.h, for now: nothing is
// asked, as where standard input and output are not one terminal, so
// --display auto draws libcaca's picture (or truecolor where COLORTERM says
// so, which the raw terminal then declines). Asking the Windows console
// comes with the console picture for Windows.
#include "platform/terminal_probe.h"

TerminalProbe probeTerminal(std::chrono::milliseconds) { return {}; }

TerminalProbe askTerminal(int, int, std::chrono::milliseconds, const std::string&) { return {}; }
