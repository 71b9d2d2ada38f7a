// A short video from the capture program, as a player sees it: H.264 in
// yuv420p at the asked frame rate, every frame there, the song as AAC, and
// the index at the front so a browser can start before the whole download.
#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <map>
#include <memory>
#include <string>

#include "tests/capture/program_run.h"

namespace fs = std::filesystem;
using capture_program::Outcome;
using capture_program::readFile;
using capture_program::run;

namespace {

std::string commandOutput(const std::string& command) {
    std::unique_ptr<FILE, int (*)(FILE*)> pipe(popen(command.c_str(), "r"), pclose);
    std::string text;
    if (!pipe) return text;
    char buffer[4096];
    while (std::size_t got = std::fread(buffer, 1, sizeof buffer, pipe.get()))
        text.append(buffer, got);
    return text;
}

bool haveProgram(const char* name) {
    return std::system(("command -v " + std::string(name) + " >/dev/null 2>&1").c_str()) == 0;
}

// "key=value" lines of one stream of ffprobe's output.
std::map<std::string, std::string> probeStream(const fs::path& file, const char* stream) {
    const std::string text =
        commandOutput("ffprobe -v error -select_streams " + std::string(stream) +
                      " -count_frames -show_entries "
                      "stream=codec_name,pix_fmt,width,height,r_frame_rate,nb_read_frames,"
                      "sample_rate:format=duration,format_name -of default=nw=1 '" +
                      file.string() + "'");
    std::map<std::string, std::string> fields;
    std::size_t begin = 0;
    while (begin < text.size()) {
        std::size_t end = text.find('\n', begin);
        if (end == std::string::npos) end = text.size();
        const std::string line = text.substr(begin, end - begin);
        const std::size_t equals = line.find('=');
        if (equals != std::string::npos) fields[line.substr(0, equals)] = line.substr(equals + 1);
        begin = end + 1;
    }
    return fields;
}

class VideoProbe : public capture_program::ProgramTest {
protected:
    void SetUp() override {
        if (!haveProgram("ffmpeg") || !haveProgram("ffprobe"))
            GTEST_SKIP() << "ffmpeg and ffprobe are needed (scripts/install-deps.sh)";
        ProgramTest::SetUp();
    }
};

TEST_F(VideoProbe, AShortClipPlaysEverywhereAtEitherRate) {
    struct Case {
        int fps;
        const char* rate;
        int frames;
    };
    for (const Case c : {Case{30, "30/1", 61}, Case{60, "60/1", 121}}) {
        const fs::path video = scratch_ / ("clip" + std::to_string(c.fps) + ".mp4");
        const Outcome outcome = run("--data '" + show_.string() +
                                        "' --quiet --start 20000 --end 22000 --fps " +
                                        std::to_string(c.fps) + " --video '" + video.string() + "'",
                                    scratch_);
        ASSERT_EQ(outcome.status, 0) << outcome.errors;
        const auto picture = probeStream(video, "v:0");
        EXPECT_EQ(picture.at("codec_name"), "h264");
        EXPECT_EQ(picture.at("pix_fmt"), "yuv420p");
        EXPECT_EQ(picture.at("width"), "640");
        EXPECT_EQ(picture.at("height"), "400");
        EXPECT_EQ(picture.at("r_frame_rate"), c.rate);
        EXPECT_EQ(picture.at("nb_read_frames"), std::to_string(c.frames));
        const double seconds = std::stod(picture.at("duration"));
        EXPECT_NEAR(seconds, c.frames / static_cast<double>(c.fps), 0.1);

        const auto sound = probeStream(video, "a:0");
        ASSERT_TRUE(sound.count("codec_name")) << "no sound track";
        EXPECT_EQ(sound.at("codec_name"), "aac");
        EXPECT_NEAR(std::stod(sound.at("duration")), seconds, 0.1);

        // The index (moov) before the pictures (mdat): playable while loading.
        const std::string bytes = readFile(video);
        ASSERT_NE(bytes.find("moov"), std::string::npos);
        EXPECT_LT(bytes.find("moov"), bytes.find("mdat"));
    }
}

}  // namespace
