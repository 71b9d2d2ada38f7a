#include "platform/windows/console_records.h"

namespace {

constexpr wchar_t kCtrlC = 3;

}  // namespace

ConsoleInput consoleInputForKeyRecord(const KEY_EVENT_RECORD &key) {
    if (!key.bKeyDown) return ConsoleInput::Other;
    if (key.uChar.UnicodeChar == kCtrlC) return ConsoleInput::CtrlC;
    switch (key.wVirtualKeyCode) {
        case VK_ESCAPE: return ConsoleInput::Escape;
        case VK_LEFT: return ConsoleInput::Left;
        case VK_RIGHT: return ConsoleInput::Right;
        case VK_SPACE: return ConsoleInput::Space;
        default: return ConsoleInput::Other;
    }
}

std::string terminalBytesForKeyRecord(const KEY_EVENT_RECORD &key) {
    if (!key.bKeyDown) return {};
    switch (key.wVirtualKeyCode) {
        case VK_ESCAPE: return "\x1b";
        case VK_LEFT: return "\x1b[D";
        case VK_RIGHT: return "\x1b[C";
        default: break;
    }
    const wchar_t c = key.uChar.UnicodeChar;
    if (c == 0 || c > 0x7F) return {};
    return std::string(1, static_cast<char>(c));
}

ConsoleRecords::ConsoleRecords()
    : input_(CreateFileW(L"CONIN$", GENERIC_READ | GENERIC_WRITE,
                         FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING, 0, nullptr)) {}

ConsoleRecords::~ConsoleRecords() {
    if (input_ != INVALID_HANDLE_VALUE) CloseHandle(input_);
}

std::optional<INPUT_RECORD> ConsoleRecords::next() {
    if (input_ == INVALID_HANDLE_VALUE || WaitForSingleObject(input_, 0) != WAIT_OBJECT_0)
        return std::nullopt;
    INPUT_RECORD record;
    DWORD read = 0;
    if (!ReadConsoleInputW(input_, &record, 1, &read) || read != 1) return std::nullopt;
    return record;
}

std::optional<ConsoleInput> ConsoleRecordSource::next() {
    // Mouse, focus and size records are read past.
    while (const std::optional<INPUT_RECORD> record = records_.next())
        if (record->EventType == KEY_EVENT) return consoleInputForKeyRecord(record->Event.KeyEvent);
    return std::nullopt;
}
