// Runs the show program itself, without a terminal: everything it does
// before the console opens, and how it refuses what it cannot do.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

#include "engine/archive.h"

namespace fs = std::filesystem;

namespace {

const std::string kProgram = VG_BINARY_DIR "/vesper-glint";

std::string slurp(const fs::path& path) {
    std::ifstream in(path);
    std::stringstream text;
    text << in.rdbuf();
    return text.str();
}

struct ShowRun {
    int status;
    std::string out, err;
};

std::string quoted(const std::string& text) { return "'" + text + "'"; }

class ShowProgram : public ::testing::Test {
protected:
    void SetUp() override {
        // CTest runs the cases side by side: a folder for each.
        scratch = fs::temp_directory_path() /
                  ("vg-show-program-" + std::to_string(getpid()) + "-" +
                   ::testing::UnitTest::GetInstance()->current_test_info()->name());
        fs::remove_all(scratch);
        fs::create_directories(scratch / "cwd");
        // Another user must be able to reach the folder (see asUser), but
        // not to change it: a cache folder under it would be refused.
        fs::permissions(scratch,
                        fs::perms::owner_all | fs::perms::group_read | fs::perms::group_exec |
                            fs::perms::others_read | fs::perms::others_exec,
                        fs::perm_options::add);
    }
    void TearDown() override {
        std::system(("chmod -R u+w " + quoted(scratch.string()) + " 2>/dev/null").c_str());
        fs::remove_all(scratch);
    }

    // Runs the show from the empty folder cwd/ with no terminal attached.
    ShowRun run(const std::string& arguments, const std::string& environment = "",
                const std::string& asUser = "") {
        const std::string command = "cd " + quoted((scratch / "cwd").string()) + " && env " + environment +
                                    " " + asUser + " " + quoted(kProgram) + " " + arguments +
                                    " < /dev/null > ../out.txt 2> ../err.txt";
        const int raw = std::system(command.c_str());
        return {WIFEXITED(raw) ? WEXITSTATUS(raw) : -1, slurp(scratch / "out.txt"), slurp(scratch / "err.txt")};
    }

    bool cwdIsEmpty() const { return fs::is_empty(scratch / "cwd"); }

