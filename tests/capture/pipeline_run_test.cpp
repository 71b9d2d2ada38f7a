// The capture program's two ways of writing (outputs beside the next frame,
// or all on one thread) and its stopping: the same bytes either way, and a
// Ctrl+C leaves nothing unfinished under a final name.
#include <gtest/gtest.h>
#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <map>
#include <thread>

#include "tests/capture/program_run.h"

namespace fs = std::filesystem;
using capture_program::filesOf;
using capture_program::Outcome;
using capture_program::run;

extern char** environ;

namespace {

class PipelineRun : public capture_program::ProgramTest {
protected:
    void SetUp() override {
        ProgramTest::SetUp();
        encoder_ = capture_program::keepingEncoder(scratch_);
    }

    // Every kind of output over a short range that crosses a scene change,
    // but the statistics: their frame costs differ from run to run, and
    // their song figures decode the whole song (the synthetic runs check them).
    std::map<std::string, std::string> captureAll(const std::string& name, const std::string& extra) {
        const fs::path out = scratch_ / name;
        fs::create_directories(out);
        const std::string o = out.string();
        const Outcome outcome =
            run("--data '" + show_.string() + "' --quiet --start 99800 --end 100200 --fps 30 "
                    "--frames --chars --ansi --utf8 --out '" + o + "/frames' --sheet '" + o +
                    "/sheet.png' --sheet-every 100 --video '" + o +
                    "/v.mp4' --ffmpeg '" + encoder_.string() + "' " + extra,
                scratch_);
        EXPECT_EQ(outcome.status, 0) << outcome.errors;
        EXPECT_EQ(outcome.errors, "") << "--quiet says nothing when all goes well";
        return filesOf(out);
    }

    fs::path encoder_;
};

TEST_F(PipelineRun, OneThreadOrTwoWriteTheSameBytes) {
    const auto threaded = captureAll("threaded", "");
    const auto single = captureAll("single", "--single-thread");
    ASSERT_EQ(threaded.size(), single.size());
    // 13 positions: frame, chars, ans, txt each, the sheet, the video.
    EXPECT_EQ(threaded.size(), 13u * 4 + 2);
    for (const auto& [name, bytes] : threaded) {
        ASSERT_TRUE(single.count(name)) << name;
        EXPECT_TRUE(bytes == single.at(name)) << name << " differs";
    }
    EXPECT_EQ(threaded.at("v.mp4").size(), 13u * 640 * 400 * 3);
    // Different positions really do give different pictures.
    EXPECT_NE(threaded.at("frames/frame-099800.png"), threaded.at("frames/frame-100200.png"));
}

TEST_F(PipelineRun, ProgressTellsTheRateAndTheEndSaysWhatWasWritten) {
    const fs::path sheet = scratch_ / "sheet.png";
    const Outcome outcome = run("--data '" + show_.string() +
                                    "' --start 0 --end 2500 --sheet '" + sheet.string() + "'",
                                scratch_);
    ASSERT_EQ(outcome.status, 0) << outcome.errors;
    // Not a terminal: a line every tenth, the later ones with a rate.
    EXPECT_NE(outcome.errors.find("100%  frame 151/151  at 2500 ms  "), std::string::npos)
        << outcome.errors;
    EXPECT_NE(outcome.errors.find(" fps  0:00 left\n"), std::string::npos) << outcome.errors;
    EXPECT_NE(outcome.errors.find("vesper-capture: wrote " + sheet.string() + " ("),
              std::string::npos)
        << outcome.errors;
    EXPECT_NE(outcome.errors.find(" kB) in "), std::string::npos) << outcome.errors;
}

pid_t start(const std::vector<std::string>& args) {
    std::vector<char*> argv;
    for (const std::string& arg : args) argv.push_back(const_cast<char*>(arg.c_str()));
    argv.push_back(nullptr);
    pid_t pid = -1;
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, STDERR_FILENO, "/dev/null", O_WRONLY, 0);
    posix_spawn(&pid, argv[0], &actions, nullptr, argv.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    return pid;
}

// Whether the process `pid` still runs (a zombie has ended).
bool running(pid_t pid) {
    std::ifstream stat("/proc/" + std::to_string(pid) + "/stat");
    std::string pidField, name, state;
    return stat >> pidField >> name >> state && state != "Z" && state != "X";
}

TEST_F(PipelineRun, CtrlCOrSIGTERMDuringAVideoEndTheRunAndTheEncoderAndLeaveNoFile) {
    // An encoder that never reads, and whose child holds the pipe open too.
    const fs::path stuck = scratch_ / "stuck-ffmpeg", pids = scratch_ / "encoder-pids";
    std::ofstream(stuck) << "#!/bin/sh\nsleep 600 &\necho $$ $! > '" << pids.string() << "'\nwait\n";
    chmod(stuck.c_str(), 0755);
    struct Case {
        fs::path encoder;
        int signal, status;
    };
    for (const Case& c : {Case{encoder_, SIGINT, 130}, Case{stuck, SIGTERM, 143}}) {
        const fs::path out = scratch_ / "out";
        fs::create_directories(out);
        const fs::path video = out / "show.mp4";
        const pid_t pid = start({capture_program::kProgram, "--data", show_.string(), "--quiet", "--video",
                                 video.string(), "--ffmpeg", c.encoder.string()});
        ASSERT_GT(pid, 0);
        // Wait until the encoder is writing (or has stopped reading), so the
        // stop comes mid-video.
        const auto giveUp = std::chrono::steady_clock::now() + std::chrono::seconds(60);
        auto started = [&] {
            if (fs::exists(pids)) return true;
            for (const auto& entry : fs::directory_iterator(out))
                if (entry.is_regular_file() && entry.file_size() > 10u * 640 * 400 * 3) return true;
            return false;
        };
        while (!started() && std::chrono::steady_clock::now() < giveUp)
            std::this_thread::sleep_for(std::chrono::milliseconds(20));
        ASSERT_TRUE(started()) << "the video never started";
        std::this_thread::sleep_for(std::chrono::milliseconds(300));
        kill(pid, c.signal);
        const auto signalled = std::chrono::steady_clock::now();
        int status = 0;
        while (waitpid(pid, &status, WNOHANG) == 0 &&
               std::chrono::steady_clock::now() - signalled < std::chrono::seconds(10))
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        const auto took = std::chrono::steady_clock::now() - signalled;
        if (took >= std::chrono::seconds(10)) {
            kill(pid, SIGKILL);
            waitpid(pid, &status, 0);
        }
        EXPECT_LT(took, std::chrono::seconds(1)) << c.encoder;
        ASSERT_TRUE(WIFEXITED(status)) << "ended by a signal, not by its own shutdown";
        EXPECT_EQ(WEXITSTATUS(status), c.status);
        EXPECT_TRUE(fs::is_empty(out)) << "neither the video nor its temporary file may remain";
        if (c.encoder == stuck) {
            pid_t encoder = 0, child = 0;
            std::ifstream(pids) >> encoder >> child;
            // SIGKILL is delivered when the process next runs: on a loaded
            // machine that may be a moment after the run has ended.
            const auto killed = std::chrono::steady_clock::now();
            while ((running(encoder) || running(child)) &&
                   std::chrono::steady_clock::now() - killed < std::chrono::seconds(2))
                std::this_thread::sleep_for(std::chrono::milliseconds(10));
            EXPECT_FALSE(running(encoder) || running(child)) << "the encoder outlived the run";
        }
    }
}

}  // namespace
