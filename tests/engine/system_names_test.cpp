// Names the system gives, as the program keeps them (UTF-8): the same test
// runs on Linux, where they are bytes, and on Windows, where they go
// through UTF-16.
#include "engine/system_names.h"

#include <gtest/gtest.h>

#include <filesystem>

#include "tests/support/scratch_folder.h"

namespace fs = std::filesystem;

namespace {

// "Järvi" and a check mark: two and three bytes of UTF-8.
const std::string kName = "J\xc3\xa4rvi \xe2\x9c\x93";

TEST(SystemNames, AFolderNamedBeyondAsciiIsMadeFoundEnteredAndNamedBackAlike) {
    const ScratchFolder scratch("system-names");
    const fs::path folder = scratch.path() / pathFromUtf8(kName);
    fs::create_directories(folder / "resources");
    std::vector<std::string> names;
    for (const auto& entry : fs::directory_iterator(scratch.path()))
        names.push_back(utf8FromPath(entry.path().filename()));
    EXPECT_EQ(names, std::vector<std::string>{kName});

    const fs::path before = fs::current_path();
    std::string reason;
    ASSERT_TRUE(enterFolder(utf8FromPath(folder), reason)) << reason;
    EXPECT_TRUE(fs::is_directory("resources"));
    EXPECT_EQ(utf8FromPath(fs::current_path().filename()), kName);
    fs::current_path(before);

    EXPECT_FALSE(enterFolder(utf8FromPath(folder / "absent"), reason));
    EXPECT_FALSE(reason.empty());
}

TEST(SystemNames, TheProgramsFolderIsItsBuildTreeWhateverTheWorkingFolder) {
    const ScratchFolder scratch("system-names");
    const fs::path before = fs::current_path();
    fs::current_path(scratch.path());
    const fs::path folder = pathFromUtf8(executableFolder());
    fs::current_path(before);
    EXPECT_TRUE(folder.is_absolute()) << utf8FromPath(folder);
    EXPECT_TRUE(fs::is_regular_file(folder / "CMakeCache.txt")) << utf8FromPath(folder);
}

TEST(SystemNames, AnUnsetVariableIsNothingAndASetOneItsValue) {
    EXPECT_FALSE(environmentValue("VG_TEST_NEVER_SET_ANYWHERE").has_value());
    setenv("VG_TEST_SYSTEM_NAMES", "C:/x y", 1);
    EXPECT_EQ(environmentValue("VG_TEST_SYSTEM_NAMES"), "C:/x y");
    unsetenv("VG_TEST_SYSTEM_NAMES");
}

}  // namespace
