// Runs the vesper-capture program itself.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "tests/capture/program_run.h"

namespace fs = std::filesystem;
using capture_program::Outcome;
using capture_program::run;

namespace {

using CaptureProgram = capture_program::ProgramTest;

TEST_F(CaptureProgram, BadArgumentsFailWithAMessage) {
    struct Case {
        std::string arguments;
        std::string mentions;
    };
    const Case cases[] = {
        {"--frames --nonsense", "unknown option"},
        {"--frames --start 2000 --end 1000", "before the start"},
        {"--sheet /proc/vg-sheet.png", "not writable"},
        {"--frames --out /proc/vg-frames", "--out"},
        {"--video '" + (scratch_ / "v.mp4").string() + "' --ffmpeg /nonexistent/ffmpeg", "ffmpeg"},
    };
    for (const Case& c : cases) {
        const Outcome outcome = run(c.arguments, scratch_);
        EXPECT_EQ(outcome.status, 2) << c.arguments;
        EXPECT_NE(outcome.errors.find(c.mentions), std::string::npos)
            << c.arguments << ": " << outcome.errors;
    }
    EXPECT_FALSE(fs::exists(scratch_ / "v.mp4"));
}

TEST_F(CaptureProgram, MissingContentIsReportedAndStillCapturedButNoContentIsRefused) {
    // resources/ without the song or any picture: said (unless --quiet), and
    // captured anyway.
    fs::create_directories(scratch_ / "bare" / "resources");
    const Outcome outcome = run("--show-dir '" + (scratch_ / "bare").string() +
                                           "' --at 1000 --frames --out '" +
                                           (scratch_ / "bare-out").string() + "'",
                                       scratch_);
    EXPECT_EQ(outcome.status, 0) << outcome.errors;
    EXPECT_NE(outcome.errors.find("kelmuth.ogg"), std::string::npos) << outcome.errors;
    EXPECT_NE(outcome.errors.find("placeholder"), std::string::npos) << outcome.errors;
    EXPECT_TRUE(fs::exists(scratch_ / "bare-out" / "frame-001000.png"));

    // A folder with no content at all is a mistake in the arguments.
    fs::create_directories(scratch_ / "nothing");
    const Outcome refused = run("--data '" + (scratch_ / "nothing").string() +
                                           "' --at 1000 --frames --quiet --out '" +
                                           (scratch_ / "nothing-out").string() + "'",
                                       scratch_);
    EXPECT_EQ(refused.status, 2);
    EXPECT_NE(refused.errors.find("no show content"), std::string::npos) << refused.errors;
    EXPECT_NE(refused.errors.find((scratch_ / "nothing").string()), std::string::npos) << refused.errors;
    EXPECT_FALSE(fs::exists(scratch_ / "nothing-out" / "frame-001000.png"));
}

}  // namespace
