#pragma once
// What every picture drawn on a raw terminal shares, whatever it draws
// with: the terminal itself, the keys (with the terminal's replies taken
// out), the window title, the frame-rate cap, frames skipped rather than
// queued while the terminal is still taking the last one, and a re-fit
// after every resize. A picture adds how it fits the window and what bytes
// draw one frame.
#include <cstdint>
#include <deque>
#include <optional>
#include <string>
#include <string_view>

#include "platform/console_input.h"
#include "platform/frame_display.h"
#include "platform/frame_pacer.h"
#include "platform/key_parser.h"
#include "platform/raw_terminal.h"
#include "platform/terminal_replies.h"
#include "render/cell_fit.h"
#include "render/cell_picture.h"

struct TerminalDisplayStats {
    long long framesSent = 0;
    long long framesDropped = 0;  // the terminal was still taking an earlier one
    long long bytesSent = 0;
};

// What a key read from the terminal means to the show.
ConsoleInput consoleInputForTerminalKey(TerminalKey key);

class TerminalConsole : public FrameDisplay, public ConsoleInputSource {
public:
    // `replies`: what the terminal said when it was asked before (nothing
    // when it was not asked).
    TerminalConsole(int framesPerSecond, const TerminalReplies& replies);

    // An error text, empty on success.
    std::string open();
    void close();
    bool isOpen() const { return terminal_.isOpen(); }

    void setTitle(const char* title) override { title_ = title; }
    // Draws the frame unless the terminal is still busy with the last one,
    // re-fitting the picture after a resize.
    void present(const PixelView& frame) override;
    // Draws the held frame only after a resize or a stop, or when the
    // terminal was too busy to take it the first time.
    void presentAgain(const PixelView& frame) override;
    // Sends what the terminal has not taken yet while it waits.
    void waitForNextFrame() override;

    // The keys typed since the last call, one at a time; never waits.
    std::optional<ConsoleInput> next() override;
    // Bytes read from the terminal before it was opened (while it was
    // asked about itself): they are read before anything newer.
    void addEarlyInput(std::string_view bytes);

    const TerminalDisplayStats& stats() const { return stats_; }

    // Without a terminal, for the capture tool: the picture fitted to a
    // terminal of `size`, then each frame's bytes exactly as present()
    // would send them there, one frame after the other.
    void fitWithoutTerminal(const TerminalSize& size) { fit(size); }
    std::string_view frameBytes(const PixelView& frame, std::string_view title) {
        return encode(frame, title);
    }
    // Where the picture lies, in cells; and in pixels, for a picture the
    // terminal does not scale (unknown for the others).
    virtual CellArea pictureArea() const = 0;
    virtual PixelSize picturePixels() const { return {}; }
    // The cells the last frame drew, for a picture made of cells; null for
    // the others.
    virtual const CellPicture* cells() const { return nullptr; }

protected:
    // The window's pixels: as the kernel says, else the cell size the
    // terminal answered times the cells (bounded as the kernel's are);
    // unknown when neither is known.
    PixelSize windowPixels(const TerminalSize& size) const;
    const TerminalReplies& replies() const { return replies_; }

private:
    // What the picture sends once the terminal is taken over, and what
    // undoes it (sent on every way out).
    virtual std::string enterBytes() const { return {}; }
    virtual std::string leaveBytes() const { return {}; }
    // Fits the picture to a new window size, or after a stop; either way
    // the next frame is drawn whole.
    virtual void fit(const TerminalSize& size) = 0;
    // The bytes of one frame, with the window title when it changed. The
    // console wraps them in a synchronized update where the picture's own
    // bytes do not.
    virtual std::string_view encode(const PixelView& frame, std::string_view title) = 0;

    void readKeys();
    // Fits the picture again after a resize or a stop; true when it did.
    bool refitAfterChange();
    void send(const PixelView& frame);

    TerminalReplies replies_;
    FramePacer pacer_;
    RawTerminal terminal_;
    TerminalReplyFilter replyFilter_;
    KeyParser keyParser_;
    std::string title_;
    std::string input_;
    std::string early_;
    std::deque<ConsoleInput> keys_;
    bool goneSaid_ = false;
    bool shown_ = false;  // the last frame was handed to the terminal
    TerminalDisplayStats stats_;
};

// The bytes that set the window title, control characters left out (they
// would end or break the sequence).
void appendWindowTitle(std::string& out, std::string_view title);

// One whole frame as the console sends it: in a synchronized update where
// the terminal knows one, the screen cleared to black first after a re-fit, the
// title, then the picture's own bytes.
struct FrameFraming {
    bool synchronizedUpdate = false;
    bool clear = false;
    std::string_view title;
};
void appendFramed(std::string& out, const FrameFraming& framing, std::string_view picture);
