// The Windows sides of the file rules (platform/windows): outputs written
// through a CREATE_NEW temporary and moved over the target, what is not a
// regular file never replaced, the cache folder's checks, and the content
// found beside the programs. Run under wine with the Windows programs.
#include <windows.h>
#undef near
#undef far

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "driver/data_folder.h"
#include "engine/output_file.h"
#include "engine/resource_packing.h"
#include "engine/system_names.h"
#include "tests/support/scratch_folder.h"

namespace fs = std::filesystem;

namespace {

const std::string kName = "J\xc3\xa4rvi \xe2\x9c\x93";

std::string writeWhole(const fs::path& target) {
    return writeThroughTemporary(utf8FromPath(target), [](std::FILE* file) {
        std::fputs("whole", file);
        return std::string();
    });
}

class WindowsFiles : public ::testing::Test {
protected:
    ScratchFolder scratch_{"windows-files"};
    const fs::path folder_ = scratch_.path() / pathFromUtf8(kName);
    void SetUp() override { fs::create_directories(folder_); }
};

TEST_F(WindowsFiles, AWholeFileTakesItsNameUnderAnyNameAndAFailedOneKeepsTheOlder) {
    const fs::path target = folder_ / pathFromUtf8("stats-\xc3\xa4.json");
    EXPECT_EQ(writeWhole(target), "");
    EXPECT_EQ(readFile(target), "whole");
    const std::string error = writeThroughTemporary(utf8FromPath(target), [](std::FILE* file) {
        std::fputs("half", file);
        return std::string("No space left on device");
    });
    EXPECT_NE(error.find("No space left on device"), std::string::npos);
    EXPECT_EQ(readFile(target), "whole");
    // No temporary stays behind, whichever way it went.
    EXPECT_EQ(std::distance(fs::directory_iterator(folder_), {}), 1);
}

TEST_F(WindowsFiles, WhatIsNotARegularFileIsNeverReplaced) {
    fs::create_directories(folder_ / "sheet.png");
    EXPECT_NE(writeWhole(folder_ / "sheet.png").find("folder"), std::string::npos);
    EXPECT_TRUE(fs::is_directory(folder_ / "sheet.png"));

    // A device takes the bytes in place where the rules allow it.
    EXPECT_EQ(writeTextFile("NUL", "text"), "");
    EXPECT_EQ(outputProblem("NUL", NotRegular::WriteInPlace), "");
    EXPECT_NE(outputProblem("NUL", NotRegular::FollowLink), "");

    // A link is refused where it must not be followed, and followed to the
    // file it leads to where it may be: the file is written, the link stays.
    const fs::path file = folder_ / "real.txt", link = folder_ / "link.txt";
    std::ofstream(file) << "old";
    // Wine 8 says it made the link and makes none: there the case ends here.
    const DWORD made = CreateSymbolicLinkW(link.c_str(), file.c_str(), 0) ? GetFileAttributesW(link.c_str())
                                                                           : INVALID_FILE_ATTRIBUTES;
    if (made == INVALID_FILE_ATTRIBUTES || !(made & FILE_ATTRIBUTE_REPARSE_POINT))
        GTEST_SKIP() << "no symbolic links here";
    OutputFile output;
    std::string reason;
    EXPECT_FALSE(output.open(utf8FromPath(link), NotRegular::Refuse, reason));
    EXPECT_NE(reason.find("symbolic link"), std::string::npos);
    EXPECT_EQ(writeWhole(link), "");
    EXPECT_EQ(readFile(file), "whole");
    EXPECT_TRUE(fs::is_symlink(link));
}

TEST_F(WindowsFiles, TheCacheFolderIsMadeUnderLocalAppDataAndOursIsSafe) {
    _wputenv_s(L"LOCALAPPDATA", folder_.c_str());
    EXPECT_EQ(userCacheFolder(), utf8FromPath(folder_) + "\\vesper-glint");
    const std::string nested = utf8FromPath(folder_ / "a" / "b");
    std::string error;
    ASSERT_TRUE(makePrivateFolders(nested, error)) << error;
    EXPECT_TRUE(fs::is_directory(pathFromUtf8(nested)));
    EXPECT_EQ(unsafeFolderReason(nested), "");
    EXPECT_NE(unsafeFolderReason(utf8FromPath(folder_ / "absent")), "");
}

TEST_F(WindowsFiles, TheContentIsFoundBesideTheProgramsUnlessAFolderIsNamed) {
    const std::string programs = utf8FromPath(folder_);
    EXPECT_FALSE(findDataFolder("", nullptr, programs).found());
    fs::create_directories(folder_ / "resources");
    const DataSearch beside = findDataFolder("", nullptr, programs);
    EXPECT_EQ(beside.folder, programs);
    // A build tree's show\ comes first.
    fs::create_directories(folder_ / "show" / "resources");
    EXPECT_EQ(findDataFolder("", nullptr, programs).folder, programs + "\\show");
    // A named folder (a drive letter, forward or back slashes) is the only one.
    const std::string named = utf8FromPath(folder_ / "show");
    EXPECT_EQ(findDataFolder(named, "C:/elsewhere", programs).folder, named);
    const DataSearch elsewhere = findDataFolder("", "C:/elsewhere", programs);
    EXPECT_FALSE(elsewhere.found());
    EXPECT_EQ(elsewhere.looked, std::vector<std::string>{"C:\\elsewhere"});
}

}  // namespace
