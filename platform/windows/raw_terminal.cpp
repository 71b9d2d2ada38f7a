// The Windows side of platform/raw_terminal.h: the truecolor cells drawn
// with VT sequences, in a console that parses them (Windows 10 1809 and
// later, Windows Terminal). Opening sets ENABLE_VIRTUAL_TERMINAL_PROCESSING;
// where that fails, or the console takes the mode and still prints the
// sequences as text (wine 8's does, while passing the bytes on to its
// terminal too), the picture declines and the show draws libcaca's. Then
// UTF-8 output, and an input without line editing, echo or quick edit (a
// click would freeze the output); closing puts all of the console's state
// back (console_state.h). Keys are read from the console's input records
// and handed on as the bytes a terminal sends for them; the size is the
// console window's, compared on every frame. The title goes through
// SetConsoleTitleW. Writes to a console are synchronous: a frame is always
// taken whole.
#include "platform/raw_terminal.h"

#include <windows.h>

#include <optional>

#include "platform/windows/console_records.h"
#include "platform/windows/console_state.h"
#include "platform/windows/console_title.h"
#include "platform/windows/windows_text.h"

namespace {

// Alternate screen, hidden cursor, no line wrap at the right edge.
constexpr std::string_view kEnterBytes = "\x1b[?1049h\x1b[?25l\x1b[?7l";
constexpr std::string_view kRestoreBytes = "\x1b[0m\x1b[?7h\x1b[?25h\x1b[?1049l";

// The console while a picture has it: one console per process, and one
// picture at a time takes it.
struct TakenConsole {
    std::optional<ConsoleState> saved;
    std::optional<ConsoleRecords> records;
    TerminalSize shownSize;
};
TakenConsole g_taken;

void writeAll(HANDLE output, std::string_view bytes) {
    while (!bytes.empty()) {
        DWORD written = 0;
        if (!WriteFile(output, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr) ||
            written == 0)
            return;
        bytes.remove_prefix(written);
    }
}

TerminalSize consoleWindowSize(HANDLE output) {
    TerminalSize size;
    CONSOLE_SCREEN_BUFFER_INFO info;
    if (!GetConsoleScreenBufferInfo(output, &info)) return size;
    const int columns = info.srWindow.Right - info.srWindow.Left + 1;
    const int rows = info.srWindow.Bottom - info.srWindow.Top + 1;
    if (columns > 0 && rows > 0) {
        size.columns = boundedCells(columns);
        size.rows = boundedCells(rows);
    }
    return size;
}

constexpr DWORD kPictureOutputModes =
    ENABLE_PROCESSED_OUTPUT | ENABLE_VIRTUAL_TERMINAL_PROCESSING | DISABLE_NEWLINE_AUTO_RETURN;
// Ctrl+C stays the control handler's; no line editing, echo or quick edit.
constexpr DWORD kPictureInputModes = ENABLE_PROCESSED_INPUT | ENABLE_WINDOW_INPUT | ENABLE_EXTENDED_FLAGS;

// Whether the console really parses the sequences it was told to: one
// that prints them as text (wine 8's accepts the mode and does) moves its
// cursor for an invisible attribute reset. The cells it wrote are blanked
// again.
bool parsesSequences(HANDLE output) {
    CONSOLE_SCREEN_BUFFER_INFO before, after;
    if (!GetConsoleScreenBufferInfo(output, &before)) return false;
    constexpr std::string_view kProbe = "\x1b[0m";
    writeAll(output, kProbe);
    if (!GetConsoleScreenBufferInfo(output, &after)) return false;
    if (after.dwCursorPosition.X == before.dwCursorPosition.X &&
        after.dwCursorPosition.Y == before.dwCursorPosition.Y)
        return true;
    DWORD blanked = 0;
    FillConsoleOutputCharacterW(output, L' ', static_cast<DWORD>(kProbe.size()),
                                before.dwCursorPosition, &blanked);
    SetConsoleCursorPosition(output, before.dwCursorPosition);
    return false;
}

// Why the console cannot take the picture's sequences, empty when it can;
// the console is left in the picture's output modes when it can.
std::string refusalToParse(const ConsoleState& console) {
    DWORD mode = 0;
    if (!GetConsoleMode(console.output(), &mode)) return "needs a Windows console on its output";
    if (!SetConsoleMode(console.output(), mode | kPictureOutputModes))
        return "needs a console that reads VT sequences (Windows 10 1809 or later: " +
               lastWindowsErrorText() + ")";
    if (!parsesSequences(console.output())) {
        SetConsoleMode(console.output(), mode);
        return "needs a console that reads VT sequences (this one prints them as text)";
    }
    return {};
}

}  // namespace

bool rawTerminalDrawsImages() { return false; }

bool consoleTakesVirtualTerminal() {
    const ConsoleState console;
    const bool parses = refusalToParse(console).empty();
    console.restore();
    return parses;
}

bool terminalHungUp(int) { return false; }

RawTerminal::~RawTerminal() { close(); }

std::string RawTerminal::restoreBytes(std::string_view leave) {
    std::string bytes(leave);
    bytes.append(kRestoreBytes);
    return bytes;
}

std::string RawTerminal::open(std::string_view enter, std::string_view leave) {
    if (open_) return {};
    if (g_taken.saved) return "cannot take a console another picture has";
    g_taken.saved.emplace();
    const ConsoleState& console = *g_taken.saved;
    if (std::string refusal = refusalToParse(console); !refusal.empty()) {
        g_taken.saved.reset();
        return refusal;
    }
    SetConsoleOutputCP(CP_UTF8);
    SetConsoleMode(console.input(), kPictureInputModes);
    g_taken.records.emplace();
    g_taken.shownSize = consoleWindowSize(console.output());
    restore_ = restoreBytes(leave);
    enter_.assign(kEnterBytes);
    enter_.append(enter);
    open_ = true;
    gone_ = false;
    writeAll(console.output(), enter_);
    return {};
}

void RawTerminal::close() {
    if (!open_) return;
    open_ = false;
    writeAll(g_taken.saved->output(), restore_);
    g_taken.saved->restore();
    g_taken.records.reset();
    g_taken.saved.reset();
}

TerminalSize RawTerminal::size() const {
    return open_ ? consoleWindowSize(g_taken.saved->output()) : TerminalSize{};
}

bool RawTerminal::takeResize() {
    if (!open_) return false;
    const TerminalSize now = size();
    if (now.columns == g_taken.shownSize.columns && now.rows == g_taken.shownSize.rows)
        return false;
    g_taken.shownSize = now;
    return true;
}

bool RawTerminal::resumedAfterStop() { return false; }

void RawTerminal::readInput(std::string& bytes) {
    if (!open_) return;
    while (const std::optional<INPUT_RECORD> record = g_taken.records->next())
        if (record->EventType == KEY_EVENT)
            bytes.append(terminalBytesForKeyRecord(record->Event.KeyEvent));
}

bool RawTerminal::writePending() { return true; }

bool RawTerminal::readyForFrame() { return open_; }

void RawTerminal::sendFrame(std::string_view bytes) {
    if (!open_) return;
    const TitledBytes frame = takeWindowTitle(bytes);
    if (frame.title) SetConsoleTitleW(wideFromUtf8(*frame.title).c_str());
    writeAll(g_taken.saved->output(), frame.bytes);
}

void RawTerminal::sendPendingUntil(std::chrono::steady_clock::time_point) {}
