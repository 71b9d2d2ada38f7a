#include "engine/output_file.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <iterator>

namespace fs = std::filesystem;

namespace {

class OutputFileTest : public ::testing::Test {
protected:
    void SetUp() override {
        folder_ = fs::path(::testing::TempDir()) / ("vg-output-file-" + std::to_string(getpid()));
        fs::remove_all(folder_);
        fs::create_directories(folder_);
    }
    void TearDown() override { fs::remove_all(folder_); }
    std::string contents(const fs::path& path) const {
        std::ifstream file(path, std::ios::binary);
        return {std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>()};
    }
    int entries() const { return static_cast<int>(std::distance(fs::directory_iterator(folder_), {})); }
    fs::path folder_;
};

std::string writeWords(std::FILE* file) {
    std::fputs("whole", file);
    return {};
}

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

TEST_F(OutputFileTest, TheTemporaryNameIsHiddenBesideTheTargetAndKeepsItsExtension) {
    const std::string temporary = temporaryNameFor((folder_ / "show.mp4").string());
    EXPECT_EQ(fs::path(temporary).parent_path(), folder_);
    EXPECT_EQ(fs::path(temporary).extension(), ".mp4");
    EXPECT_EQ(fs::path(temporary).filename().string()[0], '.');
    EXPECT_NE(temporary, (folder_ / "show.mp4").string());
}

TEST_F(OutputFileTest, AFolderThatTakesNoFilesIsNamed) {
    const std::string error = writeThroughTemporary("/proc/vg-none/x.png", writeWords);
    EXPECT_NE(error.find("cannot create /proc/vg-none/.x.part-"), std::string::npos) << error;
    EXPECT_NE(error.find("No such file or directory"), std::string::npos) << error;
}

}  // namespace
