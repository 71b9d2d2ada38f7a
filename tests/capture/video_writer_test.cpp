// The video writer against a machine shared with others and against
// encoders that misbehave. Stand-in encoders are small shell scripts that
// take the real one's arguments, the output file last.
#include "tools/capture/video_writer.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <csignal>
#include <filesystem>
#include <fstream>
#include <thread>

#include "tests/support/scratch_folder.h"

namespace fs = std::filesystem;

namespace {

class VideoWriterTest : public ::testing::Test {
protected:
    // As the program does: an encoder gone shows as a failed write.
    void SetUp() override { std::signal(SIGPIPE, SIG_IGN); }
    // A stand-in encoder running `body` with $last set to its output file.
    std::string encoder(const std::string& body) const {
        const fs::path script = folder_ / "encoder";
        std::ofstream(script) << "#!/bin/sh\nfor last; do :; done\n" << body << "\n";
        chmod(script.c_str(), 0755);
        return script.string();
    }
    ScratchFolder scratch_{"video-writer"};
    const fs::path folder_ = scratch_.path();
};

RgbImage frame() { return RgbImage(4, 2); }

TEST_F(VideoWriterTest, TheSongStartsAtTheFirstFramesPositionAndAPlantedLinkCatchesNothing) {
    // The name the encoder was once given (pid-based) points at a file of
    // the victim's.
    const fs::path victim = folder_ / "victim.txt";
    std::ofstream(victim) << "precious";
    fs::create_symlink(victim, folder_ / (".v.part-" + std::to_string(getpid()) + ".mp4"));
    // A video from 1.05 s: its sound from 1.050 s of the song, not 1.5 s.
    const fs::path video = folder_ / "v.mp4", args = folder_ / "args";
    VideoWriter writer(encoder("echo \"$@\" > '" + args.string() + "'; cat > /dev/null; echo video > \"$last\""),
                       video.string(), 4, 2, 30, "song.ogg", 1050);
    ASSERT_EQ(writer.error(), "");
    EXPECT_TRUE(writer.write(frame()));
    EXPECT_EQ(writer.finish(), "");
    EXPECT_NE(readFile(args).find("-ss 1.050 -i song.ogg"), std::string::npos) << readFile(args);
    EXPECT_EQ(readFile(victim), "precious");
    EXPECT_EQ(readFile(video), "video\n");
    EXPECT_FALSE(fs::is_symlink(fs::symlink_status(video)));
}

TEST_F(VideoWriterTest, AWriterLeftUnfinishedKeepsNoVideo) {
    // A run stopped before its last frame made no whole video, even when
    // its encoder has already ended well.
    const fs::path video = folder_ / "v.mp4";
    {
        VideoWriter writer(encoder("echo video > \"$last\""), video.string(), 4, 2, 30, "", 0);
        ASSERT_EQ(writer.error(), "");
        for (int wait = 0; wait < 500 && std::distance(fs::directory_iterator(folder_), {}) < 2; ++wait)
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        std::this_thread::sleep_for(std::chrono::milliseconds(100));
    }
    EXPECT_FALSE(fs::exists(video));
    EXPECT_EQ(std::distance(fs::directory_iterator(folder_), {}), 1) << "only the encoder may be left";
}

TEST_F(VideoWriterTest, AnEmptyEntryOfPathIsTheCurrentFolder) {
    encoder("cat > /dev/null");
    const fs::path previous = fs::current_path();
    const std::string path = std::getenv("PATH") ? std::getenv("PATH") : "";
    fs::current_path(folder_);
    setenv("PATH", "/nonexistent-vg::/nonexistent-too", 1);
    const std::string found = findProgram("encoder");
    setenv("PATH", path.c_str(), 1);
    fs::current_path(previous);
    EXPECT_EQ(fs::path(found), fs::path("./encoder"));
}

TEST_F(VideoWriterTest, AnEncoderThatStallsOrFailsIsReportedAndLeavesNothing) {
    struct Case {
        const char* body;
        const char* says;
    };
    for (const Case& c : {
             // Never reads, and its child holds the pipe open too.
             Case{"sleep 600 & wait", "ffmpeg took no frame for 0 s; it was stopped"},
             Case{"echo starting >&2; echo \"Unknown encoder 'libx264'\" >&2; exit 1",
                  "ffmpeg ended with status 1, saying:\n    starting\n    Unknown encoder 'libx264'"},
         }) {
        const auto start = std::chrono::steady_clock::now();
        {
            VideoWriter writer(encoder(c.body), (folder_ / "v.mp4").string(), 200, 200, 30, "", 0, {},
                               std::chrono::milliseconds(300));
            ASSERT_EQ(writer.error(), "");
            // Larger than a pipe holds, so the encoder must read it.
            EXPECT_FALSE(writer.write(RgbImage(200, 200)));
            EXPECT_EQ(writer.error(), c.says);
            EXPECT_EQ(writer.finish(), c.says);
        }
        EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(5)) << c.body;
        EXPECT_EQ(std::distance(fs::directory_iterator(folder_), {}), 1) << "only the encoder may be left";
    }
}

}  // namespace
