#include <gtest/gtest.h>
#include <sys/wait.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

namespace fs = std::filesystem;

namespace {

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

// Runs the show in an empty folder with the given environment prefix and no
// terminal attached.
ShowRun runShowProcess(const std::string& environment) {
    const fs::path dir = fs::temp_directory_path() / ("vg-failure-" + std::to_string(getpid()));
    fs::remove_all(dir);
    fs::create_directories(dir);
    const std::string command = "cd " + dir.string() + " && " + environment + " " +
                                VG_BINARY_DIR "/vesper-glint < /dev/null > out.txt 2> err.txt";
    const int raw = std::system(command.c_str());
    ShowRun run{WIFEXITED(raw) ? WEXITSTATUS(raw) : -1, slurp(dir / "out.txt"), slurp(dir / "err.txt")};
    fs::remove_all(dir);
    return run;
}

}  // namespace

TEST(FailurePath, AConsoleThatDoesNotStartIsReportedAndTheShowStillExitsZero) {
    for (const char* environment : {"CACA_DRIVER=no-such-driver", "CACA_DRIVER=ncurses TERM=xterm"}) {
        const ShowRun run = runShowProcess(environment);
        EXPECT_EQ(run.status, 0) << environment;
        EXPECT_EQ(run.out, "Loading.....\n") << environment;
        EXPECT_NE(run.err.find("Couldn't initialize LibCaCa"), std::string::npos) << run.err;
        // Missing content is said once each, not silently ignored.
        EXPECT_NE(run.err.find("datafile.pak"), std::string::npos) << run.err;
    }
}
