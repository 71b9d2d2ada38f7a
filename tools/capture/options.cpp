#include "tools/capture/options.h"

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
const char* const kTruecolor = "Truecolor picture";

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
        textOption(app, "--video", o.videoFile, "MP4 of the character picture with the song (needs ffmpeg)")
            ->type_name("FILE"),
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

std::string parseTerminalSize(const std::string& text, int& columns, int& rows) {
    const std::size_t x = text.find('x');
    const std::string wrong = "option --terminal needs COLUMNSxROWS from 1x1 to 1000x1000, not \"" + text + "\"";
    if (x == std::string::npos) return wrong;
    int c = 0, r = 0;
    if (!parseWholeNumber("--terminal", text.substr(0, x), 1, 1000, c).empty() ||
        !parseWholeNumber("--terminal", text.substr(x + 1), 1, 1000, r).empty())
        return wrong;
    columns = c;
    rows = r;
    return {};
}

// The truecolor picture's options, kept apart from the rest.
void declareTruecolor(CLI::App& app, CaptureOptions& o) {
    const std::vector<CLI::Option*> options = {
        app.add_option_function<std::string>(
               "--display",
               [&o](const std::string& name) {
                   o.truecolor = chooseValue<bool>("--display", name, {{"caca", false}, {"truecolor", true}});
               },
               "the picture beside the FrameBuffer: caca (default, libcaca's characters) or "
               "truecolor (24-bit colour cells as the show draws them with --display truecolor)")
            ->type_name("NAME"),
        app.add_option_function<std::string>(
               "--cells",
               [&o](const std::string& name) { o.cells = parseCellShape(name); },
               "truecolor cells: half (default), quadrant or sextant")
            ->type_name("SHAPE"),
        app.add_option_function<std::string>(
               "--terminal",
               [&o](const std::string& text) {
                   refuseIfWrong(parseTerminalSize(text, o.terminalColumns, o.terminalRows));
               },
               "the terminal the truecolor picture is fitted into; default 80x50")
            ->type_name("COLSxROWS"),
    };
    for (CLI::Option* option : options) option->group(kTruecolor);
}

// Rules that involve more than one option.
std::string checkCombination(const CaptureOptions& o) {
    if (!o.writesPerFrameFiles() && o.sheetFile.empty() && o.videoFile.empty() &&
        o.statsFile.empty())
        return "nothing to do: choose at least one of --frames, --chars, --ansi, --utf8, "
               "--sheet, --video, --stats";
    if (o.atMs.empty() && o.endMs < o.startMs)
        return "the end (" + std::to_string(o.endMs) + " ms) is before the start (" +
               std::to_string(o.startMs) + " ms)";
    if (!o.atMs.empty() && !o.videoFile.empty())
        return "--video needs a steady frame rate; use --start/--end instead of --at";
    if (o.truecolor && o.utf8Text)
        return "--utf8 has no colours to show the truecolor picture; use --ansi";
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
    declareTruecolor(app, result.options);
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
