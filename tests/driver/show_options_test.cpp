#include "driver/show_options.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "driver/data_folder.h"
#include "tests/support/build_paths.h"

namespace fs = std::filesystem;

namespace {

ShowCommandLine parse(std::vector<std::string> args) { return parseShowCommandLine(args); }

TEST(ShowOptions, EveryOptionLandsInTheSettingsNoneChangeNothingAndHelpNamesThemAll) {
    const ShowCommandLine none = parse({});
    EXPECT_EQ(none.error + none.print, "");
    EXPECT_EQ(none.settings.startMs, 0);
    EXPECT_FALSE(none.settings.mute);
    EXPECT_EQ(none.settings.display, "caca");
    EXPECT_EQ(none.settings.cells, CellShape::HalfBlock);
    EXPECT_EQ(none.settings.framesPerSecond, 0);

    const ShowCommandLine all = parse({"--start", "1:30", "--mute", "--data=/some/where", "--driver", "ncurses"});
    ASSERT_EQ(all.error, "");
    EXPECT_EQ(all.settings.startMs, 90000);
    EXPECT_TRUE(all.settings.mute);
    EXPECT_EQ(all.settings.dataFolder, "/some/where");
    EXPECT_EQ(all.settings.driver, "ncurses");
    EXPECT_EQ(parse({"--start=1000", "--start", "2000"}).settings.startMs, 2000);
    EXPECT_EQ(parse({"--start", "5:33"}).settings.startMs, 333000);
    EXPECT_EQ(parse({"--start", "0:07"}).settings.startMs, 7000);

    const ShowCommandLine picture = parse({"--display", "truecolor", "--cells=sextant", "--fps", "+30"});
    ASSERT_EQ(picture.error, "");
    EXPECT_EQ(picture.settings.display, "truecolor");
    EXPECT_EQ(picture.settings.cells, CellShape::Sextant);
    EXPECT_EQ(picture.settings.framesPerSecond, 30);
    EXPECT_EQ(parse({"--display=auto"}).settings.display, "auto");
    EXPECT_EQ(parse({"--display=kitty"}).settings.display, "kitty");
    EXPECT_EQ(parse({"--display", "sixel"}).settings.display, "sixel");
    EXPECT_EQ(parse({"--display=truecolor", "--display=caca"}).settings.display, "caca");
    EXPECT_EQ(parse({"--cells", "quadrant"}).settings.cells, CellShape::Quadrant);
    EXPECT_EQ(parse({"--cells", "sextant", "--cells", "half"}).settings.cells, CellShape::HalfBlock);

    // Help and version are printed, not played; help names every option.
    const ShowCommandLine help = parse({"-h"});
    for (const char* part : {"Usage: vesper-glint", "--start", "--mute", "--data", "--driver", "--version",
                             "VESPER_GLINT_DATA", "CACA_DRIVER", "Escape", "--display", "--cells", "--fps", "COLORTERM",
                             "60 for truecolor and kitty, 30 for sixel, no cap for libcaca",
                             "kitty where it answers the graphics query,\nelse sixel"})
        EXPECT_NE(help.print.find(part), std::string::npos) << part;
    EXPECT_EQ(help.error, "");
    EXPECT_EQ(parse({"--version"}).print, "vesper-glint " VG_VERSION "\n");
}

TEST(ShowOptions, BadOptionsGiveOneLineThatSaysWhatIsWrong) {
    struct Case {
        std::vector<std::string> args;
        std::string says;
    };
    const std::vector<Case> cases = {
        {{"--bogus"}, "unknown option \"--bogus\""},
        {{"-x"}, "unknown option \"-x\""},
        {{"now"}, "unexpected argument \"now\""},
        {{"--start"}, "option --start needs a value"},
        {{"--mute=yes"}, "option --mute takes no value"},
        {{"--start", "soon"}, "not \"soon\""},
        {{"--start", "-5"}, "from 0 to 333000 ms"},
        {{"--start", "333001"}, "from 0 to 333000 ms"},
        {{"--start", "5:34"}, "from 0 to 333000 ms"},
        {{"--start", "99999999999999999999"}, "from 0 to 333000 ms"},
        {{"--start", "1.5"}, "from 0 to 333000 ms"},
        {{"--start", ":30"}, "minutes:seconds"},
        {{"--start", "1: 30"}, "minutes:seconds"},
        {{"--start", "1:5"}, "minutes:seconds"},
        {{"--start", "1:60"}, "minutes:seconds"},
        {{"--start", "1:30:00"}, "minutes:seconds"},
        {{"--data", ""}, "option --data needs a folder name"},
        {{"--driver", "teletype"}, "no driver \"teletype\""},
        {{"--display", "vga"}, "caca, truecolor, kitty, sixel or auto, not \"vga\""},
        {{"--display"}, "option --display needs a value"},
        {{"--cells", "braille"}, "half, quadrant or sextant, not \"braille\""},
        {{"--fps", "0"}, "between 1 and 1000"},
        {{"--fps", "1001"}, "between 1 and 1000"},
        {{"-"}, "unexpected argument \"-\""},
        {{"--fps", "fast"}, "needs a whole number"},
        {{"--fps", "99999999999"}, "needs a whole number"},
        {{"--mute", "--", "--start"}, "unknown option \"--start\""},
        {{"--display", "v" + std::string(100000, 'g') + "a"}, "not \"v" + std::string(59, 'g') + "... (100002 bytes)\""},
    };
    for (const Case& c : cases) {
        const ShowCommandLine result = parse(c.args);
        EXPECT_NE(result.error.find(c.says), std::string::npos)
            << c.args.front() << ": \"" << result.error << "\" should say \"" << c.says << "\"";
        EXPECT_EQ(result.error.find('\n'), std::string::npos) << result.error;
        EXPECT_EQ(result.print, "");
    }
    EXPECT_EQ(parse({"--mute", "--"}).error, "") << "-- ends the options";
    // The driver list names what this libcaca has.
    EXPECT_NE(parse({"--driver", "teletype"}).error.find("ncurses"), std::string::npos);
}

class DataFolderSearch : public ::testing::Test {
protected:
    void SetUp() override {
        root = fs::temp_directory_path() / ("vg-data-search-" + std::to_string(getpid()));
        fs::remove_all(root);
        // An install: prefix/bin and prefix/share/vesper-glint.
        fs::create_directories(root / "prefix" / "bin");
        fs::create_directories(root / "prefix" / "share" / "vesper-glint" / "resources");
        // A build tree: build/show beside build/vesper-glint.
        fs::create_directories(root / "build" / "show" / "resources");
        fs::create_directories(root / "empty");
        fs::create_directories(root / "packed");
        std::ofstream((root / "packed" / "datafile.pak").string()) << "PK";
    }
    void TearDown() override { fs::remove_all(root); }
    std::string at(const char* relative) const { return (root / relative).lexically_normal().string(); }
    fs::path root;
};

TEST_F(DataFolderSearch, ANamedFolderComesFirstThenTheVariableThenBuildThenInstall) {
    const std::string bin = at("prefix/bin"), build = at("build");
    EXPECT_EQ(findDataFolder(at("packed"), at("empty").c_str(), build).folder, at("packed"));
    EXPECT_EQ(findDataFolder("", at("packed").c_str(), build).folder, at("packed"));
    EXPECT_EQ(findDataFolder("", "", build).folder, at("build/show"));
    EXPECT_EQ(findDataFolder("", nullptr, bin).folder, at("prefix/share/vesper-glint"));
    // A build tree next to an install prefers its own show folder.
    fs::create_directories(root / "prefix" / "bin" / "show" / "resources");
    EXPECT_EQ(findDataFolder("", nullptr, bin).folder, at("prefix/bin/show"));
}

TEST_F(DataFolderSearch, MissingContentNamesEveryFolderLookedIn) {
    const DataSearch named = findDataFolder(at("empty"), at("packed").c_str(), at("build"));
    EXPECT_FALSE(named.found());
    EXPECT_EQ(named.looked, std::vector<std::string>{at("empty")}) << "a named folder is the only one tried";
    EXPECT_NE(named.error.find(at("empty") + " (from --data)"), std::string::npos) << named.error;

    const DataSearch variable = findDataFolder("", at("nowhere").c_str(), at("build"));
    EXPECT_NE(variable.error.find(at("nowhere") + " (from VESPER_GLINT_DATA)"), std::string::npos);

    const DataSearch automatic = findDataFolder("", nullptr, at("empty"));
    ASSERT_EQ(automatic.looked.size(), 2u);
    EXPECT_EQ(automatic.looked[0], at("empty/show"));
    EXPECT_EQ(automatic.looked[1], at("share/vesper-glint"));
    EXPECT_NE(automatic.error.find(at("empty/show") + ", " + at("share/vesper-glint")), std::string::npos)
        << automatic.error;
    EXPECT_EQ(automatic.error.find('\n'), std::string::npos);
}

TEST_F(DataFolderSearch, RelativeFoldersBecomeAbsoluteAndTheProgramsOwnFolderIsWhereItsFileIs) {
    const fs::path here = fs::current_path();
    fs::current_path(root);
    const DataSearch search = findDataFolder("packed", nullptr, "nowhere");
    fs::current_path(here);
    EXPECT_EQ(search.folder, at("packed"));
    EXPECT_TRUE(fs::equivalent(executableFolder(), build_paths::binaryDir())) << executableFolder();
}

}  // namespace
