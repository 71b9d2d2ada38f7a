#include "driver/show_options.h"

#include <algorithm>

#include "driver/command_line.h"
#include "driver/schedule.h"
#include "platform/caca_console.h"

namespace {

const char* const kFooter = R"(While it plays: Escape ends the show, Left and Right seek one second back
and forward, Space pauses and resumes, Ctrl+C ends it like Escape, Ctrl+Z
stops it (the terminal is the shell's again) until fg goes on where it was.

Content is searched in: --data DIR, else $VESPER_GLINT_DATA, else show/ beside
the program (a build tree), else share/vesper-glint under its install prefix.
The archive it packs goes into that folder, or into $XDG_CACHE_HOME/vesper-glint
(default ~/.cache/vesper-glint) when the folder is read-only.
CACA_DRIVER chooses libcaca's output driver when --driver is not given.
--display auto asks the terminal: kitty where it answers the graphics query,
else sixel where it reports sixel graphics with enough colour registers, else
truecolor when COLORTERM is truecolor or 24bit, else caca. Inside tmux or
screen it does not choose kitty or sixel.)";

bool allDigits(const std::string& text) {
    return !text.empty() && std::all_of(text.begin(), text.end(), [](char c) { return c >= '0' && c <= '9'; });
}

std::string driverList() {
    std::string list;
    for (const std::string& name : consoleDrivers()) list += (list.empty() ? "" : ", ") + name;
    return list;
}

void declareShowOptions(CLI::App& app, ShowSettings& settings) {
    app.add_option_function<std::string>(
           "--start",
           [&settings](const std::string& text) {
               const std::string error = parseSongPosition(text, settings.startMs);
               if (!error.empty()) refuseValue(error);
           },
           "begin the song and the show at POS: milliseconds, or minutes:seconds (2:45)")
        ->type_name("POS");
    app.add_flag("--mute", settings.mute,
                 "no sound: no audio device, a steady clock, the same picture")
        ->disable_flag_override();
    app.add_option_function<std::string>(
           "--data",
           [&settings](const std::string& folder) {
               if (folder.empty()) refuseValue("option --data needs a folder name");
               settings.dataFolder = folder;
           },
           "the content folder (resources/ or datafile.pak, and the meshes)")
        ->type_name("DIR");
    app.add_option_function<std::string>(
           "--driver",
           [&settings](const std::string& name) {
               const std::vector<std::string> known = consoleDrivers();
               if (std::find(known.begin(), known.end(), name) == known.end())
                   refuseValue("option --driver: no driver \"" + name + "\" (this libcaca has: " +
                               driverList() + ")");
               settings.driver = name;
           },
           "libcaca's output driver instead of CACA_DRIVER: " + driverList())
        ->type_name("NAME");
    app.add_option_function<std::string>(
           "--display",
           [&settings](const std::string& name) {
               settings.display = chooseValue<DisplayChoice>("--display", name,
                                                             {{"caca", DisplayChoice::Caca},
                                                              {"truecolor", DisplayChoice::Truecolor},
                                                              {"kitty", DisplayChoice::Kitty},
                                                              {"sixel", DisplayChoice::Sixel},
                                                              {"auto", DisplayChoice::Auto}});
           },
           "caca (default): libcaca's characters; truecolor: 24-bit colour cells filling the "
           "terminal; kitty: the frame's pixels through the terminal graphics protocol; sixel: the "
           "frame's pixels as sixel images; auto: the best of these the terminal shows")
        ->type_name("NAME");
    app.add_option_function<std::string>(
           "--cells",
           [&settings](const std::string& name) { settings.cells = parseCellShape(name); },
           "the truecolor picture's cells: half (default, upper and lower half of a cell), quadrant (2 x 2) "
           "or sextant (2 x 3)")
        ->type_name("SHAPE");
    app.add_option_function<std::string>(
           "--fps",
           [&settings](const std::string& text) {
               const std::string error =
                   parseWholeNumber("--fps", text, 1, 1000, settings.framesPerSecond);
               if (!error.empty()) refuseValue(error);
           },
           "at most N frames a second (default: 60 for truecolor and kitty, 30 for sixel, no cap "
           "for libcaca)")
        ->type_name("N");
    for (CLI::Option* option : app.get_options())
        option->multi_option_policy(CLI::MultiOptionPolicy::TakeLast);
}

}  // namespace

std::string parseSongPosition(const std::string& text, int& ms) {
    const std::string range = "option --start needs a position from 0 to " +
                              std::to_string(kShowEndMs) + " ms (5:33), not \"" + text + "\"";
    long long value = 0;
    const std::size_t colon = text.find(':');
    if (colon == std::string::npos) {
        if (!allDigits(text) || text.size() > 9) return range;
        value = std::stoll(text);
    } else {
        const std::string minutes = text.substr(0, colon);
        const std::string seconds = text.substr(colon + 1);
        if (!allDigits(minutes) || minutes.size() > 3 || !allDigits(seconds) || seconds.size() != 2 ||
            std::stoi(seconds) > 59)
            return "option --start needs milliseconds or minutes:seconds (2:45), not \"" + text + "\"";
        value = (std::stoll(minutes) * 60 + std::stoll(seconds)) * 1000;
    }
    if (value > kShowEndMs) return range;
    ms = static_cast<int>(value);
    return {};
}

ShowCommandLine parseShowCommandLine(const std::vector<std::string>& args) {
    ShowCommandLine result;
    CLI::App app{"Plays the Vesper Glint show in the terminal: one song and 27 effects, drawn\n"
                 "as coloured character art.",
                 "vesper-glint"};
    app.get_formatter()->column_width(18);
    app.set_version_flag("--version", "vesper-glint " VG_VERSION);
    app.footer(kFooter);
    declareShowOptions(app, result.settings);
    const CommandLineOutcome outcome = parseCommandLine(app, args);
    result.print = outcome.print;
    result.error = outcome.error;
    return result;
}

std::string showUsageHint() { return "Try 'vesper-glint --help' for the options."; }
