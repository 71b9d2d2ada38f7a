// The Windows side of platform/terminal_probe.h: nothing is asked, as
// where standard input and output are not one terminal. The one picture
// that needs no answers, the truecolor cells, is chosen by --display auto
// where the console takes VT sequences (consoleTakesVirtualTerminal).
#include "platform/terminal_probe.h"

TerminalProbe probeTerminal(std::chrono::milliseconds) { return {}; }

TerminalProbe askTerminal(int, int, std::chrono::milliseconds, const std::string&) { return {}; }
