#pragma once
// The show's command line: every option the show takes is declared in
// show_options.cpp and lands in ShowSettings, which is all the driver reads.
#include <string>
#include <vector>

#include "driver/display_table.h"
#include "render/cell_picture.h"

struct ShowSettings {
    std::string dataFolder;  // --data; empty: search (driver/data_folder.h)
    int startMs = 0;         // --start
    bool mute = false;       // --mute: no audio device, the steady clock
    std::string driver;      // --driver: libcaca's output driver; empty: its own choice
    // --display: a picture of the table (driver/display_table.h) by name,
    // or "auto", the best of them the terminal says it shows.
    std::string display{kClassicDisplay};
    CellShape cells = CellShape::HalfBlock;       // --cells, for the truecolor picture
    int framesPerSecond = 0;  // --fps; 0: the picture's own default
};

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
