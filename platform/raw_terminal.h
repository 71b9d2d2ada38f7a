#pragma once
// The terminal as the truecolor picture drives it, without libcaca: raw
// input read without waiting, the alternate screen with the cursor hidden,
// output that never makes the frame loop wait, and the window size with a
// flag for every resize. Closing (or destroying) it puts back the terminal
// modes and screen exactly as they were.
#include <termios.h>

#include <chrono>
#include <string>
#include <string_view>

struct TerminalSize {
    int columns = 80;
    int rows = 24;
};

class RawTerminal {
public:
    RawTerminal() = default;
    ~RawTerminal();
    RawTerminal(const RawTerminal&) = delete;
    RawTerminal& operator=(const RawTerminal&) = delete;

    // Takes over the terminal on standard input and output. Returns an
    // error text, empty on success; on failure nothing was changed.
    std::string open();
    // Finishes any frame still being sent, then restores. Safe to repeat.
    void close();
    bool isOpen() const { return open_; }

    // The bytes that undo what open() sent. While open, the signal guard
    // holds them and the saved modes for a fatal signal.
    static std::string_view restoreBytes();

    // The window size; 80 x 24 when the terminal does not say.
    TerminalSize size() const;
    // True once after each change of the window size.
    bool takeResize();

    // Appends whatever input is waiting; never waits.
    void readInput(std::string& bytes);

    // True when the last frame has been handed to the terminal whole, so a
    // new one may be sent. While the terminal is slow to take it, the
    // remainder is retried here and frames are dropped meanwhile.
    bool readyForFrame();
    // One write of a whole frame. What the terminal does not take at once
    // is kept and sent by readyForFrame() before any later frame.
    void sendFrame(std::string_view bytes);
    // Keeps handing the rest of the last frame to the terminal as fast as it
    // takes it, until all is sent or `deadline` comes. Without this a frame
    // larger than the terminal's buffer would go out one buffer a frame.
    void sendPendingUntil(std::chrono::steady_clock::time_point deadline);

private:
    bool writePending();

    bool open_ = false;
    int output_ = -1;  // our own non-blocking descriptor of the terminal
    termios saved_{};
    std::string pending_;
};
