#include "driver/flash_warning.h"

const std::vector<FlashingScene>& flashingScenes() {
    // Seconds near the limit come and go with the frames' phase: these are
    // what runs from 0 and from 150 ms found between them.
    static const std::vector<FlashingScene> scenes = {
        {"Kuvatus", "0:49-1:22"},
        {"Kuvatus2", "1:21-1:23, 1:39"},
        {"Distort", "1:40, 1:42-1:44, 1:57-1:59"},
        {"Rauha", "2:14"},
        {"Tunnel", "2:42-3:08"},
        {"Zoom", "3:13-3:39"},
        {"Valo", "4:03-5:03"},
        {"Credits", "5:03"},
    };
    return scenes;
}

std::string flashWarning() {
    std::string list;
    const std::vector<FlashingScene>& scenes = flashingScenes();
    for (std::size_t i = 0; i < scenes.size(); ++i) {
        if (i > 0) list += i + 1 == scenes.size() ? " and " : ", ";
        list.append(scenes[i].name).append(" (").append(scenes[i].times).append(")");
    }
    return "Warning: flashing light. The picture flashes more than three times a second over "
           "much of the screen in " +
           list +
           ". Flashing like this can cause seizures in people with photosensitive epilepsy.";
}
