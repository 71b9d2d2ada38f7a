// Asks the terminal it runs in what it can show, as the show does, and
// writes the picture --display auto would choose ("kitty", "sixel",
// "truecolor" or "libcaca"), then the window's columns, rows and pixels as
// the kernel has them, to the file named by its argument (or to standard
// error). A second argument is how many times to ask a terminal that did
// not answer. For the end-to-end tests in real terminals.
#include <sys/ioctl.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <thread>

#include "driver/display_choice.h"

int main(int argc, char** argv) {
    // Software rendering on a busy machine can hold a terminal that has just
    // started past the show's quarter second; what is checked here is the
    // choice made from its answers, so a round it sat out is asked again.
    const int rounds = argc > 2 ? std::atoi(argv[2]) : 1;
    TerminalProbe probe;
    DisplayDecision decision = decideDisplayHere(kAutoDisplay, probe);
    for (int round = 1; round < rounds && probe.asked && !probe.replies.deviceAttributes; ++round) {
        std::this_thread::sleep_for(std::chrono::milliseconds(500));
        decision = decideDisplayHere(kAutoDisplay, probe);
    }
    std::FILE* out = argc > 1 ? std::fopen(argv[1], "w") : stderr;
    if (!out) return 1;
    winsize window{};
    ioctl(STDOUT_FILENO, TIOCGWINSZ, &window);
    std::fprintf(out, "%s %d %d %d %d\n", std::string(decision.row->title).c_str(), window.ws_col, window.ws_row, window.ws_xpixel,
                 window.ws_ypixel);
    return std::fclose(out) == 0 ? 0 : 1;
}
