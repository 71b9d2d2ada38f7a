#include "tools/capture/stats_report.h"

#include <cmath>
#include <cstdio>
#include <string_view>

namespace {

std::string format(const char* pattern, double value) {
    char text[64];
    std::snprintf(text, sizeof text, pattern, value);
    return text;
}

std::string thresholdName(std::size_t t) { return format("%.2g", kBeatThresholds[t]); }

struct BlockText {
    std::string start, end, scene;
};

BlockText describe(const StatsReport& report, const BlockStats& stats) {
    if (stats.block < 0) return {"-", "-", "(no effect)"};
    const ScheduleBlock& block = report.blocks[stats.block];
    return {std::to_string(block.start), std::to_string(block.end), report.rows[block.scene].label};
}

std::string jsonString(std::string_view text) {
    std::string out = "\"";
    for (char c : text) {
        if (c == '"' || c == '\\') out += '\\';
        if (static_cast<unsigned char>(c) < 0x20) {
            out += format("\\u%04x", static_cast<unsigned char>(c));
            continue;
        }
        out += c;
    }
    return out + "\"";
}

std::string jsonRows(const StatsReport& report, const BlockStats& stats) {
    if (stats.block < 0) return "[]";
    std::string out = "[";
    for (int row : report.blocks[stats.block].rows) {
        if (out.size() > 1) out += ", ";
        out += jsonString(report.rows[row].label);
    }
    return out + "]";
}

std::string jsonCost(const CostSummary& cost) {
    return "{\"median\": " + format("%.1f", cost.median) +
           ", \"p99\": " + format("%.1f", cost.p99) + "}";
}

// Picture figures: black share in percent, structure kept as a correlation;
// a block whose frames were all flat has no structure figure.
std::string structureText(const BlockStats& s, const char* none) {
    return std::isnan(s.structure) ? std::string(none) : format("%.3f", s.structure);
}

std::string jsonPicture(const BlockStats& s) {
    return "{\"black_share\": " + format("%.4f", s.blackShare) +
           ", \"structure_kept\": " + structureText(s, "null") +
           ", \"structure_frames\": " + std::to_string(s.structureFrames) + "}";
}

std::vector<std::string> pictureHeader() { return {"black_share", "structure_kept"}; }

std::vector<std::string> pictureFields(const BlockStats& s) {
    return {format("%.4f", s.blackShare), structureText(s, "")};
}

std::vector<std::string> pictureTableHeader() { return {"black %", "structure"}; }

std::vector<std::string> pictureTableFields(const BlockStats& s) {
    return {format("%.1f", 100.0 * s.blackShare), structureText(s, "-")};
}

// The terminal picture's figures: bytes a frame sends and the picture's
// error, absent for displays without them.
std::string bytesText(double bytes, const BlockStats& s, const char* none) {
    return s.bytesFrames > 0 ? format("%.0f", bytes) : std::string(none);
}

std::string errorText(const BlockStats& s, const char* none) {
    return std::isnan(s.pictureError) ? std::string(none) : format("%.4f", s.pictureError);
}

std::string jsonTerminal(const BlockStats& s) {
    const std::string bytes = s.bytesFrames > 0 ? "{\"median\": " + bytesText(s.bytes.median, s, "") +
                                                      ", \"p99\": " + bytesText(s.bytes.p99, s, "") + "}"
                                                : std::string("null");
    return "\"terminal_bytes\": " + bytes + ", \"picture_error\": " + errorText(s, "null");
}

// Flashes as a viewer counts them: two transitions make one.
std::string flashesText(int transitions) { return format("%.1f", transitions / 2.0); }

std::string minutesSeconds(int seconds) {
    char text[16];
    std::snprintf(text, sizeof text, "%d:%02d", seconds / 60, seconds % 60);
    return text;
}

// The failing seconds as spans of the song: "0:49-0:52, 1:35" (a span
// from the start of its first second to the end of its last).
std::string failingSpans(const std::vector<int>& seconds) {
    std::string out;
    for (std::size_t i = 0; i < seconds.size();) {
        std::size_t last = i;
        while (last + 1 < seconds.size() && seconds[last + 1] == seconds[last] + 1) ++last;
        if (!out.empty()) out += ", ";
        out += minutesSeconds(seconds[i]);
        if (last > i) out.append("-").append(minutesSeconds(seconds[last] + 1));
        i = last + 1;
    }
    return out;
}

std::string jsonFlashes(const FlashSummary& f) {
    return "{\"failing_seconds\": " + std::to_string(f.failingSeconds.size()) +
           ", \"failing_spans\": " + jsonString(failingSpans(f.failingSeconds)) +
           ", \"most_general\": " + flashesText(f.mostGeneral) +
           ", \"most_general_at_ms\": " + std::to_string(f.mostGeneralMs) +
           ", \"most_red\": " + flashesText(f.mostRed) +
           ", \"most_red_at_ms\": " + std::to_string(f.mostRedMs) + "}";
}

std::vector<std::string> terminalHeader() {
    return {"bytes_median", "bytes_p99", "picture_error", "flash_failing_seconds",
            "flash_failing_spans", "most_general_flashes", "most_general_at_ms",
            "most_red_flashes", "most_red_at_ms"};
}

std::vector<std::string> terminalFields(const BlockStats& s) {
    const FlashSummary& f = s.flashes;
    return {bytesText(s.bytes.median, s, ""), bytesText(s.bytes.p99, s, ""), errorText(s, ""),
            std::to_string(f.failingSeconds.size()), failingSpans(f.failingSeconds),
            flashesText(f.mostGeneral),
            std::to_string(f.mostGeneralMs), flashesText(f.mostRed), std::to_string(f.mostRedMs)};
}

std::vector<std::string> terminalTableHeader() {
    return {"bytes med", "error", "flash s", "flashes", "red"};
}

std::vector<std::string> terminalTableFields(const BlockStats& s) {
    return {bytesText(s.bytes.median, s, "-"), errorText(s, "-"),
            std::to_string(s.flashes.failingSeconds.size()), flashesText(s.flashes.mostGeneral),
            flashesText(s.flashes.mostRed)};
}

// The scenes where the picture flashes more than three times in a second,
// with when: what a warning for viewers must name.
std::string flashLines(const StatsReport& report) {
    std::string out;
    for (const BlockStats& s : report.stats) {
        const FlashSummary& f = s.flashes;
        if (f.failingSeconds.empty()) continue;
        out += "  " + describe(report, s).scene + " " + failingSpans(f.failingSeconds) + ": " +
               std::to_string(f.failingSeconds.size()) + " failing seconds, at most " +
               flashesText(f.mostGeneral) + " flashes a second (" + flashesText(f.mostRed) +
               " red)\n";
    }
    if (out.empty()) return "Flashes: no second has more than three over a quarter of the picture\n";
    return "Flashes: seconds with more than three over a quarter of the picture, by scene:\n" + out;
}

// Fields with a comma or a quote are quoted, quotes doubled.
std::string csvLine(const std::vector<std::string>& fields) {
    std::string out;
    for (std::size_t i = 0; i < fields.size(); ++i) {
        if (i) out += ',';
        if (fields[i].find_first_of(",\"\n") == std::string::npos) {
            out += fields[i];
            continue;
        }
        out += '"';
        for (char c : fields[i]) {
            if (c == '"') out += '"';
            out += c;
        }
        out += '"';
    }
    out += '\n';
    return out;
}

std::string padLeft(const std::string& text, std::size_t width) {
    return text.size() >= width ? text : std::string(width - text.size(), ' ') + text;
}

std::string padRight(const std::string& text, std::size_t width) {
    return text.size() >= width ? text : text + std::string(width - text.size(), ' ');
}

}  // namespace

