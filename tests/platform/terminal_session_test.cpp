// The terminal's session around a display: stop and continue as a shell
// with job control does them (the display runs as a job in a process group
// of its own, in the foreground of a fresh pseudo-terminal; a stop must hand
// the terminal back as it was, and `fg` must bring the picture back, with
// keys read again), and the terminal going away under it.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <poll.h>
#include <pty.h>
#include <sys/ioctl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <csignal>
#include <cstdlib>
#include <functional>
#include <string>
#include <thread>
#include <vector>

#include "engine/frame.h"
#include "platform/caca_console.h"
#include "platform/caca_display.h"
#include "platform/console_input.h"
#include "platform/raw_terminal.h"
#include "platform/signal_guard.h"
#include "platform/truecolor_console.h"

namespace {

using Clock = std::chrono::steady_clock;

// How the job is stopped: Ctrl+Z typed, SIGTSTP sent to its group, or
// SIGSTOP, which it cannot catch.
enum class StopBy { CtrlZ, Signal, Uncatchable };

// What the test saw of one stop and continue.
struct JobRun {
    bool stopped = false;          // seen by the shell
    bool cookedWhileStopped = false;
    std::string beforeStop;        // written to the terminal until the stop
    std::string afterContinue;     // written after the continue
    int status = -1;               // the job's wait status
};

bool cooked(int fd) {
    termios modes{};
    return tcgetattr(fd, &modes) == 0 && (modes.c_lflag & ICANON) && (modes.c_lflag & ECHO);
}

// Modes as a line-editing shell leaves them while it reads a command: no
// canonical input, but a read waits for a byte.
void setShellLineEditing(int fd) {
    termios modes{};
    tcgetattr(fd, &modes);
    modes.c_lflag &= ~static_cast<tcflag_t>(ICANON | ECHO);
    modes.c_cc[VMIN] = 1;
    modes.c_cc[VTIME] = 0;
    tcsetattr(fd, TCSANOW, &modes);
}

void readWhatWaits(int fd, std::string& into) {
    char buffer[4096];
    ssize_t got;
    while ((got = read(fd, buffer, sizeof buffer)) > 0) into.append(buffer, static_cast<std::size_t>(got));
}

bool waitForByte(int fd, char expected, int master, std::string& output, int seconds) {
    const auto deadline = Clock::now() + std::chrono::seconds(seconds);
    while (Clock::now() < deadline) {
        readWhatWaits(master, output);
        char byte;
        if (read(fd, &byte, 1) == 1) return byte == expected;
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    return false;
}

// The miniature shell, run in a child that is the session leader of the
// terminal. Reports on `toTest`: 'S' once the job stopped (then waits for a
// byte on `fromTest` before `fg`), 'N' when it never stopped; the job's
// wait status is its own exit status, 255 when the job was killed.
[[noreturn]] void runShell(int slave, int toTest, int fromTest, StopBy stopBy,
                           const std::function<int(int toShell)>& job) {
    setsid();
    ioctl(slave, TIOCSCTTY, 0);
    dup2(slave, STDIN_FILENO);
    dup2(slave, STDOUT_FILENO);
    std::signal(SIGTTOU, SIG_IGN);  // a shell takes the terminal back from the background
    int jobReady[2];
    if (pipe(jobReady) != 0) _exit(250);
    const pid_t child = fork();
    if (child == 0) {
        std::signal(SIGTTOU, SIG_DFL);
        setpgid(0, 0);
        close(jobReady[0]);
        installSignalGuard();
        _exit(job(jobReady[1]));
    }
    close(jobReady[1]);
    setpgid(child, child);
    tcsetpgrp(STDIN_FILENO, child);
    char byte;
    if (read(jobReady[0], &byte, 1) != 1) _exit(251);
    if (stopBy == StopBy::Signal) kill(-child, SIGTSTP);
    if (stopBy == StopBy::Uncatchable) kill(-child, SIGSTOP);
    const int stopSignal = stopBy == StopBy::Uncatchable ? SIGSTOP : SIGTSTP;
    // The test types Ctrl+Z itself.
    int status = 0;
    bool stopped = false;
    const auto deadline = Clock::now() + std::chrono::seconds(5);
    while (Clock::now() < deadline) {
        if (waitpid(child, &status, WUNTRACED | WNOHANG) == child) {
            stopped = WIFSTOPPED(status) && WSTOPSIG(status) == stopSignal;
            break;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    if (!stopped) {
        (void)!write(toTest, "N", 1);
        kill(child, SIGKILL);
        waitpid(child, &status, 0);
        _exit(255);
    }
    tcsetpgrp(STDIN_FILENO, getpgrp());
    const char report = cooked(STDIN_FILENO) ? 'S' : 's';
    setShellLineEditing(STDIN_FILENO);
    (void)!write(toTest, &report, 1);
    if (read(fromTest, &byte, 1) != 1) _exit(252);
    tcsetpgrp(STDIN_FILENO, child);
    kill(-child, SIGCONT);
    // Escape is typed once the job has had time to take the terminal again.
    std::this_thread::sleep_for(std::chrono::milliseconds(300));
    (void)!write(toTest, "R", 1);
    waitpid(child, &status, 0);
    _exit(WIFEXITED(status) ? WEXITSTATUS(status) : 255);
}

// Runs `job` under the miniature shell on a fresh 80 x 24 terminal. The
// job writes one byte to its pipe when it shows its picture.
JobRun runJob(StopBy stopBy, const std::function<int(int toShell)>& job) {
    JobRun run;
    winsize size{};
    size.ws_col = 80;
    size.ws_row = 24;
    int master = -1, slave = -1;
    if (openpty(&master, &slave, nullptr, nullptr, &size) != 0) return run;
    int toTest[2], fromTest[2];
    if (pipe(toTest) != 0 || pipe(fromTest) != 0) return run;
    std::fflush(nullptr);
    const pid_t shell = fork();
    if (shell == 0) {
        close(master);
        close(toTest[0]);
        close(fromTest[1]);
        runShell(slave, toTest[1], fromTest[0], stopBy, job);
    }
    close(slave);
    close(toTest[1]);
    close(fromTest[0]);
    fcntl(master, F_SETFL, fcntl(master, F_GETFL) | O_NONBLOCK);
    fcntl(toTest[0], F_SETFL, fcntl(toTest[0], F_GETFL) | O_NONBLOCK);
    if (stopBy == StopBy::CtrlZ) {
        // Typed once the picture is up: the job's first frames are written
        // by then, so wait for them.
        const auto deadline = Clock::now() + std::chrono::seconds(5);
        while (run.beforeStop.find("\x1b[?25l") == std::string::npos && Clock::now() < deadline) {
            readWhatWaits(master, run.beforeStop);
            std::this_thread::sleep_for(std::chrono::milliseconds(5));
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(100));
        (void)!write(master, "\x1a", 1);
    }
    char report = 0;
    const auto deadline = Clock::now() + std::chrono::seconds(8);
    while (Clock::now() < deadline && read(toTest[0], &report, 1) != 1) {
        readWhatWaits(master, run.beforeStop);
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    run.stopped = report == 'S' || report == 's';
    run.cookedWhileStopped = report == 'S';
    readWhatWaits(master, run.beforeStop);
    if (run.stopped) {
        (void)!write(fromTest[1], "c", 1);
        // Escape once the job reads keys again.
        if (waitForByte(toTest[0], 'R', master, run.afterContinue, 8)) {
            std::this_thread::sleep_for(std::chrono::milliseconds(100));
            (void)!write(master, "\x1b", 1);
        }
    }
    const auto end = Clock::now() + std::chrono::seconds(8);
    while (Clock::now() < end) {
        readWhatWaits(master, run.afterContinue);
        if (waitpid(shell, &run.status, WNOHANG) == shell) break;
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    if (Clock::now() >= end) {
        kill(shell, SIGKILL);
        waitpid(shell, &run.status, 0);
    }
    readWhatWaits(master, run.afterContinue);
    close(master);
    close(toTest[0]);
    close(fromTest[1]);
    return run;
}

int jobExitCode(const JobRun& run) { return WIFEXITED(run.status) ? WEXITSTATUS(run.status) : -1; }

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

std::string pictureName(Picture picture) { return picture == Picture::Truecolor ? "Truecolor" : "Characters"; }

// Draws frames and pumps keys until Escape, telling the shell when the
// picture is up. 0 when Escape ended it with the terminal in raw input
// again; 1 when Escape never came.
int showUntilEscape(int toShell, FrameDisplay& display, InputPump& pump) {
    std::vector<std::uint32_t> frame(kFramePixels, 0x00336699u);
    display.present(frame.data());
    (void)!write(toShell, "p", 1);
    const auto deadline = Clock::now() + std::chrono::seconds(15);
    while (Clock::now() < deadline) {
        pump.drain();
        display.present(frame.data());
        if (pump.takeEscapePress()) return cooked(STDIN_FILENO) ? 2 : 0;
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    return 1;
}

// The end of the terminal's output up to the stop: what the terminal was
// told last before the shell got it back.
std::string tail(const std::string& text, std::size_t length) {
    return text.size() > length ? text.substr(text.size() - length) : text;
}

class StopAndContinue : public ::testing::TestWithParam<StopBy> {};

TEST_P(StopAndContinue, TheTruecolorPictureGivesTheTerminalBackAndTakesItAgain) {
    const JobRun run = runJob(GetParam(), [](int toShell) {
        return withPicture(Picture::Truecolor, [toShell](FrameDisplay& display, InputPump& pump) {
            return showUntilEscape(toShell, display, pump);
        });
    });
    ASSERT_TRUE(run.stopped) << "the job never stopped";
    EXPECT_TRUE(run.cookedWhileStopped) << "the shell got the terminal back in raw mode";
    // The last thing before the stop puts back the screen, cursor and title.
    const std::string restore(RawTerminal::restoreBytes());
    EXPECT_NE(tail(run.beforeStop, restore.size() + 64).find(restore), std::string::npos)
        << "the terminal was not put back before the stop";
    // The first thing after it takes the screen again, then a whole frame.
    const std::size_t enter = run.afterContinue.find("\x1b[?1049h\x1b[?25l");
    EXPECT_EQ(run.afterContinue.rfind("\x1b[22;0t", enter), 0u) << "title not pushed first";
    EXPECT_NE(run.afterContinue.find("\x1b[2J", enter), std::string::npos) << "no whole frame after";
    EXPECT_EQ(jobExitCode(run), 0) << "1: Escape never read after the continue, 2: input left cooked";
}

TEST_P(StopAndContinue, TheCharacterPictureGivesTheTerminalBackAndTakesItAgain) {
    const JobRun run = runJob(GetParam(), [](int toShell) {
        return withPicture(Picture::Characters, [toShell](FrameDisplay& display, InputPump& pump) {
            return showUntilEscape(toShell, display, pump);
        });
    });
    ASSERT_TRUE(run.stopped) << "the job never stopped";
    EXPECT_TRUE(run.cookedWhileStopped) << "the shell got the terminal back in raw mode";
    // Main screen back, then the title as it was before the show.
    const std::string before = tail(run.beforeStop, 160);
    EXPECT_NE(before.find("\x1b[?1049l"), std::string::npos) << "still on the alternate screen";
    EXPECT_NE(before.find("\x1b[?25h"), std::string::npos) << "cursor still hidden";
    EXPECT_EQ(before.rfind("\x1b[23;0t") + 7, before.size()) << "title not popped last";
    EXPECT_EQ(run.afterContinue.find("\x1b[22;0t\x1b[?1049h"), 0u) << "screen not taken first";
    EXPECT_EQ(jobExitCode(run), 0) << "1: Escape never read after the continue, 2: input left cooked";
}

TEST(UncatchableStop, KeysAreReadAfterTheContinueWhateverModesTheShellLeft) {
    // Nothing runs at a SIGSTOP; the shell then reads its commands with a
    // read that waits for a byte, and the show must not wait with it.
    for (Picture picture : {Picture::Truecolor, Picture::Characters}) {
        const JobRun run = runJob(StopBy::Uncatchable, [picture](int toShell) {
            return withPicture(picture, [toShell](FrameDisplay& display, InputPump& pump) {
                return showUntilEscape(toShell, display, pump);
            });
        });
        ASSERT_TRUE(run.stopped) << pictureName(picture);
        EXPECT_EQ(jobExitCode(run), 0)
            << pictureName(picture) << " (1: Escape never read after the continue, 2: input left cooked)";
    }
}

INSTANTIATE_TEST_SUITE_P(ByCtrlZAndBySignal, StopAndContinue,
                         ::testing::Values(StopBy::CtrlZ, StopBy::Signal),
                         [](const auto& info) { return info.param == StopBy::CtrlZ ? "CtrlZ" : "SIGTSTP"; });

class TerminalHangUp : public ::testing::TestWithParam<Picture> {};

TEST_P(TerminalHangUp, AShowWithoutAControllingTerminalEndsWhenItsWindowCloses) {
    // Started with setsid: closing the window sends no SIGHUP, so only the
    // terminal itself can tell that nobody is left to watch.
    int master = -1, slave = -1;
    winsize size{};
    size.ws_col = 80;
    size.ws_row = 24;
    ASSERT_EQ(openpty(&master, &slave, nullptr, nullptr, &size), 0);
    int shown[2];
    ASSERT_EQ(pipe(shown), 0);
    std::fflush(nullptr);
    const Picture picture = GetParam();
    const pid_t child = fork();
    if (child == 0) {
        close(master);
        close(shown[0]);
        setsid();
        dup2(slave, STDIN_FILENO);
        dup2(slave, STDOUT_FILENO);
        installSignalGuard();
        _exit(withPicture(picture, [&](FrameDisplay& display, InputPump& pump) {
            std::vector<std::uint32_t> frame(kFramePixels, 0u);
            display.present(frame.data());
            (void)!write(shown[1], "p", 1);
            for (int wait = 0; wait < 500; ++wait) {
                pump.drain();
                if (pump.quitRequested()) return 0;
                display.present(frame.data());
                std::this_thread::sleep_for(std::chrono::milliseconds(10));
            }
            return 1;
        }));
    }
    close(slave);
    close(shown[1]);
    fcntl(master, F_SETFL, fcntl(master, F_GETFL) | O_NONBLOCK);
    std::string written;
    char byte;
    const auto deadline = Clock::now() + std::chrono::seconds(5);
    while (Clock::now() < deadline && read(shown[0], &byte, 1) != 1) {
        readWhatWaits(master, written);
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    close(master);  // the window closes
    int status = -1;
    waitpid(child, &status, 0);
    close(shown[0]);
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0)
        << "status " << status << " (1: still showing 5 s after its terminal closed)";
}

INSTANTIATE_TEST_SUITE_P(BothPictures, TerminalHangUp,
                         ::testing::Values(Picture::Truecolor, Picture::Characters),
                         [](const auto& info) { return pictureName(info.param); });

}  // namespace
