// Runs the vesper-capture program itself: each run is a fresh process, as
// the show's effects keep class-wide state that only a new process resets.
#include <gtest/gtest.h>
#include <unistd.h>
#include <sys/wait.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <map>
#include <string>

namespace fs = std::filesystem;

namespace {

const std::string kProgram = std::string(VG_BINARY_DIR) + "/vesper-capture";

struct Outcome {
    int status = -1;
    std::string errors;
};

std::string readFile(const fs::path& path) {
    std::ifstream file(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>()};
}

Outcome runProgram(const std::string& arguments, const fs::path& folder) {
    const fs::path errors = folder / "stderr.txt";
    const std::string command =
        "'" + kProgram + "' " + arguments + " >/dev/null 2>'" + errors.string() + "'";
    const int raw = std::system(command.c_str());
    return {WIFEXITED(raw) ? WEXITSTATUS(raw) : -1, readFile(errors)};
}

// A show folder of the test's own, so its archive is packed where no other
// test reads one: the generated content linked in when it exists, otherwise
// nothing (placeholder pictures, a silent song).
fs::path showFolder(const fs::path& scratch) {
    const fs::path show = scratch / "show";
    fs::create_directories(show);
    const fs::path generated = VG_SHOW_DIR;
    if (!fs::is_directory(generated / "resources")) return show;
    for (const auto& entry : fs::directory_iterator(generated)) {
        const std::string name = entry.path().filename().string();
        if (name == "resources" || entry.path().extension() == ".obj")
            fs::create_symlink(entry.path(), show / name);
    }
    return show;
}

std::map<std::string, std::string> filesIn(const fs::path& folder) {
    std::map<std::string, std::string> files;
    for (const auto& entry : fs::directory_iterator(folder))
        if (entry.is_regular_file())
            files[entry.path().filename().string()] = readFile(entry.path());
    return files;
}

class CaptureProgram : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(fs::exists(kProgram)) << kProgram << " is not built";
        // CTest runs the cases as separate processes side by side: each
        // needs a folder of its own.
        scratch_ = fs::path(::testing::TempDir()) /
                   ("vg-capture-program-" + std::to_string(getpid()) + "-" +
                    ::testing::UnitTest::GetInstance()->current_test_info()->name());
        fs::remove_all(scratch_);
        fs::create_directories(scratch_);
    }
    fs::path scratch_;
};

TEST_F(CaptureProgram, SameArgumentsGiveTheSameBytes) {
    const fs::path show = showFolder(scratch_);
    // Across the first scene change, with every kind of per-frame output.
    const std::string common = "--show-dir '" + show.string() +
                               "' --start 48500 --end 49500 --fps 30 --frames --chars --ansi "
                               "--sheet-every 250 --sheet-columns 3 --quiet";
    for (const char* run : {"a", "b"}) {
        const fs::path out = scratch_ / run;
        fs::create_directories(out);
        const Outcome outcome = runProgram(
            common + " --out '" + out.string() + "' --sheet '" + (out / "sheet.png").string() + "'",
            scratch_);
        ASSERT_EQ(outcome.status, 0) << outcome.errors;
    }
    const auto a = filesIn(scratch_ / "a");
    const auto b = filesIn(scratch_ / "b");
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
        const Outcome outcome = runProgram(c.arguments, scratch_);
        EXPECT_EQ(outcome.status, 2) << c.arguments;
        EXPECT_NE(outcome.errors.find(c.mentions), std::string::npos)
            << c.arguments << ": " << outcome.errors;
    }
    EXPECT_FALSE(fs::exists(scratch_ / "v.mp4"));
}

TEST_F(CaptureProgram, MissingContentIsReportedAndStillCapturedButNoContentIsRefused) {
    // resources/ without the song or any picture: said, and captured anyway.
    fs::create_directories(scratch_ / "bare" / "resources");
    const Outcome outcome = runProgram("--show-dir '" + (scratch_ / "bare").string() +
                                           "' --at 1000 --frames --quiet --out '" +
                                           (scratch_ / "bare-out").string() + "'",
                                       scratch_);
    EXPECT_EQ(outcome.status, 0) << outcome.errors;
    EXPECT_NE(outcome.errors.find("kelmuth.ogg"), std::string::npos) << outcome.errors;
    EXPECT_NE(outcome.errors.find("placeholder"), std::string::npos) << outcome.errors;
    EXPECT_TRUE(fs::exists(scratch_ / "bare-out" / "frame-001000.png"));

    // A folder with no content at all is a mistake in the arguments.
    fs::create_directories(scratch_ / "nothing");
    const Outcome refused = runProgram("--data '" + (scratch_ / "nothing").string() +
                                           "' --at 1000 --frames --quiet --out '" +
                                           (scratch_ / "nothing-out").string() + "'",
                                       scratch_);
    EXPECT_EQ(refused.status, 2);
    EXPECT_NE(refused.errors.find("no show content"), std::string::npos) << refused.errors;
    EXPECT_NE(refused.errors.find((scratch_ / "nothing").string()), std::string::npos) << refused.errors;
    EXPECT_FALSE(fs::exists(scratch_ / "nothing-out" / "frame-001000.png"));
}

}  // namespace
