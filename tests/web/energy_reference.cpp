// Prints the loudness the effects read (the spectrum's sum over 5) at each
// position given, as the terminal show's engine computes it from the
// content in the current folder: the reference the browser test compares
// the page's with. After the loading line, one line per position:
// "energy", the position and the value as a float's bits in hexadecimal.
// Usage: web_energy_reference MS,MS,...
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "driver/show_loading.h"
#include "effects/loudness.h"
#include "engine/vrl.h"

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: web_energy_reference MS,MS,...\n");
        return 2;
    }
    ShowLoading loading;
    loading.manualClock = true;
    loading.logging = false;
    if (!loadShow(loading)) return 1;
    for (char* item = std::strtok(argv[1], ","); item; item = std::strtok(nullptr, ",")) {
        const int ms = std::atoi(item);
        vrlSetPosition(ms);
        vrlUpdateTimer();
        const float energy = spectrumEnergy();
        unsigned int bits = 0;
        std::memcpy(&bits, &energy, sizeof bits);
        std::printf("energy %d %08x\n", ms, bits);
    }
    vrlShutDown();
    return 0;
}