std::string statsJson(const StatsReport& report) {
    std::string out = "{\n  \"positions\": " + jsonString(report.positions) +
                      ",\n  \"frames\": " + std::to_string(report.frames) +
                      ",\n  \"beat_thresholds\": [";
    for (std::size_t t = 0; t < kBeatThresholds.size(); ++t)
        out += (t ? ", " : "") + thresholdName(t);
    out += "],\n  \"cost_unit\": \"microseconds\",\n  \"blocks\": [";
    for (std::size_t i = 0; i < report.stats.size(); ++i) {
        const BlockStats& s = report.stats[i];
        const BlockText text = describe(report, s);
        out += i ? ",\n    {" : "\n    {";
        out += "\"start\": " + (s.block < 0 ? std::string("null") : text.start);
        out += ", \"end\": " + (s.block < 0 ? std::string("null") : text.end);
        out += ", \"scene\": " + jsonString(text.scene);
        out += ", \"effects\": " + jsonRows(report, s);
        out += ", \"frames\": " + std::to_string(s.frames);
        out += ", \"framebuffer_luminance\": " + format("%.2f", s.frameLuminance);
        out += ", \"character_luminance\": " + format("%.2f", s.characterLuminance);
        out += ", \"frames_over_threshold\": {";
        for (std::size_t t = 0; t < kBeatThresholds.size(); ++t)
            out +=
                (t ? ", " : "") + jsonString(thresholdName(t)) + ": " + std::to_string(s.beats[t]);
        out += "}, \"effects_cost\": " + jsonCost(s.effects);
        out += ", \"dither_cost\": " + jsonCost(s.dither);
        out += ", \"frame_cost\": " + jsonCost(s.wholeFrame);
        out += ", \"picture\": " + jsonPicture(s);
        out += ", " + jsonTerminal(s) + ", \"flashes\": " + jsonFlashes(s.flashes) + "}";
    }
    return out + "\n  ],\n  \"song\": " + songJson(report.song) + "\n}\n";
}

