#pragma once
// The show's second display: the frame as 24-bit colour cells filling the
// terminal, drawn by our own converter and encoder on a raw terminal. It
// offers the frame loop what the libcaca console does (title, keys through
// the input pump, one picture per frame) and adds a cap on the frame rate,
// since a terminal that cannot keep up would otherwise fall ever further
// behind the song.
#include <cstdint>
#include <deque>
#include <optional>
#include <string>

#include "platform/cell_encoder.h"
#include "platform/console_input.h"
#include "platform/frame_display.h"
#include "platform/frame_pacer.h"
#include "platform/key_parser.h"
#include "platform/raw_terminal.h"
#include "render/cell_converter.h"
#include "render/cell_fit.h"

struct TruecolorStats {
    long long framesSent = 0;
    long long framesDropped = 0;  // the terminal was still taking an earlier one
    long long bytesSent = 0;
};

// What a key read from the terminal means to the show.
ConsoleInput consoleInputForTerminalKey(TerminalKey key);

class TruecolorConsole : public FrameDisplay, public ConsoleInputSource {
public:
    TruecolorConsole(CellShape shape, int framesPerSecond);

    // An error text, empty on success.
    std::string open();
    void close();

    void setTitle(const char* title) override { title_ = title; }
    // Draws the frame unless the terminal is still busy with the last one,
    // re-fitting the picture after a resize.
    void present(const std::uint32_t* frame) override;
    // Sends what the terminal has not taken yet while it waits.
    void waitForNextFrame() override;

    // The keys typed since the last call, one at a time; never waits.
    std::optional<ConsoleInput> next() override;

    const TruecolorStats& stats() const { return stats_; }

private:
    void refit();
    void readKeys();

    CellShape shape_;
    FramePacer pacer_;
    RawTerminal terminal_;
    KeyParser keyParser_;
    CellEncoder encoder_;
    std::optional<CellConverter> converter_;
    CellArea area_;
    std::string title_;
    std::string input_;
    std::deque<ConsoleInput> keys_;
    bool goneSaid_ = false;
    TruecolorStats stats_;
};
