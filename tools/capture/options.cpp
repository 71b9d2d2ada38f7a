#include "tools/capture/options.h"

#include <charconv>
#include <climits>
#include <cstdint>
#include <functional>
#include <map>
#include <set>

namespace {

// Song positions beyond this could not be told apart from overflowed ones.
constexpr int kLargestPositionMs = INT_MAX / 2;

bool parseInt(const std::string& text, int& value) {
    const char* first = text.data();
    const char* last = first + text.size();
    if (first != last && *first == '+') ++first;
    auto [end, ec] = std::from_chars(first, last, value);
    return ec == std::errc() && end == last && first != last;
}

std::string parseIntIn(const std::string& name, const std::string& text, int low, int high,
                       int& value) {
    if (!parseInt(text, value))
        return "option " + name + " needs a whole number, not \"" + text + "\"";
    if (value < low || value > high)
        return "option " + name + " must be between " + std::to_string(low) + " and " +
               std::to_string(high) + ", not " + text;
    return {};
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
        std::string error = parseIntIn("--at", item, 0, kLargestPositionMs, ms);
        if (!error.empty()) return error;
        if (!seen.insert(ms).second) return "option --at names position " + item + " twice";
        positions.push_back(ms);
        begin = comma + 1;
    }
    return {};
}

using ValueSetter = std::function<std::string(CaptureOptions&, const std::string&)>;
using FlagSetter = std::function<void(CaptureOptions&)>;

ValueSetter intSetter(const std::string& name, int CaptureOptions::*field, int low, int high) {
    return [=](CaptureOptions& o, const std::string& v) {
        return parseIntIn(name, v, low, high, o.*field);
    };
}

ValueSetter textSetter(const std::string& name, std::string CaptureOptions::*field) {
    return [=](CaptureOptions& o, const std::string& v) -> std::string {
        if (v.empty()) return "option " + name + " needs a non-empty value";
        o.*field = v;
        return {};
    };
}

const std::map<std::string, ValueSetter>& valueOptions() {
    static const std::map<std::string, ValueSetter> table = {
        {"--show-dir", textSetter("--show-dir", &CaptureOptions::showDir)},
        {"--start", intSetter("--start", &CaptureOptions::startMs, 0, kLargestPositionMs)},
        {"--end", intSetter("--end", &CaptureOptions::endMs, 0, kLargestPositionMs)},
        {"--fps", intSetter("--fps", &CaptureOptions::fps, 1, 1000)},
        {"--at",
         [](CaptureOptions& o, const std::string& v) { return parsePositionList(v, o.atMs); }},
        {"--warmup", intSetter("--warmup", &CaptureOptions::warmupMs, 0, kLargestPositionMs)},
        {"--out", textSetter("--out", &CaptureOptions::outDir)},
        {"--sheet", textSetter("--sheet", &CaptureOptions::sheetFile)},
        {"--sheet-every",
         intSetter("--sheet-every", &CaptureOptions::sheetEveryMs, 1, kLargestPositionMs)},
        {"--sheet-columns", intSetter("--sheet-columns", &CaptureOptions::sheetColumns, 1, 64)},
        {"--sheet-width", intSetter("--sheet-width", &CaptureOptions::sheetPictureWidth, 16, 1280)},
        {"--video", textSetter("--video", &CaptureOptions::videoFile)},
        {"--ffmpeg", textSetter("--ffmpeg", &CaptureOptions::ffmpegProgram)},
        {"--stats", textSetter("--stats", &CaptureOptions::statsFile)},
    };
    return table;
}

const std::map<std::string, FlagSetter>& flagOptions() {
    static const std::map<std::string, FlagSetter> table = {
        {"--frames", [](CaptureOptions& o) { o.framePng = true; }},
        {"--chars", [](CaptureOptions& o) { o.charPng = true; }},
        {"--ansi", [](CaptureOptions& o) { o.ansiText = true; }},
        {"--utf8", [](CaptureOptions& o) { o.utf8Text = true; }},
        {"--quiet", [](CaptureOptions& o) { o.quiet = true; }},
        {"--help", [](CaptureOptions& o) { o.help = true; }},
        {"-h", [](CaptureOptions& o) { o.help = true; }},
    };
    return table;
}

