#pragma once
// Turns cell pictures into the bytes that draw them on a 24-bit colour
// terminal, frame after frame, sending only what changed: cells equal to
// what the terminal already shows are skipped, the cursor is moved only
// over skipped cells, and colours are set only where they change. Each
// frame is wrapped in synchronized-update mode so the terminal shows it
// whole or not at all.
#include <cstdint>
#include <string>
#include <string_view>

#include "render/cell_picture.h"

class CellEncoder {
public:
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

    // The terminal's current colours (24 bits, or unknown) and cursor.
    struct Pen {
        static constexpr std::uint32_t kUnknownColor = 0xFFFFFFFFu;
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

    std::string buffer_;  // the last frame's bytes, and room for the next
    CellPicture shown_;  // what the terminal shows; empty after invalidate
    int shownColumn_ = 0;
    int shownRow_ = 0;
    bool valid_ = false;
    std::string title_;
    bool titleSent_ = false;
    Pen pen_;
};

// The bytes that bracket a frame: begin and end of synchronized update.
constexpr std::string_view kBeginSynchronizedUpdate = "\x1b[?2026h";
constexpr std::string_view kEndSynchronizedUpdate = "\x1b[?2026l";
