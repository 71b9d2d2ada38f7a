// The terminal going away under a display. (Stopping and continuing the
// show from a shell is tests/e2e/stop_and_resume.sh's, on the real program;
// the guard's part of it is signal_guard_test's.)
#include <gtest/gtest.h>

#include <chrono>
#include <csignal>
#include <cstdlib>
#include <thread>
#include <vector>

#include "engine/frame.h"
#include "platform/caca_console.h"
#include "platform/caca_display.h"
#include "platform/console_input.h"
#include "platform/signal_guard.h"
#include "platform/truecolor_console.h"
#include "tests/platform/terminal_child.h"

namespace {

enum class Picture { Truecolor, Characters };

// Opens the picture on the terminal of standard input and output and runs
// `use` with it and the pump its keys go to; 10 when it does not open.
int withPicture(Picture picture, const std::function<int(FrameDisplay&, InputPump&)>& use) {
    if (picture == Picture::Truecolor) {
        TruecolorConsole console(CellShape::HalfBlock, 0);
        if (!console.open().empty()) return 10;
        InputPump pump;
        pump.attach(&console);
        const int result = use(console, pump);
        console.close();
        return result;
    }
    setenv("TERM", "xterm-256color", 1);
    consoleUseDriver("ncurses");
    if (caca_init() != 0) return 10;
    caca_dither_t* bitmap = caca_create_bitmap(32, kFrameWidth, kFrameHeight, kFrameBytesPerRow, 0xFF,
                                               0xFF00, 0xFF0000, 0);
    CacaDisplay display(bitmap, 0);
    const int result = use(display, consoleInputPump());
    caca_free_bitmap(bitmap);
    caca_end();
    return result;
}

class TerminalHangUp : public ::testing::TestWithParam<Picture> {};

TEST_P(TerminalHangUp, AShowWithoutAControllingTerminalEndsWhenItsWindowCloses) {
    // Started with setsid, closing the window sends no SIGHUP (ignored here
    // to stand for it): only the terminal itself can tell that nobody is
    // left to watch.
    TerminalSetup setup;
    setup.closeWhenReady = true;
    const Picture picture = GetParam();
    const ChildRun run = runOnTerminal(
        [picture](const Ready& ready) {
            installSignalGuard();
            std::signal(SIGHUP, SIG_IGN);
            return withPicture(picture, [&](FrameDisplay& display, InputPump& pump) {
                std::vector<std::uint32_t> frame(kFramePixels, 0u);
                display.present({frame.data(), 320, 200, 1280});
                ready();
                for (int wait = 0; wait < 500; ++wait) {
                    pump.drain();
                    if (pump.quitRequested()) return 0;
                    display.present({frame.data(), 320, 200, 1280});
                    std::this_thread::sleep_for(std::chrono::milliseconds(10));
                }
                return 1;
            });
        },
        setup);
    EXPECT_TRUE(exitedWith(run, 0)) << "status " << run.status << " (1: still showing 5 s after its terminal closed)";
}

INSTANTIATE_TEST_SUITE_P(BothPictures, TerminalHangUp, ::testing::Values(Picture::Truecolor, Picture::Characters),
                         [](const auto& info) { return info.param == Picture::Truecolor ? "Truecolor" : "Characters"; });

}  // namespace
