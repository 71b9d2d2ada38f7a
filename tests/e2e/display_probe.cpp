// Asks the terminal it runs in what it can show, as the show does, and
// writes the picture --display auto would choose ("kitty", "sixel",
// "truecolor" or "libcaca"), then the window's columns, rows and pixels as
// the kernel has them, to the file named by its argument (or to standard
// error). For the end-to-end tests in real terminals.
#include <sys/ioctl.h>
#include <unistd.h>

#include <cstdio>

#include "driver/display_choice.h"

int main(int argc, char** argv) {
    TerminalProbe probe;
    const DisplayDecision decision = decideDisplayHere(DisplayChoice::Auto, probe);
    std::FILE* out = argc > 1 ? std::fopen(argv[1], "w") : stderr;
    if (!out) return 1;
    winsize window{};
    ioctl(STDOUT_FILENO, TIOCGWINSZ, &window);
    std::fprintf(out, "%s %d %d %d %d\n", displayName(decision.kind), window.ws_col, window.ws_row, window.ws_xpixel,
                 window.ws_ypixel);
    return std::fclose(out) == 0 ? 0 : 1;
}
