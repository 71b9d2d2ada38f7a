// A short video from the capture program, as a player sees it: H.264 in
// yuv420p at the asked frame rate, every frame there, the song as AAC, and
// the index at the front so a browser can start before the whole download.
#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <map>
#include <memory>
#include <sstream>
#include <string>

#include "tests/capture/program_run.h"

namespace fs = std::filesystem;
using capture_program::Outcome;
using capture_program::run;

namespace {

// The "key=value" lines ffprobe says of one stream of `file`.
std::map<std::string, std::string> probeStream(const fs::path& file, const char* stream) {
    const std::string command = "ffprobe -v error -select_streams " + std::string(stream) +
                                " -count_frames -show_entries stream=codec_name,pix_fmt,width,height,"
                                "r_frame_rate,nb_read_frames:format=duration -of default=nw=1 '" +
                                file.string() + "'";
    std::unique_ptr<FILE, int (*)(FILE*)> pipe(popen(command.c_str(), "r"), pclose);
    std::map<std::string, std::string> fields;
    char line[256];
    while (pipe && std::fgets(line, sizeof line, pipe.get())) {
        std::istringstream pair(line);
        std::string key, value;
        if (std::getline(pair, key, '=') && std::getline(pair, value)) fields[key] = value;
    }
    return fields;
}

class VideoProbe : public capture_program::ProgramTest {
protected:
    void SetUp() override {
        if (std::system("command -v ffmpeg >/dev/null && command -v ffprobe >/dev/null") != 0)
            GTEST_SKIP() << "ffmpeg and ffprobe are needed (scripts/install-deps.sh)";
        ProgramTest::SetUp();
    }
};

TEST_F(VideoProbe, AShortClipPlaysEverywhereAtTheAskedRate) {
    // Not the default 60, so a rate that is not passed on shows.
    const fs::path video = scratch_ / "clip.mp4";
    const Outcome outcome = run("--data '" + show_.string() + "' --quiet --start 20000 --end 22000 --fps 30 --video '" +
                                    video.string() + "'",
                                scratch_);
    ASSERT_EQ(outcome.status, 0) << outcome.errors;
    const auto picture = probeStream(video, "v:0");
    EXPECT_EQ(picture.at("codec_name"), "h264");
    EXPECT_EQ(picture.at("pix_fmt"), "yuv420p");
    EXPECT_EQ(picture.at("width") + "x" + picture.at("height"), "640x400");
    EXPECT_EQ(picture.at("r_frame_rate"), "30/1");
    EXPECT_EQ(picture.at("nb_read_frames"), "61");
    const double seconds = std::stod(picture.at("duration"));
    EXPECT_NEAR(seconds, 61 / 30.0, 0.1);

    const auto sound = probeStream(video, "a:0");
    ASSERT_TRUE(sound.count("codec_name")) << "no sound track";
    EXPECT_EQ(sound.at("codec_name"), "aac");
    EXPECT_NEAR(std::stod(sound.at("duration")), seconds, 0.1);

    // The index (moov) before the pictures (mdat): playable while loading.
    const std::string bytes = capture_program::readFile(video);
    ASSERT_NE(bytes.find("moov"), std::string::npos);
    EXPECT_LT(bytes.find("moov"), bytes.find("mdat"));
}

}  // namespace
