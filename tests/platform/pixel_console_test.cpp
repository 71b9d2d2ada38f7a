#include <gtest/gtest.h>
#include <sched.h>
#include <sys/mman.h>
#include <sys/mount.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <csignal>
#include <filesystem>
#include <fstream>
#include <string>
#include <thread>
#include <vector>

#include "engine/frame.h"
#include "engine/vrl.h"
#include "platform/base64.h"
#include "platform/console_input.h"
#include "platform/kitty_console.h"
#include "platform/signal_guard.h"
#include "platform/sixel_console.h"
#include "platform/terminal_probe.h"
#include "platform/truecolor_console.h"
#include "tests/platform/terminal_child.h"

namespace {

// What kitty 0.26 answered terminalQuestions() under Xvfb.
const std::string kKittyAnswers =
    "\x1b_Gi=32;OK\x1b\\\x1b_Gi=31;OK\x1b\\\x1b[?2026;2$y\x1b[?80;0$y\x1b[4;391;637t\x1b[6;17;7t\x1b[?62;c";

TEST(TerminalProbe, AnswersAreReadAndTheKeysTypedMeanwhileKept) {
    // The terminal answers once it sees the questions' last one, with keys
    // typed between two of its answers.
    TerminalSetup setup;
    bool answered = false;
    setup.answer = [&](std::string_view written) -> std::string {
        if (answered || written.find("\x1b[c") == std::string_view::npos) return {};
        answered = true;
        const std::size_t between = kKittyAnswers.find("\x1b[", kKittyAnswers.size() / 2);
        return kKittyAnswers.substr(0, between) + "\x1b[C " + kKittyAnswers.substr(between);
    };
    const ChildRun run = runOnTerminal(
        [](const Ready&) {
            const auto start = std::chrono::steady_clock::now();
            const TerminalProbe probe = probeTerminal();
            if (!probe.asked) return 10;
            if (!probe.replies.deviceAttributes) return 1;
            if (std::chrono::steady_clock::now() - start >= kTerminalProbeWait) return 4;
            if (!probe.replies.kittyGraphics || probe.replies.cell.width != 7) return 2;
            if (probe.typed != "\x1b[C ") return 3;
            // The shared-memory probe object is gone either way.
            return access(("/dev/shm/vesper-glint-probe-" + std::to_string(getpid())).c_str(), F_OK) == 0 ? 5 : 0;
        },
        setup);
    EXPECT_TRUE(exitedWith(run, 0)) << "status " << run.status
                                    << " (1: no end marker, 2: answers lost, 3: typed keys lost, 4: waited past the end marker,"
                                       " 5: the shared-memory object left behind)";
    EXPECT_NE(run.written.find("\x1b_Gi=31,s=1,v=1,a=q"), std::string::npos);
    EXPECT_NE(run.written.find("a=q,t=s"), std::string::npos) << "no shared-memory probe";
    EXPECT_EQ(run.written.find("^["), std::string::npos) << "answers echoed";
}

TEST(TerminalProbe, ASilentTerminalCostsTheWaitAndNoMore) {
    const ChildRun run = runOnTerminal([](const Ready&) {
        const auto start = std::chrono::steady_clock::now();
        const TerminalProbe probe = probeTerminal();
        const auto took = std::chrono::steady_clock::now() - start;
        // A loaded machine may be late to wake; a hang is not late.
        return probe.asked && !probe.replies.deviceAttributes && took >= kTerminalProbeWait &&
               took <= kTerminalProbeWait + std::chrono::seconds(2) ? 0 : 1;
    });
    EXPECT_TRUE(exitedWith(run, 0)) << "status " << run.status;
}

TEST(KittyConsole, DrawsThroughSharedMemoryInTheBoxFittedToTheRealCellsAndDeletesTheImageOnClose) {
    // 100 x 50 cells of 9 x 17 pixels: 100 x 33 cells make 8 : 5 (1 : 2
    // cells would give 31 rows), for the truecolor picture too.
    TerminalSetup setup;
    setup.columns = 100;
    setup.rows = 50;
    setup.pixelWidth = 900;
    setup.pixelHeight = 850;
    const ChildRun run = runOnTerminal(
        [](const Ready&) {
            TruecolorConsole truecolor(CellShape::HalfBlock, 0);
            if (!truecolor.open().empty()) return 10;
            const CellArea cells = truecolor.area();
            truecolor.close();
            if (cells.columns != 100 || cells.rows != 33) return 2;
            TerminalReplies replies;
            replies.kittyGraphics = replies.kittySharedMemory = replies.synchronizedUpdate = true;
            KittyConsole console(0, replies, KittyTransfer::Direct);
            if (!console.open().empty()) return 10;
            if (console.transfer() != KittyTransfer::SharedMemory) return 3;
            const CellArea area = console.area();
            if (area.columns != 100 || area.rows != 33 || area.row != 8) return 1;
            const std::vector<std::uint32_t> frame(320 * 200, 0x336699);
            console.setTitle("time = 1234");
            console.present({frame.data(), 320, 200, 1280});
            console.close();
            return 0;
        },
        setup);
    ASSERT_TRUE(exitedWith(run, 0)) << "status " << run.status << " (1, 2: kitty, truecolor not fitted to the cells; 3: not through shared memory)";
    const std::size_t frame = run.written.find("\x1b[?2026h");
    ASSERT_NE(frame, std::string::npos) << "no synchronized update";
    EXPECT_NE(run.written.find("\x1b]2;time = 1234\a", frame), std::string::npos);
    EXPECT_NE(run.written.find("\x1b[9;1H\x1b_Ga=T,f=24,s=320,v=200", frame), std::string::npos);
    const std::size_t command = run.written.find("c=100,r=33,t=s,S=192000", frame);
    EXPECT_NE(command, std::string::npos);
    EXPECT_LT(run.written.find("\x1b\\", command) - command, 100u) << "pixels went through the terminal";
    // On the way out: cancel, delete the image, then the terminal's own.
    // d=I: the image's data goes too, not only its placements.
    const std::size_t leave = run.written.rfind("\x18\x1b_Ga=d,d=I,i=" + std::to_string(kKittyImageId) + ",q=2\x1b\\");
    ASSERT_NE(leave, std::string::npos) << "the image was not deleted";
    EXPECT_NE(run.written.find("\x1b[?1049l", leave), std::string::npos);
}

// The shared memory objects of process `pid` alive now: its frames' and its probe's.
int sharedObjectsOf(int pid) {
    const std::string frames = "vesper-glint-" + std::to_string(pid) + "-";
    const std::string probe = "vesper-glint-probe-" + std::to_string(pid);
    int count = 0;
    for (const auto& entry : std::filesystem::directory_iterator("/dev/shm")) {
        const std::string name = entry.path().filename().string();
        count += name.starts_with(frames) || name == probe;
    }
    return count;
}

// A terminal that reads the shared frames it is sent and removes them, as
// kitty does, for the first `removed` of them.
std::function<std::string(std::string_view)> removingTheFirst(int removed) {
    auto seen = std::make_shared<std::size_t>(0);
    return [seen, removed](std::string_view written) mutable {
        std::size_t command;
        while (removed > 0 && (command = written.find("t=s,", *seen)) != std::string_view::npos) {
            const std::size_t start = written.find(';', command) + 1;
            const std::size_t end = written.find('\x1b', start);
            if (end == std::string_view::npos) break;
            const auto name = base64Decode(written.substr(start, end - start));
            if (name) shm_unlink(name->c_str());
            *seen = end;
            --removed;
        }
        return std::string();
    };
}

enum class WayOut { Close, HangUp, Abort };

// Kitty frames through shared memory, forty or until the terminal goes;
// 1 when more objects than the ring were ever alive, 2 when any is left.
int drawSharedFrames(const Ready& ready, WayOut end) {
    installSignalGuard();
    TerminalReplies replies;
    replies.kittyGraphics = replies.kittySharedMemory = true;
    int most = 0;
    {
        KittyConsole console(0, replies, KittyTransfer::Direct);
        if (!console.open().empty()) return 10;
        InputPump pump;
        pump.attach(&console);
        const std::vector<std::uint32_t> frame(kFramePixels, 0x336699);
        for (int drawn = 0; drawn < 40 && !pump.quitRequested(); ++drawn) {
            console.present({frame.data(), 320, 200, 1280});
            most = std::max(most, sharedObjectsOf(getpid()));
            if (drawn == 20) ready();
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
            pump.drain();
        }
        if (end == WayOut::Abort) std::abort();
        console.close();
    }
    return most > kSharedFrameSlots ? 1 : sharedObjectsOf(getpid()) > 0 ? 2 : 0;
}

TEST(KittyConsole, NeverMoreSharedFramesAliveThanItsRingAndNoneLeftOnAnyWayOut) {
    // A terminal that claims shared memory but never removes the objects; one
    // that removes them, stops, and is then closed; a crash meanwhile.
    struct Case {
        const char* what;
        int removed;
        WayOut end;
    };
    for (const Case& c : {Case{"never removed", 0, WayOut::Close},
                          Case{"hang-up", 10, WayOut::HangUp}, Case{"abort", 10, WayOut::Abort}}) {
        TerminalSetup setup;
        setup.answer = removingTheFirst(c.removed);
        setup.closeWhenReady = c.end == WayOut::HangUp;
        const auto draw = [&](const Ready& ready) { return drawSharedFrames(ready, c.end); };
        const ChildRun run = runOnTerminal(draw, setup);
        const bool aborted = WIFSIGNALED(run.status) && WTERMSIG(run.status) == SIGABRT;
        EXPECT_TRUE(c.end == WayOut::Abort ? aborted : exitedWith(run, 0))
            << c.what << ": status " << run.status << " (1: too many alive, 2: left)";
        EXPECT_EQ(sharedObjectsOf(run.pid), 0) << c.what;
        const bool direct = run.written.find("C=1,q=2,m=1;") != std::string::npos;
        EXPECT_TRUE(direct || c.removed > 0) << "no frame sent directly";
    }
}

// A /dev/shm of this process's own with room for less than one frame, as
// in a small container; false where no namespace of our own is allowed.
bool useATinySharedMemory() {
    const std::string uid = std::to_string(getuid()), gid = std::to_string(getgid());
    if (unshare(CLONE_NEWUSER | CLONE_NEWNS) != 0) return false;
    std::ofstream("/proc/self/setgroups") << "deny";
    std::ofstream("/proc/self/uid_map") << "0 " << uid << " 1";
    std::ofstream("/proc/self/gid_map") << "0 " << gid << " 1";
    return mount(nullptr, "/", nullptr, MS_REC | MS_PRIVATE, nullptr) == 0 &&
           mount("tmpfs", "/dev/shm", "tmpfs", 0, "size=64k") == 0;
}

TEST(KittyConsole, AFullSharedMemorySendsTheFramesDirectlyWithOneMessage) {
    const ChildRun run = runOnTerminal([](const Ready&) {
        if (!useATinySharedMemory()) return 77;
        vrlSetLogging(1);
        TerminalReplies replies;
        replies.kittyGraphics = replies.kittySharedMemory = true;
        KittyConsole console(0, replies, KittyTransfer::Direct);
        if (!console.open().empty()) return 10;
        const std::vector<std::uint32_t> frame(kFramePixels, 0x336699);
        for (int drawn = 0; drawn < 3; ++drawn) console.present({frame.data(), 320, 200, 1280});
        console.close();
        const bool direct = console.transfer() == KittyTransfer::Direct;
        return direct && sharedObjectsOf(getpid()) == 0 ? 0 : 1;
    });
    if (exitedWith(run, 77)) GTEST_SKIP() << "no user and mount namespace of our own here";
    ASSERT_TRUE(exitedWith(run, 0)) << "status " << run.status
                                    << " (1: still shared, or an object left)";
    const std::string message = "cannot put its frames in shared memory (No space left on device)";
    EXPECT_NE(run.written.find(message), std::string::npos);
    EXPECT_EQ(run.written.find(message), run.written.rfind(message)) << "said more than once";
    EXPECT_NE(run.written.find("C=1,q=2,m=1;"), std::string::npos) << "no frame sent directly";
}

TEST(SixelConsole, DrawsTheFrameInPlaceAtTheWindowsPixelSize) {
    // 80 x 50 cells of 10 x 20 pixels.
    TerminalSetup setup;
    setup.pixelWidth = 800;
    setup.pixelHeight = 1000;
    const ChildRun run = runOnTerminal(
        [](const Ready&) {
            TerminalReplies replies;
            replies.sixel = true;
            replies.colorRegisters = 256;
            replies.sixelDisplayMode = true;  // as the user had it: put back at the end
            SixelConsole console(0, replies);
            if (!console.open().empty()) return 10;
            const std::vector<std::uint32_t> frame(320 * 200, 0x336699);
            console.present({frame.data(), 320, 200, 1280});
            console.close();
            return 0;
        },
        setup);
    ASSERT_TRUE(exitedWith(run, 0)) << "status " << run.status;
    EXPECT_NE(run.written.find("\x1b[?80l"), std::string::npos) << "sixels not set to draw at the cursor";
    // The window's 800 x 1000 pixels, bottom row free: 796 x 498 from row 13.
    EXPECT_NE(run.written.find("\x1b" "7\x1b[13;1H\x1bP0;1q\"1;1;796;498"), std::string::npos) << "not in place";
    EXPECT_NE(run.written.find("\x1b\\\x1b" "8"), std::string::npos) << "the cursor not put back";
    EXPECT_NE(run.written.rfind("\x1b[?80h"), std::string::npos) << "the user's sixel mode not put back";
}

TEST(SixelConsole, NoSizeATerminalOrTheKernelReportsMakesTheImageLargerThanItsCap) {
    // A cell answer of 2^20 pixels, in 80 and in 3000 columns (whose
    // product overflowed an int); a kernel window of 65535 x 65535 pixels.
    struct Case {
        unsigned short columns, pixels;
        const char* answer;
    };
    const char* const hugeCells = "\x1b[6;1048576;1048576t";
    for (const Case& c : {Case{80, 0, hugeCells}, Case{3000, 0, hugeCells}, Case{80, 65535, ""}}) {
        TerminalSetup setup;
        setup.columns = c.columns;
        setup.pixelWidth = setup.pixelHeight = c.pixels;
        const ChildRun run = runOnTerminal(
            [&](const Ready&) {
                TerminalReplyFilter filter;
                std::string keys;
                filter.feed(c.answer, 0, keys);
                SixelConsole console(0, filter.replies());
                if (!console.open().empty()) return 10;
                const SixelPlacement placement = console.placement();
                console.close();
                return placement.width > 0 && placement.width <= kLargestSixelWidth ? 0 : 1;
            },
            setup);
        EXPECT_TRUE(exitedWith(run, 0))
            << c.columns << " columns, " << c.pixels << " pixels: status " << run.status;
    }
}

TEST(KittyConsole, AnswersArrivingLateNeverReachTheKeys) {
    const ChildRun run = runOnTerminal(
        [](const Ready& ready) {
            TerminalReplies replies;
            KittyConsole console(0, replies, KittyTransfer::Direct);
            if (!console.open().empty()) return 10;
            InputPump pump;
            pump.attach(&console);
            ready();
            std::vector<int> keys;
            for (int wait = 0; wait < 400 && keys.size() < 2; ++wait) {
                int batch[8];
                const int count = pump.takeEngineKeys(batch, 8);
                keys.insert(keys.end(), batch, batch + count);
                if (count == 0) std::this_thread::sleep_for(std::chrono::milliseconds(5));
            }
            std::this_thread::sleep_for(std::chrono::milliseconds(150));
            int rest[8];
            const bool extra = pump.takeEngineKeys(rest, 8) > 0;
            const bool escape = pump.takeEscapePress();
            console.close();
            if (keys != std::vector<int>{VRL_KEY_LEFT, VRL_KEY_SPACE}) return 1;
            return extra ? 2 : escape ? 3 : 0;
        },
        50, {"\x1b_Gi=31;ENOENT: no such thing\x1b\\\x1b[D\x1b[?62;4c \x1b[6;17;9t"});
    EXPECT_TRUE(exitedWith(run, 0)) << "status " << run.status
                                    << " (1: keys lost, 2: answers read as keys, 3: answers read as Escape)";
}

}  // namespace
