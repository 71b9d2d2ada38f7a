#include <gtest/gtest.h>
#include <termios.h>
#include <unistd.h>

#include <algorithm>
#include <csignal>
#include <chrono>
#include <cstdlib>
#include <string>
#include <thread>
#include <utility>
#include <vector>

#include "engine/vrl.h"
#include "platform/caca_console.h"
#include "platform/console_input.h"
#include "platform/signal_guard.h"
#include "platform/truecolor_console.h"
#include "platform/win_console.h"
#include "tests/platform/terminal_child.h"

namespace {

// What one character cell shows: its glyph and its colours.
std::pair<std::uint32_t, std::uint32_t> cellAt(caca_canvas_t* canvas, int x, int y) {
    return {caca_get_char(canvas, x, y), caca_get_attr(canvas, x, y)};
}

bool haveDriver(const char* name) {
    const std::vector<std::string> drivers = consoleDrivers();
    return std::find(drivers.begin(), drivers.end(), name) != drivers.end();
}

TEST(TerminalCursor, HiddenAndShownAgainOnTheTerminal) {
    const ChildRun run = runOnTerminal([](const Ready&) {
        CONSOLE_CURSOR_INFO cursor{1, FALSE};
        if (!SetConsoleCursorInfo(GetStdHandle(STD_OUTPUT_HANDLE), &cursor)) return 1;
        std::fputs("|", stdout);
        cursor.bVisible = TRUE;
        if (!SetConsoleCursorInfo(GetStdHandle(STD_OUTPUT_HANDLE), &cursor)) return 2;
        return 0;
    });
    ASSERT_TRUE(exitedWith(run, 0)) << run.status;
    EXPECT_EQ(run.written, "\033[?25l|\033[?25h");
}

// The picture: a black top half over a white bottom half.
std::vector<unsigned int> halfWhitePicture() {
    std::vector<unsigned int> pixels(320 * 200, 0u);
    std::fill(pixels.begin() + 100 * 320, pixels.end(), 0xFFFFFFu);
    return pixels;
}

TEST(CacaConsole, ASmallerTerminalGetsTheWholePictureScaledNotCutAndADumbOneNone) {
    if (!haveDriver("ncurses")) GTEST_SKIP() << "libcaca without its ncurses driver";
    const ChildRun run = runOnTerminal(
        [](const Ready&) {
            setenv("CACA_DRIVER", "ncurses", 1);
            // On a dumb terminal libcaca would end the process: no console.
            setenv("TERM", "dumb", 1);
            if (caca_init() == 0) return 12;
            setenv("TERM", "xterm-256color", 1);
            if (caca_init() != 0) return 10;
            caca_canvas_t* canvas = caca_get_canvas(consoleDisplay());
            if (caca_get_canvas_height(canvas) != 25) return 11;
            std::vector<unsigned int> pixels = halfWhitePicture();
            caca_dither_t* bitmap =
                caca_create_bitmap(32, 320, 200, 4 * 320, 0xFF0000, 0xFF00, 0xFF, 0);
            caca_draw_bitmap(0, 0, 80, 50, bitmap, pixels.data());
            // The bottom row shows the white half; a picture cut at the
            // terminal's edge would end in its black upper half there.
            int result = 0;
            for (int x : {0, 40, 79}) {
                if (cellAt(canvas, x, 24) == cellAt(canvas, x, 0)) result = 1;
                if (cellAt(canvas, x, 10) != cellAt(canvas, x, 0)) result = 2;
            }
            caca_free_bitmap(bitmap);
            caca_end();
            return result;
        },
        25);
    EXPECT_TRUE(exitedWith(run, 0)) << "status " << run.status
                                    << " (1: bottom row not white, 2: top half not black, 12: a dumb one)";
}

TEST(CacaConsole, AfterAContinueTheWholePictureIsSentAgain) {
    // The shell wrote over the screen while the show was stopped; curses
    // would otherwise send only what changed since its last frame.
    if (!haveDriver("ncurses")) GTEST_SKIP() << "libcaca without its ncurses driver";
    const ChildRun run = runOnTerminal([](const Ready&) {
        setenv("TERM", "xterm-256color", 1);
        setenv("CACA_DRIVER", "ncurses", 1);
        installSignalGuard();
        if (caca_init() != 0) return 10;
        std::vector<unsigned int> pixels = halfWhitePicture();
        caca_dither_t* bitmap = caca_create_bitmap(32, 320, 200, 4 * 320, 0xFF0000, 0xFF00, 0xFF, 0);
        for (int frame = 0; frame < 2; ++frame) {
            caca_draw_bitmap(0, 0, 80, 50, bitmap, pixels.data());
            caca_refresh();
            if (frame == 0) {
                (void)!write(STDOUT_FILENO, "<continued>", 11);
                raise(SIGCONT);
            }
        }
        caca_free_bitmap(bitmap);
        caca_end();
        return 0;
    });
    ASSERT_TRUE(exitedWith(run, 0)) << run.status;
    const std::size_t mark = run.written.find("<continued>");
    ASSERT_NE(mark, std::string::npos);
    // The white half alone is 80 x 25 cells.
    EXPECT_GT(run.written.size() - mark, 2000u) << "only the changes were sent";
}

TEST(TruecolorConsole, EveryKeyTypedReachesThePumpInOrderAndNoReadWaits) {
    // A burst of arrows, Space, keys the show does not use and a lone
    // Escape; then, on its own, Ctrl+C (a byte, not a signal, in raw mode).
    // The modes are a shell's that reads a byte at a time, as one may leave
    // them after a SIGSTOP: reading keys must still never wait for one.
    std::string burst;
    for (int i = 0; i < 100; ++i) burst += "\x1b[C";
    burst += "\x1b[D x\x1b[A\x1b[1;5D\x1b";
    std::vector<int> expected(100, VRL_KEY_RIGHT);
    expected.insert(expected.end(), {VRL_KEY_LEFT, VRL_KEY_SPACE, VRL_KEY_LEFT});
    const ChildRun run = runOnTerminal(
        [&expected](const Ready& ready) {
            TruecolorConsole console(CellShape::HalfBlock, 0);
            if (!console.open().empty()) return 10;
            InputPump pump;
            pump.attach(&console);
            termios modes{};
            tcgetattr(STDIN_FILENO, &modes);
            modes.c_cc[VMIN] = 1;
            tcsetattr(STDIN_FILENO, TCSANOW, &modes);
            alarm(8);  // a read that waits ends the child here (before the runner's 10 s)
            ready();
            std::vector<int> keys;
            for (int wait = 0; wait < 400 && keys.size() < expected.size(); ++wait) {
                int batch[32];
                const int count = pump.takeEngineKeys(batch, 32);
                keys.insert(keys.end(), batch, batch + count);
                if (count == 0) std::this_thread::sleep_for(std::chrono::milliseconds(5));
            }
            if (keys != expected) return 1;
            // The lone Escape counts once nothing has followed it for a while.
            std::this_thread::sleep_for(std::chrono::milliseconds(2 * KeyParser::kEscapeTimeoutMs));
            if (!pump.takeEscapePress()) return 2;
            if (pump.quitRequested()) return 3;
            ready();
            for (int wait = 0; wait < 400 && !pump.quitRequested(); ++wait) {
                std::this_thread::sleep_for(std::chrono::milliseconds(5));
                pump.drain();
            }
            const bool quit = pump.quitRequested();
            console.close();
            return quit ? 0 : 4;
        },
        50, {burst, "\x03"});
    EXPECT_TRUE(exitedWith(run, 0)) << "status " << run.status
                                    << " (1: keys lost or reordered, 2: no Escape, 3: Escape read as a quit,"
                                       " 4: Ctrl+C not a quit; killed: a read waited)";
}

}  // namespace
