#include "tools/capture/stats_song.h"

#include <cstdio>

#include "tools/song_analysis/song_audio.h"
#include "tools/song_analysis/song_decode.h"
#include "tools/song_analysis/song_loudness.h"

namespace {

std::string number(const char* pattern, double value) {
    char text[64];
    std::snprintf(text, sizeof text, pattern, value);
    return text;
}

}  // namespace

SongFigures measureSongFigures(const std::string& path, const std::vector<unsigned long>& sceneChangesMs) {
    SongFigures figures;
    DecodedSong song;
    SongLoudness loudness;
    if (!decodeOggFile(path, song, figures.problem) || !measureLoudness(song, true, loudness, figures.problem))
        return figures;
    figures.measured = true;
    figures.integratedLufs = loudness.integratedLufs;
    figures.loudnessRangeLu = loudness.loudnessRangeLu;
    figures.truePeakDbtp = loudness.truePeakDbtp;
    figures.peaks = findNoveltyPeaks(measureNovelty(monoMix(song.samples, song.channels), song.rate));
    std::vector<double> changes;
    for (unsigned long ms : sceneChangesMs) changes.push_back(static_cast<double>(ms) / 1000.0);
    figures.boundaries = matchBoundaries(figures.peaks, changes);
    return figures;
}

std::string songJson(const SongFigures& song) {
    if (!song.measured) return "null";
    std::string out = "{\"integrated_lufs\": " + number("%.2f", song.integratedLufs) +
                      ", \"loudness_range_lu\": " + number("%.2f", song.loudnessRangeLu) +
                      ", \"true_peak_dbtp\": " + number("%.2f", song.truePeakDbtp) + ", \"novelty_peaks_s\": [";
    for (std::size_t i = 0; i < song.peaks.size(); ++i) out += (i ? ", " : "") + number("%.2f", song.peaks[i].seconds);
    out += "], \"scene_changes\": [";
    for (std::size_t i = 0; i < song.boundaries.size(); ++i) {
        const BoundaryMatch& b = song.boundaries[i];
        out += i ? ", " : "";
        out += "{\"at_s\": " + number("%.3f", b.boundarySeconds);
        out += ", \"nearest_peak_s\": " + (b.found ? number("%.2f", b.peakSeconds) : std::string("null"));
        out += ", \"within_tolerance\": " + std::string(b.within() ? "true" : "false") + "}";
    }
    return out + "]}";
}

std::string songCsv(const SongFigures& song) {
    if (!song.measured) return {};
    std::string out = "song_figure,value\n";
    out += "integrated_lufs," + number("%.2f", song.integratedLufs) + "\n";
    out += "loudness_range_lu," + number("%.2f", song.loudnessRangeLu) + "\n";
    out += "true_peak_dbtp," + number("%.2f", song.truePeakDbtp) + "\n";
    for (const BoundaryMatch& b : song.boundaries)
        out += "nearest_peak_to_" + number("%.3f", b.boundarySeconds) + "_s," +
               (b.found ? number("%.2f", b.peakSeconds) : std::string()) + "\n";
    return out;
}

std::string songTable(const SongFigures& song) {
    if (!song.measured) return song.problem.empty() ? std::string() : "Song: not measured (" + song.problem + ")\n";
    std::string out = "Song: " + number("%.2f LUFS integrated", song.integratedLufs) + ", " +
                      number("loudness range %.1f LU", song.loudnessRangeLu) + ", " +
                      number("true peak %.2f dBTP", song.truePeakDbtp) + "\n";
    int held = 0;
    for (const BoundaryMatch& b : song.boundaries) {
        held += b.within() ? 1 : 0;
        out += "  scene change " + number("%7.2f s: ", b.boundarySeconds) +
               (b.found ? number("nearest novelty peak %7.2f s", b.peakSeconds) +
                              number(" (%+.2f s)", b.peakSeconds - b.boundarySeconds)
                        : std::string("no novelty peak")) +
               (b.within() ? "" : "  far") + "\n";
    }
    out += "  " + std::to_string(held) + " of " + std::to_string(song.boundaries.size()) +
           number(" scene changes have a change in the song within %.1f s\n", kBoundaryToleranceSeconds);
    return out;
}
