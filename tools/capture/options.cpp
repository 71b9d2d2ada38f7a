#include "tools/capture/options.h"

#include <algorithm>
#include <climits>
#include <cstdint>
#include <set>

#include "driver/command_line.h"

namespace {

// Song positions beyond this could not be told apart from overflowed ones.
constexpr int kLargestPositionMs = INT_MAX / 2;

const char* const kPositions = "Positions";
const char* const kOutputs = "Outputs (at least one)";
const char* const kOther = "Other";
const char* const kPictures = "The picture beside the FrameBuffer";

void refuseIfWrong(const std::string& error) {
    if (!error.empty()) refuseValue(error);
}

std::string parsePositionList(const std::string& text, std::vector<int>& positions) {
    positions.clear();
    std::set<int> seen;
    std::size_t begin = 0;
    while (begin <= text.size()) {
        std::size_t comma = text.find(',', begin);
        if (comma == std::string::npos) comma = text.size();
        const std::string item = text.substr(begin, comma - begin);
        int ms = 0;
        std::string error = parseWholeNumber("--at", item, 0, kLargestPositionMs, ms);
        if (!error.empty()) return error;
        if (!seen.insert(ms).second) return "option --at names position " + item + " twice";
        positions.push_back(ms);
        begin = comma + 1;
    }
    return {};
}

CLI::Option* intOption(CLI::App& app, const std::string& name, int& field, int low, int high,
                       const std::string& help) {
    return app.add_option_function<std::string>(
        name, [&field, name, low, high](const std::string& text) {
            refuseIfWrong(parseWholeNumber(name, text, low, high, field));
        },
        help);
}

CLI::Option* textOption(CLI::App& app, const std::string& names, std::string& field,
                        const std::string& help) {
    const std::string name = names.substr(0, names.find(','));
    return app.add_option_function<std::string>(
        names, [&field, name](const std::string& text) {
            if (text.empty()) refuseValue("option " + name + " needs a non-empty value");
            field = text;
        },
        help);
}

CLI::Option* flag(CLI::App& app, const std::string& names, bool& field, const std::string& help) {
    return app.add_flag(names, field, help)->disable_flag_override();
}

// "AxB" with both between `low` and `high`.
std::string parseSize(const std::string& option, const std::string& form, int low, int high,
                      const std::string& text, int& first, int& second) {
    const std::size_t x = text.find('x');
    const std::string wrong = "option " + option + " needs " + form + " from " + std::to_string(low) + "x" +
                              std::to_string(low) + " to " + std::to_string(high) + "x" + std::to_string(high) +
                              ", not \"" + text + "\"";
    if (x == std::string::npos) return wrong;
    int a = 0, b = 0;
    if (!parseWholeNumber(option, text.substr(0, x), low, high, a).empty() ||
        !parseWholeNumber(option, text.substr(x + 1), low, high, b).empty())
        return wrong;
    first = a;
    second = b;
    return {};
}

void declarePositions(CLI::App& app, CaptureOptions& o) {
    const std::vector<CLI::Option*> positions = {
        textOption(app, "--data,--show-dir", o.showDir,
                   "the show's content folder (resources/, meshes); default: found as the show finds it")
            ->type_name("DIR"),
        intOption(app, "--start", o.startMs, 0, kLargestPositionMs, "first position of a range; default 0")
            ->type_name("MS"),
        intOption(app, "--end", o.endMs, 0, kLargestPositionMs,
                  "last position of a range (inclusive); default 333000")
            ->type_name("MS"),
        intOption(app, "--fps", o.fps, 1, 1000, "frames per second of a range; default 60")->type_name("N"),
        app.add_option_function<std::string>(
               "--at", [&o](const std::string& text) { refuseIfWrong(parsePositionList(text, o.atMs)); },
               "render exactly these positions, in this order")
            ->type_name("MS,MS,..."),
        intOption(app, "--warmup", o.warmupMs, 0, kLargestPositionMs,
                  "with --at: run the frames of the MS before each position first")
            ->type_name("MS"),
    };
    for (CLI::Option* option : positions) option->group(kPositions);
}

void declareOutputs(CLI::App& app, CaptureOptions& o) {
    const std::vector<CLI::Option*> outputs = {
        textOption(app, "--out", o.outDir, "folder for per-frame files; default ./capture")->type_name("DIR"),
        flag(app, "--frames", o.framePng, "FrameBuffer PNG per frame (frame-<ms>.png)"),
        flag(app, "--chars", o.charPng, "character picture PNG per frame (chars-<ms>.png)"),
        flag(app, "--ansi", o.ansiText, "character picture as ANSI text (chars-<ms>.ans)"),
        flag(app, "--utf8", o.utf8Text, "character picture as UTF-8 text (chars-<ms>.txt)"),
        textOption(app, "--sheet", o.sheetFile, "contact sheet PNG: FrameBuffer and characters side by side")
            ->type_name("FILE"),
        intOption(app, "--sheet-every", o.sheetEveryMs, 1, kLargestPositionMs,
                  "one cell every MS of song; default 5000 (with --at: every frame)")
            ->type_name("MS"),
        intOption(app, "--sheet-columns", o.sheetColumns, 1, 64, "cells per row; default 4")->type_name("N"),
        intOption(app, "--sheet-width", o.sheetPictureWidth, 16, 1280,
                  "width of each picture in a cell; default 320")
            ->type_name("PX"),
        textOption(app, "--video", o.videoFile, "MP4 of the picture with the song (needs ffmpeg)")
            ->type_name("FILE"),
        app.add_option_function<std::string>(
               "--video-size",
               [&o](const std::string& text) {
                   refuseIfWrong(parseSize("--video-size", "WIDTHxHEIGHT", 64, 7680, text, o.videoWidth, o.videoHeight));
                   if (o.videoWidth % 2 || o.videoHeight % 2)
                       refuseValue("option --video-size needs even numbers (the video's colour is halved), not \"" +
                                   text + "\"");
               },
               "the video's size; the picture is scaled to fit, centred; default 640x400")
            ->type_name("WxH"),
        textOption(app, "--ffmpeg", o.ffmpegProgram, "the ffmpeg program to use; default ffmpeg")
            ->type_name("PROGRAM"),
        textOption(app, "--stats", o.statsFile,
                   "per-block statistics as .json or .csv, and a table on stdout")
            ->type_name("FILE"),
    };
    for (CLI::Option* option : outputs) option->group(kOutputs);
    flag(app, "--quiet", o.quiet, "no progress bar, engine messages or closing line; failures are still said")
        ->group(kOther);
    flag(app, "--verbose", o.verbose, "at the end, the time each stage took")->group(kOther);
    flag(app, "--single-thread", o.singleThread,
         "write the outputs on the show's own thread (slower; the same bytes)")
        ->group(kOther);
}

bool hasConsole(const DisplayRow& row) { return row.makeConsole != nullptr; }
bool showsImage(const DisplayRow& row) {
    return row.readBack == PictureReadBack::KittyImage || row.readBack == PictureReadBack::SixelImage;
}

// The names of the show's pictures that `take` picks, with pixels last
// where `withPixels`: "kitty, sixel and pixels".
std::string pictureNames(bool (*take)(const DisplayRow&), std::string_view word, bool withPixels) {
    std::vector<std::string_view> names;
    for (const DisplayRow& row : displayRows())
        if (take(row)) names.push_back(row.name);
    if (withPixels) names.push_back(kPixelsDisplay);
    return joinedWords(names, word);
}

std::string displayHelp() {
    const DisplayRow& classic = classicDisplay();
    return "the picture beside the FrameBuffer: " + std::string(classic.name) + " (default, " +
           std::string(classic.help) + "); " + pictureNames(hasConsole, "or", false) +
           " (what the show draws with that --display in the --terminal); " + std::string(kPixelsDisplay) +
           " (the frame itself, enlarged with crisp square pixels)";
}

void chooseDisplay(const std::string& name, CaptureOptions& o) {
    std::vector<std::string_view> names = displayNames();
    names.push_back(kPixelsDisplay);
    if (std::find(names.begin(), names.end(), name) == names.end()) refuseChoice("--display", name, names);
    o.display = name;
}

// The options of the picture beside the FrameBuffer, kept apart from the rest.
void declarePictures(CLI::App& app, CaptureOptions& o) {
    const std::vector<CLI::Option*> options = {
        app.add_option_function<std::string>(
               "--display",
               [&o](const std::string& name) { chooseDisplay(name, o); }, displayHelp())
            ->type_name("NAME"),
        app.add_option_function<std::string>(
               "--cells",
               [&o](const std::string& name) { o.cells = parseCellShape(name); },
               "truecolor cells: half (default), quadrant or sextant")
            ->type_name("SHAPE"),
        app.add_option_function<std::string>(
               "--terminal",
               [&o](const std::string& text) {
                   refuseIfWrong(parseSize("--terminal", "COLUMNSxROWS", 1, 1000, text, o.terminalColumns, o.terminalRows));
               },
               "the terminal the truecolor, kitty or sixel picture is fitted into; default 80x50")
            ->type_name("COLSxROWS"),
        app.add_option_function<std::string>(
               "--cell-size",
               [&o](const std::string& text) {
                   refuseIfWrong(parseSize("--cell-size", "WIDTHxHEIGHT", 1, 64, text, o.cellWidth, o.cellHeight));
               },
               "the terminal's cells in pixels, which shape the fit and the pictures; default 8x16")
            ->type_name("WxH"),
        flag(app, "--bytes", o.terminalBytes,
             "the exact bytes each frame of the truecolor, kitty or sixel picture sends the terminal "
             "(<display>-<ms>.bin; cat them to a terminal to replay)"),
    };
    for (CLI::Option* option : options) option->group(kPictures);
}

// Rules that involve more than one option.
std::string checkCombination(const CaptureOptions& o) {
    if (!o.writesPerFrameFiles() && o.sheetFile.empty() && o.videoFile.empty() &&
        o.statsFile.empty())
        return "nothing to do: choose at least one of --frames, --chars, --ansi, --utf8, --bytes, "
               "--sheet, --video, --stats";
    if (o.atMs.empty() && o.endMs < o.startMs)
        return "the end (" + std::to_string(o.endMs) + " ms) is before the start (" +
               std::to_string(o.startMs) + " ms)";
    if (!o.atMs.empty() && !o.videoFile.empty())
        return "--video needs a steady frame rate; use --start/--end instead of --at";
    const DisplayRow* row = o.displayRow();
    if (row && row->readBack == PictureReadBack::Cells && o.utf8Text)
        return "--utf8 has no colours to show the " + std::string(row->title) + " picture; use --ansi";
    if (!o.characters() && o.utf8Text)
        return "--utf8 is libcaca's characters as text; use --display " + std::string(kClassicDisplay);
    if ((!row || showsImage(*row)) && o.ansiText)
        return "--ansi is character cells as text; the " + pictureNames(showsImage, "and", true) +
               " pictures have none (try --bytes)";
    if (o.terminalBytes && !o.terminalPicture())
        return "--bytes saves what the " + pictureNames(hasConsole, "or", false) +
               " picture sends; choose one with --display";
    if (!o.statsFile.empty() && !o.statsFile.ends_with(".json") && !o.statsFile.ends_with(".csv"))
        return "--stats writes JSON or CSV: the file name must end in .json or .csv";
    return {};
}

}  // namespace

