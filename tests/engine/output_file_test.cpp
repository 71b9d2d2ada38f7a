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
    static std::string write(const fs::path& target) {
        return writeThroughTemporary(target.string(), [](std::FILE* file) {
            std::fputs("whole", file);
            return std::string();
        });
    }
    int entries() const { return static_cast<int>(std::distance(fs::directory_iterator(folder_), {})); }
    ScratchFolder scratch_{"output-file"};
    const fs::path folder_ = scratch_.path();
};

TEST_F(OutputFileTest, AFailedWriteKeepsTheOlderFileAndSaysWhyAndAWholeOneTakesItsName) {
    const fs::path target = folder_ / "stats.json";
    std::ofstream(target) << "older";
    const std::string error = writeThroughTemporary(target.string(), [](std::FILE* file) {
        std::fputs("half", file);
        return std::string("No space left on device");
    });
    EXPECT_EQ(error, "cannot write " + target.string() + ": No space left on device");
    EXPECT_EQ(readFile(target), "older");
    EXPECT_EQ(entries(), 1);
    EXPECT_EQ(write(target), "");
    EXPECT_EQ(readFile(target), "whole");
    EXPECT_EQ(entries(), 1);
    // A folder that takes no files is named.
    EXPECT_EQ(write("/proc/vg-none/x.png"), "cannot write /proc/vg-none/x.png: No such file or directory");
    EXPECT_EQ(outputProblem("/proc/vg-none/x.png", NotRegular::WriteInPlace),
              "folder /proc/vg-none is not writable (No such file or directory)");
}

TEST_F(OutputFileTest, TemporariesAreFreshHiddenNamesBesideTheTargetThatPlantedLinksCannotCatch) {
    const fs::path target = folder_ / "sheet.png";
    OutputFile first, second;
    std::string reason;
    ASSERT_TRUE(first.open(target.string(), NotRegular::WriteInPlace, reason)) << reason;
    ASSERT_TRUE(second.open(target.string(), NotRegular::WriteInPlace, reason)) << reason;
    const fs::path temporary = first.writtenName();
    EXPECT_EQ(temporary.parent_path(), folder_);
    EXPECT_EQ(temporary.extension(), ".png");
    EXPECT_EQ(temporary.filename().string()[0], '.');
    EXPECT_NE(temporary, second.writtenName());

    // Another user, able to write in the folder, points every name this
    // process could pick the old way (pid-based) at a file of the victim's.
    const fs::path victim = folder_ / "victim.txt";
    std::ofstream(victim) << "precious";
    const std::string pid = std::to_string(getpid());
    fs::create_symlink(victim, folder_ / (".sheet.part-" + pid + ".png"));
    fs::create_symlink(victim, folder_ / ("sheet.png." + pid + ".tmp"));
    EXPECT_EQ(write(target), "");
    EXPECT_EQ(readFile(victim), "precious");
    EXPECT_EQ(readFile(target), "whole");
    EXPECT_EQ(fs::symlink_status(target).type(), fs::file_type::regular);
}

// Puts `what` at `at`; false where this machine cannot. The device is our
// own node of the "full" device (1, 7), where root may make one and the
// mount lets it be opened: a slip here must not replace the machine's
// /dev/full, as one once did.
bool plant(const std::string& what, const fs::path& at, const fs::path& elsewhere) {
    if (what == "a FIFO") return mkfifo(at.c_str(), 0600) == 0;
    if (what == "a folder") return fs::create_directory(at);
    if (what == "a device that takes no bytes") {
        const int probe = mknod(at.c_str(), S_IFCHR | 0666, makedev(1, 7)) == 0 ? open(at.c_str(), O_WRONLY) : -1;
        if (probe >= 0) close(probe);
        return probe >= 0;
    }
    fs::create_symlink(what == "a link to /dev/null"   ? fs::path("/dev/null")
                       : what == "a link to nothing"   ? fs::path(elsewhere.string() + ".absent")
                                                       : elsewhere,
                       at);
    return true;
}

// What may sit at an output's name besides a regular file; what writing it
// through a temporary says (empty: written) and what a file of our own that
// replaces regular files only (the archive) is told.
const struct {
    const char* what;
    const char* written;
    const char* refused;
} kPlanted[] = {
    {"a FIFO", "", "it is a FIFO, not a regular file"},
    {"a link to /dev/null", "", "it is a symbolic link"},
    {"a link to a regular file elsewhere", "", "it is a symbolic link"},
    {"a device that takes no bytes", "No space left on device", "it is a character device, not a regular file"},
    {"a folder", "it is a folder, not a regular file", "it is a folder, not a regular file"},
    {"a link to nothing", "it is a symbolic link that leads nowhere", "it is a symbolic link"},
};

TEST_F(OutputFileTest, WhatIsNotARegularFileIsWrittenInPlaceOrRefusedButNeverReplaced) {
    const fs::path elsewhere = folder_ / "real.json";
    std::ofstream(elsewhere) << "older";
    for (const auto& row : kPlanted) {
        SCOPED_TRACE(row.what);
        const fs::path at = folder_ / "target.png";
        if (!plant(row.what, at, elsewhere)) continue;
        const fs::file_type kind = fs::symlink_status(at).type();
        // Held from the start: a slip that opens the FIFO in place must not
        // wait for ever for a reader.
        auto reader = kind == fs::file_type::fifo ? readFifo(at, 2) : std::future<std::string>();

        OutputFile archive;
        std::string reason;
        EXPECT_FALSE(archive.open(at.string(), NotRegular::Refuse, reason));
        EXPECT_NE(reason.find(row.refused), std::string::npos) << reason;
        archive.discard();
        const std::string said = write(at);
        const std::string expected = *row.written ? "cannot write " + at.string() + ": " + row.written : "";
        EXPECT_EQ(said.substr(0, expected.size()), expected);
        EXPECT_EQ(said.empty(), expected.empty()) << said;
        if (reader.valid()) {
            EXPECT_EQ(reader.get(), "whole");
        }
        EXPECT_EQ(fs::symlink_status(at).type(), kind);
        EXPECT_EQ(entries(), 2) << "something was left beside it";
        fs::remove(at);
    }
    EXPECT_EQ(readFile(elsewhere), "whole");
}

}  // namespace
