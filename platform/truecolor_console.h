#pragma once
// The show's second display: the frame as 24-bit colour cells filling the
// terminal, drawn by our own converter and encoder on a raw terminal. It
// offers the frame loop what the libcaca console does (title, keys, one
// picture per frame) and adds a cap on the frame rate, since a terminal
// that cannot keep up would otherwise fall ever further behind the song.
#include <chrono>
#include <cstdint>
#include <optional>
#include <string>

#include "platform/cell_encoder.h"
#include "platform/key_parser.h"
#include "platform/raw_terminal.h"
#include "render/cell_converter.h"
#include "render/cell_fit.h"

struct TruecolorStats {
    long long framesSent = 0;
    long long framesDropped = 0;  // the terminal was still taking an earlier one
    long long bytesSent = 0;
};

class TruecolorConsole {
public:
    TruecolorConsole(CellShape shape, int framesPerSecond);

    // An error text, empty on success.
    std::string open();
    void close();
    RawTerminal& terminal() { return terminal_; }

    void setTitle(const char* title) { title_ = title; }

    // Reads the keyboard. Left, Right and Space go to `keys` as engine keys;
    // Escape and Ctrl+C are remembered. Returns the count of engine keys.
    int pumpKeys(int* keys, int capacity);
    // Escape pressed since the last call; clears it.
    bool takeEscapePress();
    bool interruptPressed() const { return interrupted_; }

    // Draws the frame (320 x 200, frame layout) unless the terminal is still
    // busy with the last one, re-fitting the picture after a resize.
    void present(const std::uint32_t* frame);
    // Sleeps until the frame-rate cap allows the next frame. A loop that
    // is late starts a fresh schedule rather than rushing to catch up.
    void waitForNextFrame();

    const TruecolorStats& stats() const { return stats_; }

private:
    void refit();

    CellShape shape_;
    std::chrono::steady_clock::duration framePeriod_;
    std::chrono::steady_clock::time_point nextFrame_{};
    RawTerminal terminal_;
    KeyParser keyParser_;
    CellEncoder encoder_;
    std::optional<CellConverter> converter_;
    CellArea area_;
    std::string title_;
    std::string input_;
    bool escapePressed_ = false;
    bool interrupted_ = false;
    TruecolorStats stats_;
};
