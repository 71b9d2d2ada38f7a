#pragma once
// The warning for viewers who are sensitive to flashing light: the scenes
// that flash more than three times in a second over a quarter of the
// picture or more, with when, as `vesper-capture --stats` measures the
// whole show at 60 frames a second. The help, the README and the web
// page's start screen carry it; a long test checks it against the measure.
#include <string>
#include <string_view>
#include <vector>

struct FlashingScene {
    std::string_view name;   // as the statistics name the scene
    std::string_view times;  // minutes:seconds of the song
};

const std::vector<FlashingScene>& flashingScenes();

// One paragraph of plain words, without line breaks.
std::string flashWarning();
