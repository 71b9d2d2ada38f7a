// Writing files as a careful Unix program does, against a second user of the
// machine who plants links, and against targets that are not plain files.
#include "engine/output_file.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>

#include "tests/fifo_reader.h"
#include "tests/support/scratch_folder.h"

namespace fs = std::filesystem;

namespace {

class OutputFileTest : public ::testing::Test {
protected:
    static std::string contents(const fs::path& path) { return readFile(path); }
    int entries() const { return static_cast<int>(std::distance(fs::directory_iterator(folder_), {})); }
    ScratchFolder scratch_{"output-file"};
    const fs::path folder_ = scratch_.path();
};

std::string writeWords(std::FILE* file) {
    std::fputs("whole", file);
    return {};
}

bool isLink(const fs::path& path) { return fs::is_symlink(fs::symlink_status(path)); }

TEST_F(OutputFileTest, AWholeWriteTakesTheNameAndLeavesNothingElse) {
    const fs::path target = folder_ / "sheet.png";
    std::ofstream(target) << "older";
    EXPECT_EQ(writeThroughTemporary(target.string(), writeWords), "");
    EXPECT_EQ(contents(target), "whole");
    EXPECT_EQ(entries(), 1);
}

TEST_F(OutputFileTest, AFailedWriteKeepsTheOlderFileAndNamesTheReason) {
    const fs::path target = folder_ / "stats.json";
    std::ofstream(target) << "older";
    const std::string error = writeThroughTemporary(target.string(), [](std::FILE* file) {
        std::fputs("half", file);
        return std::string("No space left on device");
    });
    EXPECT_EQ(error, "cannot write " + target.string() + ": No space left on device");
    EXPECT_EQ(contents(target), "older");
    EXPECT_EQ(entries(), 1);
}

TEST_F(OutputFileTest, TheTemporaryIsHiddenBesideTheTargetKeepsItsExtensionAndIsNewEachTime) {
    OutputFile first, second;
    std::string reason;
    ASSERT_TRUE(first.open((folder_ / "show.mp4").string(), NotRegular::WriteInPlace, reason)) << reason;
    ASSERT_TRUE(second.open((folder_ / "show.mp4").string(), NotRegular::WriteInPlace, reason)) << reason;
    const fs::path temporary = first.writtenName();
    EXPECT_EQ(temporary.parent_path(), folder_);
    EXPECT_EQ(temporary.extension(), ".mp4");
    EXPECT_EQ(temporary.filename().string()[0], '.');
    EXPECT_NE(first.writtenName(), second.writtenName());
    first.discard();
    second.discard();
    EXPECT_EQ(entries(), 0);
}

TEST_F(OutputFileTest, LinksPlantedWhereTemporariesGoAreNeverFollowed) {
    // Another user, able to write in the folder, points every name this
    // process could pick the old way (pid-based) at a file of the victim's.
    const fs::path victim = folder_ / "victim.txt";
    std::ofstream(victim) << "precious";
    const std::string pid = std::to_string(getpid());
    fs::create_symlink(victim, folder_ / (".sheet.part-" + pid + ".png"));
    fs::create_symlink(victim, folder_ / ("sheet.png." + pid + ".tmp"));
    const fs::path target = folder_ / "sheet.png";
    EXPECT_EQ(writeThroughTemporary(target.string(), writeWords), "");
    EXPECT_EQ(contents(victim), "precious");
    EXPECT_EQ(contents(target), "whole");
    EXPECT_FALSE(isLink(target));
}

TEST_F(OutputFileTest, WhatIsNotARegularFileIsWrittenInPlaceOrRefusedButNeverReplaced) {
    // A FIFO gets the bytes; it stays a FIFO.
    const fs::path fifo = folder_ / "pipe.png";
    ASSERT_EQ(mkfifo(fifo.c_str(), 0600), 0);
    auto reader = readFifo(fifo, 2);
    EXPECT_EQ(writeThroughTemporary(fifo.string(), writeWords), "");
    EXPECT_EQ(reader.get(), "whole");
    EXPECT_TRUE(fs::is_fifo(fs::symlink_status(fifo)));

    // A link to /dev/null: the bytes go there, the link stays.
    const fs::path toNull = folder_ / "null.png";
    fs::create_symlink("/dev/null", toNull);
    EXPECT_EQ(writeThroughTemporary(toNull.string(), writeWords), "");
    EXPECT_TRUE(isLink(toNull));

    // A device that refuses the bytes is named with its reason. Our own node
    // of the "full" device (1, 7), where root may make one: a slip here must
    // not replace the machine's /dev/full, as one once did.
    const fs::path full = folder_ / "full";
    const bool haveDevice = mknod(full.c_str(), S_IFCHR | 0666, makedev(1, 7)) == 0;
    const int probe = haveDevice ? open(full.c_str(), O_WRONLY) : -1;  // a nodev mount refuses it
    if (probe >= 0) {
        close(probe);
        EXPECT_EQ(writeThroughTemporary(full.string(), writeWords),
                  "cannot write " + full.string() + ": No space left on device");
        EXPECT_TRUE(fs::is_character_file(full));
    }

    // A link to a regular file elsewhere: that file is written, the link stays.
    fs::create_directories(folder_ / "elsewhere");
    const fs::path real = folder_ / "elsewhere" / "real.json";
    std::ofstream(real) << "older";
    const fs::path link = folder_ / "link.json";
    fs::create_symlink(real, link);
    EXPECT_EQ(writeThroughTemporary(link.string(), writeWords), "");
    EXPECT_TRUE(isLink(link));
    EXPECT_EQ(contents(real), "whole");

    // Folders and links to nothing are refused.
    fs::create_directories(folder_ / "folder.png");
    EXPECT_NE(writeThroughTemporary((folder_ / "folder.png").string(), writeWords).find("it is a folder"),
              std::string::npos);
    fs::create_symlink(folder_ / "absent", folder_ / "dangling.png");
    EXPECT_NE(writeThroughTemporary((folder_ / "dangling.png").string(), writeWords).find("leads nowhere"),
              std::string::npos);
    EXPECT_TRUE(isLink(folder_ / "dangling.png"));
}

TEST_F(OutputFileTest, AFileOfOurOwnReplacesOnlyARegularFile) {
    // The archive: a link or a FIFO at its name is left alone, whoever put it.
    const fs::path victim = folder_ / "victim.txt";
    std::ofstream(victim) << "precious";
    const fs::path link = folder_ / "datafile.pak";
    fs::create_symlink(victim, link);
    OutputFile output;
    std::string reason;
    EXPECT_FALSE(output.open(link.string(), NotRegular::Refuse, reason));
    EXPECT_NE(reason.find("symbolic link"), std::string::npos) << reason;
    const fs::path fifo = folder_ / "other.pak";
    ASSERT_EQ(mkfifo(fifo.c_str(), 0600), 0);
    EXPECT_FALSE(output.open(fifo.string(), NotRegular::Refuse, reason));
    EXPECT_NE(reason.find("a FIFO, not a regular file"), std::string::npos) << reason;
    EXPECT_EQ(contents(victim), "precious");
    EXPECT_EQ(entries(), 3);
}

TEST_F(OutputFileTest, AFolderThatTakesNoFilesIsNamed) {
    EXPECT_EQ(writeThroughTemporary("/proc/vg-none/x.png", writeWords),
              "cannot write /proc/vg-none/x.png: No such file or directory");
    EXPECT_EQ(outputProblem("/proc/vg-none/x.png", NotRegular::WriteInPlace),
              "folder /proc/vg-none is not writable (No such file or directory)");
}

}  // namespace
