// The capture program against bad requests and a hostile machine: wrong
// arguments, missing content, a full disk, positions far past the song, runs
// that would take days, outputs that are not files, a video program that is
// not one.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>

#include "tests/capture/program_run.h"
#include "tests/fifo_reader.h"

namespace fs = std::filesystem;
using capture_program::Outcome;
using capture_program::run;

namespace {

class HostileCapture : public capture_program::ProgramTest {
protected:
    void SetUp() override {
        ProgramTest::SetUp();
        out_ = scratch_ / "out";
        fs::create_directories(out_);
    }
    std::string showDir() const { return "--show-dir '" + show_.string() + "' --quiet "; }
    int filesIn(const fs::path& folder) const {
        return static_cast<int>(std::distance(fs::directory_iterator(folder), {}));
    }
    fs::path out_;
};

TEST_F(HostileCapture, BadRequestsFailWithAMessageBeforeAnyFrame) {
    const fs::path notExecutable = scratch_ / "ffmpeg-text";
    std::ofstream(notExecutable) << "#!/bin/sh\n";
    chmod(notExecutable.c_str(), 0644);
    const std::string folder = scratch_.string(), text = notExecutable.string(),
                      absent = (scratch_ / "absent").string();
    const std::string stats = showDir() + "--stats '" + (out_ / "s.json").string() + "' ";
    const std::string video = showDir() + "--video '" + (out_ / "v.mp4").string() + "' --ffmpeg ";
    // (Which requests count how many frames is the workload check's test.)
    const std::pair<std::string, std::string> requests[] = {
        {"--frames --nonsense", "unknown option"},
        {"--frames --out /proc/vg-frames", "--out"},
        {stats + "--start 0 --end 1073741823", "more than 1000000 frames"},
        {stats + "--at 1073741823 --warmup 1073741823", "more than 1000000 frames"},
        {stats + "--display kitty --terminal 1000x1000 --cell-size 64x64", "64000 x 40000 pixels"},
        {video + "'" + folder + "'", folder + " is a folder, not a program"},
        {video + "'" + text + "'", text + " is not executable (Permission denied)"},
        {video + "'" + absent + "'", absent + ": No such file or directory"},
    };
    for (const auto& [arguments, mentions] : requests) {
        const Outcome outcome = run(arguments, scratch_);
        EXPECT_EQ(outcome.status, 2) << arguments;
        EXPECT_NE(outcome.errors.find(mentions), std::string::npos) << arguments << ": " << outcome.errors;
    }
    EXPECT_EQ(filesIn(out_), 0);
}

TEST_F(HostileCapture, MissingContentIsReportedAndStillCapturedButNoContentIsRefused) {
    // resources/ without the song or any picture: said (unless --quiet), and
    // captured anyway.
    fs::create_directories(scratch_ / "bare" / "resources");
    const Outcome outcome = run("--show-dir '" + (scratch_ / "bare").string() + "' --at 1000 --frames --out '" +
                                    out_.string() + "'",
                                scratch_);
    EXPECT_EQ(outcome.status, 0) << outcome.errors;
    EXPECT_NE(outcome.errors.find("kelmuth.ogg"), std::string::npos) << outcome.errors;
    EXPECT_NE(outcome.errors.find("placeholder"), std::string::npos) << outcome.errors;
    EXPECT_TRUE(fs::exists(out_ / "frame-001000.png"));

    // A folder with no content at all is a mistake in the arguments.
    fs::create_directories(scratch_ / "nothing");
    const Outcome refused = run("--data '" + (scratch_ / "nothing").string() + "' --at 2000 --frames --quiet --out '" +
                                    out_.string() + "'",
                                scratch_);
    EXPECT_EQ(refused.status, 2);
    EXPECT_NE(refused.errors.find("no show content"), std::string::npos) << refused.errors;
    EXPECT_NE(refused.errors.find((scratch_ / "nothing").string()), std::string::npos) << refused.errors;
    EXPECT_FALSE(fs::exists(out_ / "frame-002000.png"));
}

TEST_F(HostileCapture, AFullDiskLeavesNoPartialFileAndSaysWhyAndWhich) {
    // A file-size limit of 8 KiB stands in for a full disk: the sheet's PNG
    // does not fit, the stats JSON would.
    const fs::path sheet = out_ / "sheet.png";
    std::ofstream(sheet) << "an older sheet";
    const Outcome outcome =
        run(showDir() + "--at 165000 --sheet '" + sheet.string() + "'", scratch_, "ulimit -f 8;");
    EXPECT_EQ(outcome.status, 1) << outcome.errors;
    EXPECT_NE(outcome.errors.find("cannot write " + sheet.string() + ": File too large"),
              std::string::npos)
        << outcome.errors;
    // The older file is untouched, and no temporary file is left beside it.
    EXPECT_EQ(capture_program::readFile(sheet), "an older sheet");
    EXPECT_EQ(filesIn(out_), 1);
}

// A bound on the address space, to catch a run that grows; AddressSanitizer
// reserves terabytes up front and cannot start under one.
#ifdef __SANITIZE_ADDRESS__
const char* const kMemoryBound = "";
#else
const char* const kMemoryBound = "ulimit -v 1000000;";
#endif

TEST_F(HostileCapture, FarPastTheSongsEndIsCapturedInConstantMemory) {
    const fs::path stats = out_ / "s.json";
    // Before, this decoded zeros up to the position: gigabytes, then abort.
    const Outcome outcome =
        run(showDir() + "--at 1073741823 --stats '" + stats.string() + "'", scratch_, kMemoryBound);
    EXPECT_EQ(outcome.status, 0) << outcome.errors;
    EXPECT_TRUE(fs::exists(stats));
}

TEST_F(HostileCapture, OutputsThatAreNotRegularFilesAreWrittenInPlaceNeverReplaced) {
    const std::string at = showDir() + "--at 165000 ";
    // A FIFO: its reader gets the picture, and it stays a FIFO.
    const fs::path fifo = out_ / "sheet.png";
    ASSERT_EQ(mkfifo(fifo.c_str(), 0600), 0);
    auto reader = readFifo(fifo);
    Outcome outcome = run(at + "--sheet '" + fifo.string() + "'", scratch_);
    EXPECT_EQ(outcome.status, 0) << outcome.errors;
    EXPECT_EQ(reader.get().substr(0, 4), "\x89PNG");
    EXPECT_TRUE(fs::is_fifo(fs::symlink_status(fifo)));

    // A video needs a regular file: refused before the first frame.
    outcome = run(at.substr(0, at.find("--at")) + "--start 1000 --end 1100 --video '" + fifo.string() + "'", scratch_);
    EXPECT_EQ(outcome.status, 2) << outcome.errors;
    EXPECT_NE(outcome.errors.find("it is a FIFO, not a regular file"), std::string::npos)
        << outcome.errors;
    EXPECT_EQ(filesIn(out_), 1);
}

TEST_F(HostileCapture, AVideoWhoseEncoderFailsSaysHowAndIsNotLeftBehind) {
    // A stand-in encoder that writes part of its output file, then fails,
    // named relative to where the capture starts (not the show folder).
    const fs::path encoder = scratch_ / "failing-ffmpeg";
    std::ofstream(encoder) << "#!/bin/sh\nfor last; do :; done\necho partial > \"$last\"\n"
                              "echo 'Unknown encoder libx264' >&2\nexit 1\n";
    chmod(encoder.c_str(), 0755);
    const fs::path video = out_ / "v.mp4";
    const Outcome outcome = run(showDir() + "--start 1000 --end 1100 --video '" + video.string() +
                                    "' --ffmpeg ./failing-ffmpeg",
                                scratch_, "cd '" + scratch_.string() + "';");
    EXPECT_EQ(outcome.status, 1) << outcome.errors;
    EXPECT_EQ(outcome.errors, "vesper-capture: video: ffmpeg ended with status 1, saying:\n"
                              "    Unknown encoder libx264\n");
    EXPECT_EQ(filesIn(out_), 0) << "neither the video nor its temporary file may remain";
}

}  // namespace
