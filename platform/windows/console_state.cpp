#include "platform/windows/console_state.h"

#include <algorithm>

namespace {

HANDLE openConsole(const wchar_t *name) {
    return CreateFileW(name, GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE,
                       nullptr, OPEN_EXISTING, 0, nullptr);
}

// GetConsoleTitleW says nothing of a title longer than its buffer: the
// buffer grows until the title fits.
std::wstring consoleTitle() {
    for (DWORD size = 256; size <= 65536; size *= 4) {
        std::wstring title(size, L'\0');
        const DWORD length = GetConsoleTitleW(title.data(), size);
        if (length < size - 1) {
            title.resize(length);
            return title;
        }
    }
    return {};
}

}  // namespace

ConsoleState::ConsoleState() : output_(openConsole(L"CONOUT$")), input_(openConsole(L"CONIN$")) {
    haveOutputMode_ = output_ != INVALID_HANDLE_VALUE && GetConsoleMode(output_, &outputMode_);
    haveInputMode_ = input_ != INVALID_HANDLE_VALUE && GetConsoleMode(input_, &inputMode_);
    haveCursor_ = haveOutputMode_ && GetConsoleCursorInfo(output_, &cursor_);
    outputCodePage_ = GetConsoleOutputCP();
    inputCodePage_ = GetConsoleCP();
    title_ = consoleTitle();
}

ConsoleState::~ConsoleState() {
    if (output_ != INVALID_HANDLE_VALUE) CloseHandle(output_);
    if (input_ != INVALID_HANDLE_VALUE) CloseHandle(input_);
}

void ConsoleState::restore() const {
    if (haveOutputMode_) {
        SetConsoleActiveScreenBuffer(output_);
        SetConsoleMode(output_, outputMode_);
    }
    if (haveCursor_) SetConsoleCursorInfo(output_, &cursor_);
    if (haveInputMode_) SetConsoleMode(input_, inputMode_);
    // 0: there was no console to read them from.
    if (outputCodePage_) SetConsoleOutputCP(outputCodePage_);
    if (inputCodePage_) SetConsoleCP(inputCodePage_);
    if (haveOutputMode_) SetConsoleTitleW(title_.c_str());
}

bool consoleIsOurOwn() {
    DWORD processes[2];
    return GetConsoleProcessList(processes, 2) == 1;
}

void enlargeOwnConsole(short columns, short rows) {
    const HANDLE output = GetStdHandle(STD_OUTPUT_HANDLE);
    CONSOLE_SCREEN_BUFFER_INFO info;
    if (!consoleIsOurOwn() || !GetConsoleScreenBufferInfo(output, &info)) return;
    const COORD largest = GetLargestConsoleWindowSize(output);
    const short width = std::min(columns, std::max<short>(largest.X, 1));
    const short height = std::min(rows, std::max<short>(largest.Y, 1));
    const short windowWidth = info.srWindow.Right - info.srWindow.Left + 1;
    const short windowHeight = info.srWindow.Bottom - info.srWindow.Top + 1;
    if (windowWidth >= width && windowHeight >= height) return;
    // The buffer first: a window never grows past its buffer.
    const COORD buffer = {std::max(info.dwSize.X, width), std::max(info.dwSize.Y, height)};
    SetConsoleScreenBufferSize(output, buffer);
    const SMALL_RECT window = {0, 0, static_cast<short>(std::max(windowWidth, width) - 1),
                               static_cast<short>(std::max(windowHeight, height) - 1)};
    SetConsoleWindowInfo(output, TRUE, &window);
}