std::string statsCsv(const StatsReport& report) {
    std::vector<std::string> header = {
        "start", "end", "scene", "frames", "framebuffer_luminance", "character_luminance"};
    for (std::size_t t = 0; t < kBeatThresholds.size(); ++t)
        header.push_back(std::string("over_").append(thresholdName(t)));
    for (const char* name :
         {"effects_median_us", "effects_p99_us", "dither_median_us", "dither_p99_us",
          "frame_median_us", "frame_p99_us"})
        header.push_back(name);
    for (const std::string& name : pictureHeader()) header.push_back(name);
    for (const std::string& name : terminalHeader()) header.push_back(name);
    std::string out = csvLine(header);
    for (const BlockStats& s : report.stats) {
        const BlockText text = describe(report, s);
        std::vector<std::string> fields;
        fields.push_back(s.block < 0 ? std::string() : text.start);
        fields.push_back(s.block < 0 ? std::string() : text.end);
        fields.push_back(text.scene);
        fields.push_back(std::to_string(s.frames));
        fields.push_back(format("%.2f", s.frameLuminance));
        fields.push_back(format("%.2f", s.characterLuminance));
        for (int count : s.beats) fields.push_back(std::to_string(count));
        for (double cost : {s.effects.median, s.effects.p99, s.dither.median, s.dither.p99,
                            s.wholeFrame.median, s.wholeFrame.p99})
            fields.push_back(format("%.1f", cost));
        for (const std::string& field : pictureFields(s)) fields.push_back(field);
        for (const std::string& field : terminalFields(s)) fields.push_back(field);
        out += csvLine(fields);
    }
    if (report.song.measured) out += "\n" + songCsv(report.song);
    return out;
}

std::string statsTable(const StatsReport& report) {
    std::vector<std::vector<std::string>> lines;
    std::vector<std::string> header = {"block ms", "scene", "frames", "FB luma", "char luma"};
    for (std::size_t t = 0; t < kBeatThresholds.size(); ++t)
        header.push_back(std::string(">").append(thresholdName(t)));
    for (const char* name : {"fx med us", "fx p99 us", "dither med", "dither p99", "frame p99"})
        header.push_back(name);
    for (const std::string& name : pictureTableHeader()) header.push_back(name);
    for (const std::string& name : terminalTableHeader()) header.push_back(name);
    lines.push_back(header);
    for (const BlockStats& s : report.stats) {
        const BlockText text = describe(report, s);
        std::vector<std::string> line = {
            s.block < 0 ? std::string("-") : text.start + "-" + text.end, text.scene,
            std::to_string(s.frames), format("%.1f", s.frameLuminance),
            format("%.1f", s.characterLuminance)};
        for (int count : s.beats) line.push_back(std::to_string(count));
        for (double cost :
             {s.effects.median, s.effects.p99, s.dither.median, s.dither.p99, s.wholeFrame.p99})
            line.push_back(format("%.0f", cost));
        for (const std::string& field : pictureTableFields(s)) line.push_back(field);
        for (const std::string& field : terminalTableFields(s)) line.push_back(field);
        lines.push_back(line);
    }
    std::vector<std::size_t> widths(header.size(), 0);
    for (const auto& line : lines)
        for (std::size_t c = 0; c < line.size(); ++c)
            widths[c] = std::max(widths[c], line[c].size());
    std::string out = "Statistics over " + std::to_string(report.frames) + " frames (" +
                      report.positions + "); cost in microseconds per frame\n";
    for (const auto& line : lines) {
        for (std::size_t c = 0; c < line.size(); ++c) {
            // Text columns read left to right, numbers line up on the right.
            out += c < 2 ? padRight(line[c], widths[c]) : padLeft(line[c], widths[c]);
            out += c + 1 < line.size() ? "  " : "\n";
        }
    }
    return out + flashLines(report) + songTable(report.song);
}