    fs::path scratch;
};

TEST_F(ShowProgram, AConsoleThatDoesNotStartIsReportedAndTheShowStillExitsZero) {
    for (const char* environment : {"CACA_DRIVER=no-such-driver", "CACA_DRIVER=ncurses TERM=xterm"}) {
        const ShowRun show = run("--mute --data " + quoted(VG_SHOW_DIR), environment);
        EXPECT_EQ(show.status, 0) << environment;
        EXPECT_EQ(show.out, "Loading.....\n") << environment;
        EXPECT_NE(show.err.find("Couldn't initialize LibCaCa"), std::string::npos) << show.err;
        // The real content: no placeholder, no silent song.
        EXPECT_EQ(show.err.find("Cannot"), std::string::npos) << show.err;
        EXPECT_TRUE(cwdIsEmpty()) << "the show wrote into the folder it was started from";
    }
}

TEST_F(ShowProgram, TruecolorWithoutATerminalSaysSoAndFallsBackToTheConsole) {
    for (const char* display : {"truecolor", "auto"}) {
        const ShowRun show = run("--mute --display " + std::string(display) + " --data " + quoted(VG_SHOW_DIR),
                                 "COLORTERM=truecolor CACA_DRIVER=no-such-driver");
        EXPECT_EQ(show.status, 0) << display;
        EXPECT_EQ(show.out, "Loading.....\n") << display;
        EXPECT_NE(show.err.find("the truecolor picture needs one terminal on standard input and output; "
                                "showing the libcaca picture instead"),
                  std::string::npos)
            << show.err;
        EXPECT_NE(show.err.find("Couldn't initialize LibCaCa"), std::string::npos) << show.err;
    }
    // Without COLORTERM, auto never tries the truecolor picture.
    const ShowRun plain = run("--mute --display auto --data " + quoted(VG_SHOW_DIR),
                              "COLORTERM= CACA_DRIVER=no-such-driver");
    EXPECT_EQ(plain.err.find("truecolor"), std::string::npos) << plain.err;
    EXPECT_NE(plain.err.find("Couldn't initialize LibCaCa"), std::string::npos) << plain.err;
}

TEST_F(ShowProgram, MissingContentNamesTheFoldersAndStopsBeforeLoading) {
    fs::create_directories(scratch / "nothing");
    const ShowRun named = run("--data " + quoted((scratch / "nothing").string()));
    EXPECT_EQ(named.status, 1);
    EXPECT_EQ(named.out, "");
    EXPECT_NE(named.err.find("no show content"), std::string::npos) << named.err;
    EXPECT_NE(named.err.find((scratch / "nothing").string()), std::string::npos) << named.err;

    const ShowRun variable = run("", "VESPER_GLINT_DATA=" + quoted((scratch / "nothing").string()));
    EXPECT_EQ(variable.status, 1);
    EXPECT_NE(variable.err.find("VESPER_GLINT_DATA"), std::string::npos) << variable.err;
    EXPECT_TRUE(cwdIsEmpty());
}

// A content folder the show cannot write to, holding an archive of other
// pictures: the show plays today's content from the cache folder or from
// memory, says once what it did, and writes nothing anywhere else.
TEST_F(ShowProgram, AReadOnlyContentFolderStillPlaysItsRealContent) {
    const fs::path data = scratch / "data";
    fs::create_directories(data);
    fs::copy(fs::path(VG_SHOW_DIR) / "resources", data / "resources", fs::copy_options::recursive);
    for (const auto& entry : fs::directory_iterator(VG_SHOW_DIR))
        if (entry.path().extension() == ".obj") fs::copy(entry.path(), data / entry.path().filename());
    // A stale archive: one picture only, under the song's name.
    fs::create_directories(scratch / "stale" / "resources");
    fs::copy(data / "resources" / "kuva4.jpg", scratch / "stale" / "resources" / "kelmuth.ogg");
    std::string error;
    ASSERT_TRUE(packDirectory((scratch / "stale" / "resources").string(), (data / "datafile.pak").string(), error))
        << error;
    ASSERT_EQ(std::system(("chmod -R a-w " + quoted(data.string())).c_str()), 0);
    // Root writes through any mode bits: the show then runs as nobody, whose
    // cache folder is its own (one others could write in is refused).
    fs::create_directories(scratch / "cache");
    const bool root = geteuid() == 0;
    if (root) {
        ASSERT_EQ(chown((scratch / "cache").c_str(), 65534, 65534), 0);
    }
    const std::string user = root ? "setpriv --reuid=65534 --regid=65534 --clear-groups" : "";
    const std::string before = slurp(data / "datafile.pak");

    const ShowRun cached = run("--mute --data " + quoted(data.string()),
                               "CACA_DRIVER=no-such-driver XDG_CACHE_HOME=" + quoted((scratch / "cache").string()),
                               user);
    EXPECT_EQ(cached.status, 0) << cached.err;
    EXPECT_EQ(cached.out, "Loading.....\n");
    const std::string cacheArchive = (scratch / "cache" / "vesper-glint" / "datafile.pak").string();
    EXPECT_NE(cached.err.find("Cannot write " + (data / "datafile.pak").string()), std::string::npos) << cached.err;
    EXPECT_NE(cached.err.find("into " + cacheArchive + " instead"), std::string::npos) << cached.err;
    EXPECT_EQ(cached.err.find("Cannot read song"), std::string::npos) << cached.err;
    EXPECT_EQ(cached.err.find("Cannot decode song"), std::string::npos) << cached.err;
    EXPECT_EQ(cached.err.find("placeholder"), std::string::npos) << cached.err;

    const ShowRun inMemory = run("--mute --data " + quoted(data.string()),
                                 "CACA_DRIVER=no-such-driver HOME=/nonexistent XDG_CACHE_HOME=", user);
    EXPECT_EQ(inMemory.status, 0) << inMemory.err;
    EXPECT_NE(inMemory.err.find("in memory instead"), std::string::npos) << inMemory.err;
    EXPECT_EQ(inMemory.err.find("song"), std::string::npos) << inMemory.err;

    EXPECT_EQ(slurp(data / "datafile.pak"), before);
    EXPECT_TRUE(cwdIsEmpty());
}

}  // namespace
