#pragma once
// What a show changes in the Windows console, read when it takes the console
// and put back on every way out: the active screen buffer's output mode and
// cursor, the input mode, both code pages and the title. A show started in
// a console of its own (double-clicked) also makes that console large
// enough for the picture.
#include <windows.h>

#include <string>

class ConsoleState {
public:
    // Reads the console's state now; with no console, there is nothing to
    // put back.
    ConsoleState();
    ~ConsoleState();
    ConsoleState(const ConsoleState &) = delete;
    ConsoleState &operator=(const ConsoleState &) = delete;

    // Puts back what was read, on the buffer that was active then (and
    // makes it active again). Safe to repeat.
    void restore() const;

    HANDLE output() const { return output_; }
    HANDLE input() const { return input_; }
    DWORD outputMode() const { return outputMode_; }

private:
    HANDLE output_;
    HANDLE input_;
    DWORD outputMode_ = 0;
    DWORD inputMode_ = 0;
    bool haveOutputMode_ = false;
    bool haveInputMode_ = false;
    CONSOLE_CURSOR_INFO cursor_{};
    bool haveCursor_ = false;
    UINT outputCodePage_ = 0;
    UINT inputCodePage_ = 0;
    std::wstring title_;
};

// True when no other program shares the console: it was made for this one
// (a double-click, `start`), and closes with it.
bool consoleIsOurOwn();

// Makes a console of our own at least `columns` x `rows` cells, as far as
// the screen allows (a terminal that owns the window size, as Windows
// Terminal does, keeps its size).
void enlargeOwnConsole(short columns, short rows);
