#pragma once
// The show's command line: every option the show takes is declared in
// show_options.cpp and lands in ShowSettings, which is all the driver reads.
#include <string>
#include <vector>

#include "render/cell_picture.h"

// Which picture the show draws: libcaca's characters, our own 24-bit colour
// cells, the frame's own pixels through the terminal graphics protocol or
// as sixels, or the best of these the terminal says it shows.
enum class DisplayChoice { Caca, Truecolor, Kitty, Sixel, Auto };

struct ShowSettings {
    std::string dataFolder;  // --data; empty: search (driver/data_folder.h)
    int startMs = 0;         // --start
    bool mute = false;       // --mute: no audio device, the steady clock
    std::string driver;      // --driver: libcaca's output driver; empty: its own choice
    DisplayChoice display = DisplayChoice::Caca;  // --display
    CellShape cells = CellShape::HalfBlock;       // --cells, for the truecolor picture
    int framesPerSecond = 0;  // --fps; 0: the picture's own default
};

// The frame-rate caps when --fps is not given; libcaca's picture has none.
constexpr int kTruecolorDefaultFps = 60;
constexpr int kKittyDefaultFps = 60;
constexpr int kSixelDefaultFps = 30;

struct ShowCommandLine {
    ShowSettings settings;
    std::string print;  // help or version text: print and exit with 0
    std::string error;  // one line: refuse with status 2
};

// Arguments without the program name.
ShowCommandLine parseShowCommandLine(const std::vector<std::string>& args);

// A song position as "MS" (milliseconds) or "M:SS" (minutes and seconds);
// empty on success, else what is wrong.
std::string parseSongPosition(const std::string& text, int& ms);

// The line that follows a refusal.
std::string showUsageHint();
