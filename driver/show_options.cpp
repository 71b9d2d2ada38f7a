#include "driver/show_options.h"

#include <algorithm>

#include "driver/command_line.h"
#include "driver/flash_warning.h"
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
)";

// The footer's lines are at most this long.
constexpr std::size_t kFooterWidth = 78;

// Words filled greedily into lines of at most `width` characters.
std::string wrapped(const std::string& text, std::size_t width) {
    std::string out;
    std::size_t lineLength = 0;
    std::size_t begin = 0;
    while (begin < text.size()) {
        std::size_t end = text.find(' ', begin);
        if (end == std::string::npos) end = text.size();
        const std::size_t word = end - begin;
        if (lineLength > 0 && lineLength + 1 + word > width) {
            out += '\n';
            lineLength = 0;
        } else if (lineLength > 0) {
            out += ' ';
            ++lineLength;
        }
        out.append(text, begin, word);
        lineLength += word;
        begin = end + 1;
    }
    return out;
}

bool asksTerminal(const DisplayRow& row) { return row.asksTerminal; }

// How auto chooses, the highest rank first.
std::string autoRules() {
    std::vector<const DisplayRow*> rows;
    for (const DisplayRow& row : displayRows()) rows.push_back(&row);
    std::stable_sort(rows.begin(), rows.end(),
                     [](const DisplayRow* a, const DisplayRow* b) { return a->autoRank > b->autoRank; });
    std::string text = "--display auto asks the terminal: ";
    for (std::size_t i = 0; i < rows.size(); ++i) text += (i ? ", else " : "") + std::string(rows[i]->autoRule);
    return text + ". Inside tmux or screen it does not choose " + joinedNames(asksTerminal, "or") + ".";
}

std::string footer() {
    return kFooter + wrapped(autoRules(), kFooterWidth) + "\n\n" +
           wrapped(flashWarning(), kFooterWidth);
}

// Every picture with what it draws, then auto.
std::string displayHelp() {
    std::string help;
    for (const DisplayRow& row : displayRows())
        help += std::string(row.name) + (&row == &classicDisplay() ? " (default)" : "") + ": " +
                std::string(row.help) + "; ";
    return help + std::string(kAutoDisplay) + ": the best of these the terminal shows";
}

// The caps without --fps, the largest first, then the pictures without one:
// "60 for truecolor and kitty, 30 for sixel, no cap for libcaca".
std::string defaultFpsHelp() {
    std::vector<int> caps;
    for (const DisplayRow& row : displayRows())
        if (std::find(caps.begin(), caps.end(), row.defaultFps) == caps.end()) caps.push_back(row.defaultFps);
    std::sort(caps.begin(), caps.end(), [](int a, int b) { return a != 0 && (b == 0 || a > b); });
    std::string help;
    for (int cap : caps) {
        std::vector<std::string_view> titles;
        for (const DisplayRow& row : displayRows())
            if (row.defaultFps == cap) titles.push_back(row.title);
        help += help.empty() ? "" : ", ";
        help += (cap == 0 ? std::string("no cap") : std::to_string(cap)) + " for " + joinedWords(titles, "and");
    }
    return help;
}

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
               std::vector<std::string_view> names = displayNames();
               names.push_back(kAutoDisplay);
               if (std::find(names.begin(), names.end(), name) == names.end())
                   refuseChoice("--display", name, names);
               settings.display = name;
           },
           displayHelp())
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
           "at most N frames a second (default: " + defaultFpsHelp() + ")")
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
    app.footer(footer());
    declareShowOptions(app, result.settings);
    const CommandLineOutcome outcome = parseCommandLine(app, args);
    result.print = outcome.print;
    result.error = outcome.error;
    return result;
}

std::string showUsageHint() { return "Try 'vesper-glint --help' for the options."; }
