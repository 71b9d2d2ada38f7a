#pragma once
// The capture tool's command line: what to render, when, and where to put it.
#include <optional>
#include <string>
#include <vector>

#include "driver/display_table.h"
#include "driver/schedule.h"
#include "engine/frame.h"
#include "render/cell_picture.h"

// The capture tool's own picture besides the show's: the frame itself,
// enlarged with crisp square pixels.
constexpr std::string_view kPixelsDisplay = "pixels";

struct CaptureOptions {
    std::string showDir;  // the content folder (--data); empty: searched like the show's
    int startMs = 0;
    int endMs = kShowEndMs;  // inclusive
    int fps = 60;
    std::vector<int> atMs;  // when not empty, these positions instead of a range
    int warmupMs = 0;       // with atMs: frames run, unsaved, before each position

    std::string outDir = "capture";  // per-frame files
    bool framePng = false;           // the 320 x 200 FrameBuffer
    bool charPng = false;            // the 80 x 50 character picture, rendered
    bool ansiText = false;
    bool utf8Text = false;

    std::string sheetFile;  // contact sheet PNG
    int sheetEveryMs = 5000;
    int sheetColumns = 4;
    int sheetPictureWidth = kFrameWidth;  // each picture of a cell; height follows 320:200

    std::string videoFile;  // MP4 of the picture with the song
    std::string ffmpegProgram = "ffmpeg";
    int videoWidth = 640;  // the picture scaled to fit, centred, letterboxed
    int videoHeight = 400;

    // The picture beside the FrameBuffer (--display): one of the show's by
    // its name (libcaca's characters, or what another draws in a terminal
    // of this size), or the frame itself in crisp enlarged pixels.
    std::string display{kClassicDisplay};
    CellShape cells = CellShape::HalfBlock;
    int terminalColumns = 80;
    int terminalRows = 50;
    int cellWidth = 8;  // --cell-size: the terminal's cells in pixels
    int cellHeight = 16;
    bool terminalBytes = false;  // --bytes: what each frame sends the terminal

    std::string statsFile;  // .json or .csv; a table also goes to stdout
    bool quiet = false;     // nothing on stderr but failures
    bool verbose = false;   // a closing line of where the time went
    bool singleThread = false;  // outputs on the show's thread, not beside it

    // The show's display, or null for the pixels picture.
    const DisplayRow* displayRow() const { return findDisplay(display); }
    // One of the show's pictures on the raw terminal (it has bytes).
    bool terminalPicture() const { return displayRow() && displayRow()->makeConsole; }
    bool characters() const { return displayRow() && displayRow()->readBack == PictureReadBack::Characters; }

    bool writesPerFrameFiles() const { return framePng || charPng || ansiText || utf8Text || terminalBytes; }
};

struct ParseResult {
    CaptureOptions options;
    std::string error;  // empty when the arguments are good
    std::string print;  // --help or --version text: print it, capture nothing
    bool ok() const { return error.empty(); }
};

// Parses arguments without the program name. Checks everything that can be
// judged from the text alone; folders are checked by checkOutputs.
ParseResult parseOptions(const std::vector<std::string>& args);

// The positions to render, in order. A range runs at the frame rate:
// start + i * 1000 / fps (truncated) up to and including end.
std::vector<int> framePositions(const CaptureOptions& options);

// The line that follows a refusal of the arguments.
std::string usageHint();
