// Runs the show program itself, without a terminal: everything it does
// before the console opens, and how it refuses what it cannot do.
#include <gtest/gtest.h>
#include <sys/wait.h>

#include <cstdlib>
#include <filesystem>
#include <string>

#include "tests/support/build_paths.h"
#include "tests/support/scratch_folder.h"


namespace fs = std::filesystem;

namespace {

const std::string kProgram = build_paths::binaryDir() + "/vesper-glint";

struct ShowRun {
    int status;
    std::string out, err;
};

std::string quoted(const std::string& text) { return "'" + text + "'"; }

class ShowProgram : public ::testing::Test {
protected:
    void SetUp() override { fs::create_directories(scratch / "cwd"); }

    // Runs the show from the empty folder cwd/ with no terminal attached.
    ShowRun run(const std::string& arguments, const std::string& environment = "") {
        const std::string command = "cd " + quoted((scratch / "cwd").string()) + " && env " + environment + " " +
                                    quoted(kProgram) + " " + arguments + " < /dev/null > ../out.txt 2> ../err.txt";
        const int raw = std::system(command.c_str());
        return {WIFEXITED(raw) ? WEXITSTATUS(raw) : -1, readFile(scratch / "out.txt"), readFile(scratch / "err.txt")};
    }

    bool cwdIsEmpty() const { return fs::is_empty(scratch / "cwd"); }

    ScratchFolder folder_{"show-program"};
    const fs::path& scratch = folder_.path();
};

TEST_F(ShowProgram, AConsoleThatDoesNotStartIsReportedAndTheShowStillExitsZero) {
    // A terminal driver without a terminal, no such driver, and the
    // truecolor picture without a terminal, which says so and falls back.
    const std::string fallback = "the truecolor picture needs one terminal on standard input and output; "
                                 "showing the libcaca picture instead";
    struct Case {
        std::string arguments, environment;
        bool truecolorTried;
    };
    for (const Case& c : {Case{"", "CACA_DRIVER=ncurses TERM=xterm", false},
                          Case{"--display truecolor", "COLORTERM=truecolor CACA_DRIVER=no-such-driver", true},
                          Case{"--display auto", "COLORTERM=truecolor CACA_DRIVER=no-such-driver", true},
                          Case{"--display auto", "COLORTERM= CACA_DRIVER=no-such-driver", false}}) {
        const std::string options = "--mute " + c.arguments + " --data " + quoted(build_paths::showDir());
        const ShowRun show = run(options, c.environment);
        EXPECT_EQ(show.status, 0) << c.environment;
        EXPECT_EQ(show.out, "Loading.....\n") << c.environment;
        EXPECT_NE(show.err.find("Couldn't initialize LibCaCa"), std::string::npos) << show.err;
        EXPECT_EQ(show.err.find(fallback) != std::string::npos, c.truecolorTried) << c.arguments << ": " << show.err;
        // The real content: no placeholder, no silent song.
        EXPECT_EQ(show.err.find("Cannot"), std::string::npos) << show.err;
    }
    EXPECT_TRUE(cwdIsEmpty()) << "the show wrote into the folder it was started from";
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

}  // namespace
