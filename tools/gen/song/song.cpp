// The song: score -> synthesiser mix -> loudness and true-peak limiting ->
// Ogg Vorbis -> checked again on the decoded file, as the show will hear it.
#include <chrono>
#include <cmath>
#include <cstdio>
#include <fstream>
#include <string>

#include "tools/gen/generator.h"
#include "tools/gen/song/song_calibration.h"
#include "tools/gen/song/song_limiter.h"
#include "tools/gen/song/song_mix.h"
#include "tools/gen/song/song_ogg.h"
#include "tools/gen/song/song_score.h"
#include "tools/song_analysis/song_decode.h"
#include "tools/song_analysis/song_loudness.h"
#include "tools/song_analysis/song_novelty.h"

namespace {

// Decoded true peak must stay at or under this (dBTP).
constexpr double kTruePeakLimit = -1.0;
// Headroom kept below that limit: other meters and decoders rebuild the
// waveform a little differently (ffmpeg's reads about 0.2 dB higher).
constexpr double kTruePeakMargin = 0.3;
constexpr int kMasteringAttempts = 4;
// Quiet passages against loud ones: below this the song sounds flat.
constexpr double kMinLoudnessRange = 6.0;

class Progress {
public:
    void operator()(const std::string& step) const {
        const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start_).count();
        std::printf("song: %5.1f s  %s\n", seconds, step.c_str());
        std::fflush(stdout);
    }

private:
    std::chrono::steady_clock::time_point start_ = std::chrono::steady_clock::now();
};

float fromDecibels(double decibels) { return static_cast<float>(std::pow(10.0, decibels / 20.0)); }

SongAudio scaled(const SongAudio& audio, float gain) {
    SongAudio result = audio;
    for (long i = 0; i < result.frames(); ++i) {
        result.left[i] *= gain;
        result.right[i] *= gain;
    }
    return result;
}

// Brings the mix to the target loudness under the ceiling: the limiter
// takes some loudness away, so the gain is corrected by what it took.
bool master(const SongAudio& mix, double targetLufs, double ceilingDb, SongAudio& out, const Progress& progress,
            std::string& error) {
    SongLoudness loudness;
    if (!measureLoudness(mix, false, loudness, error)) return false;
    double gainDb = targetLufs - loudness.integratedLufs;
    LimiterSettings settings;
    settings.ceiling = fromDecibels(ceilingDb);
    for (int round = 0; round < 3; ++round) {
        out = scaled(mix, fromDecibels(gainDb));
        limitTruePeak(out.left, out.right, settings);
        if (!measureLoudness(out, false, loudness, error)) return false;
        char line[120];
        std::snprintf(line, sizeof line, "mastered: gain %+.2f dB, ceiling %.2f dBTP -> %.2f LUFS", gainDb, ceilingDb,
                      loudness.integratedLufs);
        progress(line);
        const double miss = targetLufs - loudness.integratedLufs;
        if (std::fabs(miss) < 0.1) break;
        gainDb += miss;
    }
    return true;
}

bool writeFile(const std::string& path, const std::vector<unsigned char>& bytes, std::string& error) {
    std::ofstream file(path, std::ios::binary | std::ios::trunc);
    file.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
    if (!file) {
        error = "cannot write " + path;
        return false;
    }
    return true;
}

bool makeSong(const std::string& dataDir, const std::string& resourcesDir, const Progress& progress,
              std::string& error) {
    SongScore score;
    if (!loadScore(dataDir + "/score.txt", score, error)) return false;
    progress("score read: " + std::to_string(score.instruments.size()) + " instruments, " +
             std::to_string(score.sections.size()) + " sections");
    const SongAudio mix = mixSong(score, progress);

    double ceilingDb = score.master.at("ceiling");
    const double targetLufs = score.master.at("loudness");
    std::vector<unsigned char> bytes;
    DecodedSong decoded;
    SongLoudness loudness;
    for (int attempt = 0; attempt < kMasteringAttempts; ++attempt) {
        SongAudio mastered;
        if (!master(mix, targetLufs, ceilingDb, mastered, progress, error)) return false;
        if (!encodeOgg(mastered, score.master.at("quality"), bytes, error)) return false;
        progress("encoded: " + std::to_string(bytes.size() / 1024) + " KiB");
        if (!decodeOgg(bytes, decoded, error) || !measureLoudness(decoded, true, loudness, error)) return false;
        char line[160];
        std::snprintf(line, sizeof line,
                      "decoded: %.2f LUFS, range %.1f LU, true peak %.2f dBTP, sample peak %.4f, %ld clipped",
                      loudness.integratedLufs, loudness.loudnessRangeLu, loudness.truePeakDbtp, loudness.samplePeak,
                      loudness.clippedSamples);
        progress(line);
        // The encoder's own ringing can lift the peaks; pull the ceiling down
        // by what it added and try again.
        const double over = loudness.truePeakDbtp - (kTruePeakLimit - kTruePeakMargin);
        if (over <= 0.0 && loudness.clippedSamples == 0) break;
        ceilingDb -= std::max(over, 0.1) + 0.05;
    }
    if (!writeFile(resourcesDir + "/kelmuth.ogg", bytes, error)) return false;

    bool calibrated = false, formed = false;
    const std::vector<float> mono = monoMix(decoded.samples, decoded.channels);
    const std::string report = calibrationReport(mono, decoded.rate, calibrated);
    const std::string form = noveltyReport(findNoveltyPeaks(measureNovelty(mono, decoded.rate)), formed);
    std::printf("%s%s", report.c_str(), form.c_str());
    progress(calibrated ? "kelmuth.ogg written, beat table holds" : "kelmuth.ogg written; WARNING: beat table misses");
    if (!formed) progress("WARNING: a scene change has no change in the song near it");
    if (loudness.truePeakDbtp > kTruePeakLimit || std::fabs(loudness.integratedLufs - targetLufs) > 1.0 ||
        loudness.loudnessRangeLu < kMinLoudnessRange)
        progress("WARNING: loudness, loudness range or true peak outside the target");
    return true;
}

}  // namespace

bool generateSong(const std::string& dataDir, const std::string& resourcesDir) {
    const Progress progress;
    std::string error;
    if (!makeSong(dataDir, resourcesDir, progress, error)) {
        std::fprintf(stderr, "song: %s\n", error.c_str());
        return false;
    }
    return true;
}
