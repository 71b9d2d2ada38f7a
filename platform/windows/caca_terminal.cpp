// The Windows side of platform/caca_terminal.h. libcaca's win32 driver draws
// in a screen buffer of its own and, when it ends, makes the old one active
// again with its cursor and the input mode; the title it set every frame, a
// code page or an output mode changed meanwhile stay as they are. So the
// console's state is read before the driver starts and put back after it
// ends. Its keys come from the console's input records: the driver counts
// them first, and under wine that count stays 0.
#include "platform/caca_terminal.h"

#include <cstring>
#include <optional>

#include "platform/caca_input_source.h"
#include "platform/windows/console_records.h"
#include "platform/windows/console_state.h"

namespace {

// The console's state while libcaca has it.
std::optional<ConsoleState> g_saved;

// The classic picture's cells: a console made for the show fits them all.
constexpr short kPictureColumns = 80;
constexpr short kPictureRows = 50;

}  // namespace

bool cacaDrawsOnTerminal(const char *driver) {
    return !driver || !*driver || std::strcmp(driver, "win32") == 0;
}

bool cacaTakeTerminal() {
    g_saved.emplace();
    enlargeOwnConsole(kPictureColumns, kPictureRows);
    return true;
}

void cacaTerminalTaken() {}

void cacaRedrawIfContinued() {}

void cacaTerminalLeaving() {}

void cacaTerminalGivenBack() {
    if (g_saved) g_saved->restore();
    g_saved.reset();
}

std::unique_ptr<ConsoleInputSource> cacaInputSource(caca_display_t *display, bool onTerminal) {
    if (onTerminal) return std::make_unique<ConsoleRecordSource>();
    return std::make_unique<CacaInputSource>(display, false);
}