ParseResult parseOptions(const std::vector<std::string>& args) {
    ParseResult result;
    CLI::App app{"Renders the show offline, on a manual clock, to pictures, text, video and\n"
                 "statistics.",
                 "vesper-capture"};
    app.get_formatter()->column_width(26);
    app.set_version_flag("--version", "vesper-capture " VG_VERSION);
    declarePositions(app, result.options);
    declareOutputs(app, result.options);
    declarePictures(app, result.options);
    for (CLI::Option* option : app.get_options())
        option->multi_option_policy(CLI::MultiOptionPolicy::TakeLast);
    const CommandLineOutcome outcome = parseCommandLine(app, args);
    result.print = outcome.print;
    result.error = outcome.error;
    if (result.ok() && result.print.empty()) result.error = checkCombination(result.options);
    return result;
}

std::vector<int> framePositions(const CaptureOptions& options) {
    if (!options.atMs.empty()) return options.atMs;
    std::vector<int> positions;
    const std::int64_t span = static_cast<std::int64_t>(options.endMs) - options.startMs;
    for (std::int64_t i = 0;; ++i) {
        const std::int64_t offset = i * 1000 / options.fps;
        if (offset > span) break;
        positions.push_back(options.startMs + static_cast<int>(offset));
    }
    return positions;
}

std::string usageHint() { return "Try 'vesper-capture --help' for the options."; }
