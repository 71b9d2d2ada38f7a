// The generated song as the show will hear it: format, length, loudness and
// its range, the beat table the effects are tuned against, the finale's held
// energy, and a change in the song at every scene change of the picture.
#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>
#include <string>
#include <utility>

#include "driver/schedule.h"
#include "tests/support/build_paths.h"
#include "tools/gen/song/song_calibration.h"
#include "tools/gen/song/song_ogg.h"
#include "tools/song_analysis/song_audio.h"
#include "tools/song_analysis/song_decode.h"
#include "tools/song_analysis/song_loudness.h"
#include "tools/song_analysis/song_novelty.h"

namespace {

const std::string kSongPath = build_paths::showDir() + "/resources/kelmuth.ogg";

// Decoding and measuring 336 s of audio takes a few seconds: do it once.
class GeneratedSong : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        if (!std::filesystem::exists(kSongPath)) return;
        std::string error;
        decodedOk_ = decodeOggFile(kSongPath, song_, error);
        if (!decodedOk_) return;
        const std::vector<float> mono = monoMix(song_.samples, song_.channels);
        sums_ = measureSpectrumSums(mono, song_.rate);
        for (const SpectrumSampling& sampling : slowFrameSamplings())
            slowSums_.push_back(measureSpectrumSums(mono, song_.rate, sampling));
        novelty_ = measureNovelty(mono, song_.rate);
    }

    void SetUp() override {
        ASSERT_TRUE(std::filesystem::exists(kSongPath))
            << kSongPath << " does not exist: generate the show's content first "
            << "(cmake --build <build dir> --target content)";
        ASSERT_TRUE(decodedOk_) << kSongPath << " does not decode as Ogg Vorbis";
    }

    // Root mean square of the mono mix between two times.
    static double rms(double startSeconds, double endSeconds) {
        const long first = static_cast<long>(startSeconds * song_.rate), last = static_cast<long>(endSeconds * song_.rate);
        double sum = 0.0;
        for (long i = first; i < last; ++i) {
            const double mono = 0.5 * (song_.samples[2 * i] + song_.samples[2 * i + 1]);
            sum += mono * mono;
        }
        return std::sqrt(sum / static_cast<double>(last - first));
    }

    static inline DecodedSong song_;
    static inline bool decodedOk_ = false;
    static inline std::vector<float> sums_;
    static inline std::vector<std::vector<float>> slowSums_;  // one per slow sampling
    static inline NoveltyCurve novelty_;
};

TEST_F(GeneratedSong, IsStereoAt44100HzAndPlaysUntilTheShowEndsThenFades) {
    EXPECT_EQ(std::pair(song_.rate, song_.channels), std::pair(44100, 2));
    const double seconds = static_cast<double>(song_.frames()) / song_.rate;
    ASSERT_TRUE(seconds > 335.9 && seconds < 337.0) << seconds;
    const double beforeEnd = rms(330.0, 333.0);
    EXPECT_GT(beforeEnd, 0.01) << "the song is silent at the show's end";
    EXPECT_LT(rms(335.5, 335.9), 0.1 * beforeEnd) << "the song does not fade out after 333 s";
}

TEST_F(GeneratedSong, LoudnessRangeAndTruePeakMeetTheMasteringTarget) {
    SongLoudness loudness;
    std::string error;
    ASSERT_TRUE(measureLoudness(song_, true, loudness, error)) << error;
    EXPECT_NEAR(loudness.integratedLufs, -14.0, 1.0);
    EXPECT_LE(loudness.truePeakDbtp, -1.0);
    EXPECT_EQ(loudness.clippedSamples, 0);
    // Quiet passages against loud ones, not one flat level.
    EXPECT_GE(loudness.loudnessRangeLu, 6.0);
}

TEST_F(GeneratedSong, ChangesWhereverThePictureChangesScene) {
    const std::vector<NoveltyPeak> peaks = findNoveltyPeaks(novelty_);
    for (const BoundaryMatch& match : matchBoundaries(peaks, sceneChangeSeconds())) {
        SCOPED_TRACE("scene change at " + std::to_string(match.boundarySeconds) + " s");
        ASSERT_TRUE(match.found);
        EXPECT_LE(match.distanceSeconds, kBoundaryToleranceSeconds) << "nearest peak " << match.peakSeconds << " s";
    }
    // The song changes within its sections too, but not all the time.
    EXPECT_LE(peaks.size(), 4 * sceneChangeSeconds().size());
}

