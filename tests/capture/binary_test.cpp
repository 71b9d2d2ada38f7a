// Runs the vesper-capture program itself.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "tests/capture/program_run.h"

namespace fs = std::filesystem;
using capture_program::filesOf;
using capture_program::Outcome;
using capture_program::run;

namespace {

using CaptureProgram = capture_program::ProgramTest;

TEST_F(CaptureProgram, SameArgumentsGiveTheSameBytes) {
    // Across the first scene change, with every kind of per-frame output.
    const std::string common = "--show-dir '" + show_.string() +
                               "' --start 48500 --end 49500 --fps 30 --frames --chars --ansi "
                               "--sheet-every 250 --sheet-columns 3 --quiet";
    for (const char* name : {"a", "b"}) {
        const fs::path out = scratch_ / name;
        fs::create_directories(out);
        const Outcome outcome = run(
            common + " --out '" + out.string() + "' --sheet '" + (out / "sheet.png").string() + "'",
            scratch_);
        ASSERT_EQ(outcome.status, 0) << outcome.errors;
        EXPECT_EQ(outcome.errors, "") << "--quiet says nothing when all goes well";
    }
    const auto a = filesOf(scratch_ / "a");
    const auto b = filesOf(scratch_ / "b");
    EXPECT_EQ(a.size(), 3u * 31u + 1u);  // 31 frames, three files each, one sheet
    ASSERT_EQ(a.size(), b.size());
    for (const auto& [name, bytes] : a) {
        ASSERT_TRUE(b.count(name)) << name;
        EXPECT_TRUE(bytes == b.at(name)) << name << " differs between two runs";
    }
    // Different positions really do give different pictures.
    EXPECT_NE(a.at("frame-048500.png"), a.at("frame-049500.png"));
}

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
