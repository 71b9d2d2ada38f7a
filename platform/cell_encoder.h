#pragma once
// Turns cell pictures into the bytes that draw them on a 24-bit colour
// terminal, frame after frame, sending only what changed: cells that look
// like what the terminal already shows are skipped, the cursor is moved
// only over skipped cells, and colours are set only where they change. Each
// frame is wrapped in synchronized-update mode so the terminal shows it
// whole or not at all.
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "platform/pen_plan.h"
#include "render/cell_picture.h"

class CellEncoder {
public:
    // `tolerance`: how many steps (of 255) in any channel a sub-cell may at
    // most be off the picture before it is drawn again, or be drawn off it
    // to share the pen's colour; less where the picture around is flat; 0
    // draws every change exactly. What the terminal shows is always measured
    // against the picture asked for now, so the error never grows past it.
    explicit CellEncoder(int tolerance = 0) : tolerance_(tolerance) {}

    // Forgets what the terminal shows: the next frame clears the screen and
    // draws every cell (at the start, and after a resize).
    void invalidate();

    // The bytes of one frame: `picture` with its top left cell at (column,
    // row) of the terminal, counted from 0, and the window title when it
    // differs from the last one sent. The terminal is assumed to show
    // everything sent before. Valid until the next call.
    std::string_view encodeFrame(const CellPicture& picture, int column, int row,
                                 std::string_view title);

    // The picture alone as text for a file: row after row, each starting
    // from default colours and ending with a reset and a line break, no
    // cursor moves. Independent of the frames encoded before.
    static std::string standaloneText(const CellPicture& picture);

    // What the terminal shows after the last frame encoded.
    const CellPicture& shown() const { return shown_; }

    // The terminal's current colours (24 bits, or unknown) and cursor.
    struct Pen {
        static constexpr std::uint32_t kUnknownColor = PenPlan::kUnknownColor;
        std::uint32_t foreground = kUnknownColor;
        std::uint32_t background = kUnknownColor;
        bool cursorKnown = false;
        int cursorColumn = 0;
        int cursorRow = 0;
    };

private:
    // Writes at `out` and returns the end of what it wrote.
    char* encodeTitle(std::string_view title, char* out);
    bool showsSameLayout(const CellPicture& picture, int column, int row) const;
    void measureTolerances(const CellPicture& picture);

    std::string buffer_;  // the last frame's bytes, and room for the next
    CellPicture shown_;  // what the terminal shows; empty after invalidate
    int shownColumn_ = 0;
    int shownRow_ = 0;
    bool valid_ = false;
    std::string title_;
    bool titleSent_ = false;
    Pen pen_;
    PenPlan plan_;  // the row being written, kept for its room
    int tolerance_;
    std::vector<ColorBox> spreads_;  // each cell's colours, for the tolerances
    std::vector<int> tolerances_;    // how far each cell of the frame may be off
};

// The tolerance the show draws with: at most 4 steps of 255 (1.6 %) in any
// channel, where the cell's neighbourhood spreads over 8 steps or more;
// under a third of how far the show's grain moves a colour from one frame
// to the next (13.5 steps a channel on average), which otherwise makes
// nearly every cell of every frame be sent again (about 61 KB a frame in
// an 80 x 50 terminal); with it, the median frame is under half of that.
constexpr int kShowColorTolerance = 4;

// The bytes that bracket a frame: begin and end of synchronized update.
constexpr std::string_view kBeginSynchronizedUpdate = "\x1b[?2026h";
constexpr std::string_view kEndSynchronizedUpdate = "\x1b[?2026l";