bool endsWith(const std::string& text, const std::string& suffix) {
    return text.size() >= suffix.size() &&
           text.compare(text.size() - suffix.size(), suffix.size(), suffix) == 0;
}

// Rules that involve more than one option.
std::string checkCombination(const CaptureOptions& o) {
    if (o.help) return {};
    if (!o.writesPerFrameFiles() && o.sheetFile.empty() && o.videoFile.empty() &&
        o.statsFile.empty())
        return "nothing to do: choose at least one of --frames, --chars, --ansi, --utf8, "
               "--sheet, --video, --stats";
    if (o.atMs.empty() && o.endMs < o.startMs)
        return "the end (" + std::to_string(o.endMs) + " ms) is before the start (" +
               std::to_string(o.startMs) + " ms)";
    if (!o.atMs.empty() && !o.videoFile.empty())
        return "--video needs a steady frame rate; use --start/--end instead of --at";
    if (!o.statsFile.empty() && !endsWith(o.statsFile, ".json") && !endsWith(o.statsFile, ".csv"))
        return "--stats writes JSON or CSV: the file name must end in .json or .csv";
    return {};
}

}  // namespace

ParseResult parseOptions(const std::vector<std::string>& args) {
    ParseResult result;
    for (std::size_t i = 0; i < args.size(); ++i) {
        std::string name = args[i];
        std::optional<std::string> inlineValue;
        if (const std::size_t eq = name.find('=');
            name.starts_with("--") && eq != std::string::npos) {
            inlineValue = name.substr(eq + 1);
            name = name.substr(0, eq);
        }
        if (auto flag = flagOptions().find(name); flag != flagOptions().end()) {
            if (inlineValue) {
                result.error = "option " + name + " takes no value";
                return result;
            }
            flag->second(result.options);
            continue;
        }
        auto setter = valueOptions().find(name);
        if (setter == valueOptions().end()) {
            result.error = "unknown option \"" + args[i] + "\" (see --help)";
            return result;
        }
        if (!inlineValue && i + 1 >= args.size()) {
            result.error = "option " + name + " needs a value";
            return result;
        }
        const std::string value = inlineValue ? *inlineValue : args[++i];
        result.error = setter->second(result.options, value);
        if (!result.ok()) return result;
    }
    result.error = checkCombination(result.options);
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

std::string usageText() {
    return R"(Usage: vesper-capture [options]
Renders the show offline, on a manual clock, to pictures, text, video and statistics.

Positions
  --show-dir DIR       the show's working directory (resources/, meshes); default .
  --start MS           first position of a range; default 0
  --end MS             last position of a range (inclusive); default 333000
  --fps N              frames per second of a range; default 60
  --at MS,MS,...       render exactly these positions, in this order
  --warmup MS          with --at: run the frames of the MS before each position first

Outputs (at least one)
  --out DIR            folder for per-frame files; default ./capture
  --frames             FrameBuffer PNG per frame (frame-<ms>.png)
  --chars              character picture PNG per frame (chars-<ms>.png)
  --ansi, --utf8       character picture as text (chars-<ms>.ans / .txt)
  --sheet FILE         contact sheet PNG: FrameBuffer and characters side by side
  --sheet-every MS     one cell every MS of song; default 5000 (with --at: every frame)
  --sheet-columns N    cells per row; default 4
  --sheet-width PX     width of each picture in a cell; default 320
  --video FILE         MP4 of the character picture with the song (needs ffmpeg)
  --ffmpeg PROGRAM     the ffmpeg program to use; default ffmpeg
  --stats FILE         per-block statistics as .json or .csv, and a table on stdout

  --quiet              no progress bar
  --help               this text
)";
}