TEST_F(GeneratedSong, SceneChangesAreTheSchedules) {
    // A scene change is a moment where the highest-priority entry differs
    // just before and at it.
    auto sceneAt = [](unsigned long ms) {
        const ScheduleEntry* scene = nullptr;
        for (const ScheduleEntry& entry : showSchedule())
            if (entry.start <= ms && ms < entry.end && (!scene || entry.priority > scene->priority)) scene = &entry;
        return scene;
    };
    std::vector<double> changes;
    for (unsigned long ms = 1; ms < 333000; ++ms)
        if (sceneAt(ms) != sceneAt(ms - 1)) changes.push_back(static_cast<double>(ms) / 1000.0);
    EXPECT_EQ(changes, sceneChangeSeconds());
}

TEST_F(GeneratedSong, FinaleHoldsTheEnergyUpAndHitsTheTopOnTheBigHits) {
    // The tunnel of light goes dark 200 ms after the energy falls under 0.75.
    const SustainRequirement& valo = songSustainRequirement();
    const SustainMeasure m = measureSustain(sums_, valo);
    EXPECT_TRUE(sustainHolds(valo, m)) << "lowest bar share " << m.lowestBarShare << ", longest gap "
                                       << m.longestGapSeconds << " s, big hits " << m.peakEdgesPerSecond
                                       << " a second, " << m.peakShare << " of the time";
    // Slower shows see the same finale.
    for (std::size_t s = 0; s < slowSums_.size(); ++s) {
        const SustainMeasure slow = measureSustain(slowSums_[s], valo, slowFrameSamplings()[s]);
        EXPECT_GE(slow.lowestBarShare, valo.minShareEachBar);
        EXPECT_GE(slow.peakEdgesPerSecond, valo.minPeaksPerSecond);
    }
}

TEST_F(GeneratedSong, BeatsCrossEachBlocksThresholdAsTheEffectsNeedAtEveryFrameRate) {
    for (const BeatRequirement& row : songBeatRequirements()) {
        const BeatMeasure m = measureBeats(sums_, row.startSeconds, row.endSeconds, row.threshold);
        SCOPED_TRACE(std::to_string(row.startSeconds) + " - " + std::to_string(row.endSeconds) + " s");
        EXPECT_GE(m.edgesPerSecond, row.minEdgesPerSecond);
        EXPECT_LE(m.edgesPerSecond, row.maxEdgesPerSecond);
        EXPECT_LE(m.shareAbove, row.maxShareAbove);
        // The effects that refresh a picture above 0.95 would flicker on
        // every beat if the ordinary beats reached it.
        const BeatMeasure peaks = measureBeats(sums_, row.startSeconds, row.endSeconds, kPeakThreshold);
        EXPECT_LT(peaks.edgesPerSecond, 0.75 * m.edgesPerSecond);
        EXPECT_LT(peaks.shareAbove, 0.5 * m.shareAbove);
        // A beat that lights the spectrum for one 60 Hz frame only is missed
        // by a show drawing 30 or 24 frames a second, depending on its phase.
        for (std::size_t s = 0; s < slowSums_.size(); ++s) {
            const SpectrumSampling& sampling = slowFrameSamplings()[s];
            const double edges =
                measureBeats(slowSums_[s], row.startSeconds, row.endSeconds, row.threshold, sampling).edgesPerSecond;
            EXPECT_TRUE(edges >= row.minEdgesPerSecond && edges <= row.maxEdgesPerSecond)
                << edges << " at " << sampling.positionsPerSecond << " fps, " << sampling.offsetSeconds * 1000.0
                << " ms late";
        }
    }
}

TEST_F(GeneratedSong, StaysLoudUnderTheBlackingOverlay) {
    const BeatMeasure loud = measureBeats(sums_, kLoudStartSeconds, kLoudEndSeconds, 0.0f);
    EXPECT_GE(loud.meanSum, kLoudMinMeanSum);
}

}  // namespace
