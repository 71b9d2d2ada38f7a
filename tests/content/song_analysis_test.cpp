// The song measures on signals whose answer is known: where a novelty curve
// peaks, how peaks are matched to scene changes, the loudness range, and how
// long the energy stays up in the finale.
#include <gtest/gtest.h>

#include <cmath>
#include <utility>
#include <vector>

#include "tools/gen/song/song_calibration.h"
#include "tools/gen/song/song_random.h"
#include "tools/song_analysis/song_loudness.h"
#include "tools/song_analysis/song_novelty.h"

namespace {

constexpr int kRate = 44100;

// Mono parts of a test signal, each `seconds` long.
void appendTone(std::vector<float>& out, double seconds, double hz, float amplitude) {
    const long count = std::lround(seconds * kRate);
    for (long i = 0; i < count; ++i)
        out.push_back(amplitude * static_cast<float>(std::sin(6.283185307179586 * hz * i / kRate)));
}

void appendNoise(std::vector<float>& out, double seconds, float amplitude, SongRandom& random) {
    const long count = std::lround(seconds * kRate);
    for (long i = 0; i < count; ++i) out.push_back(amplitude * random.bipolar());
}

TEST(SongNovelty, PeaksWhereTheSoundChangesAndNowhereElse) {
    SongRandom random(7);
    std::vector<float> mono;
    appendTone(mono, 8.0, 220.0, 0.3f);
    appendNoise(mono, 8.0, 0.1f, random);
    appendTone(mono, 8.0, 880.0, 0.2f);
    const NoveltyCurve curve = measureNovelty(mono, kRate);
    ASSERT_EQ(curve.values.size(), static_cast<std::size_t>(24.0 / curve.hopSeconds) + 1);
    const std::vector<NoveltyPeak> peaks = findNoveltyPeaks(curve);
    ASSERT_EQ(peaks.size(), 2u);
    EXPECT_NEAR(peaks[0].seconds, 8.0, 0.1);
    EXPECT_NEAR(peaks[1].seconds, 16.0, 0.1);
    // Within the steady parts the curve stays low, and it is not measured
    // where a window would reach past either end.
    EXPECT_LT(curve.values[static_cast<std::size_t>(4.0 / curve.hopSeconds)], 0.5f);
    EXPECT_EQ(curve.values[static_cast<std::size_t>(1.0 / curve.hopSeconds)], 0.0f);
    EXPECT_EQ(curve.values.back(), 0.0f);
}

TEST(SongNovelty, ASteadySoundHasNoPeaks) {
    SongRandom random(11);
    std::vector<float> mono;
    appendNoise(mono, 20.0, 0.1f, random);
    EXPECT_TRUE(findNoveltyPeaks(measureNovelty(mono, kRate)).empty());
    EXPECT_TRUE(measureNovelty({}, kRate).values.empty());
    EXPECT_TRUE(findNoveltyPeaks(measureNovelty(std::vector<float>(kRate, 0.0f), kRate)).empty())
        << "a second of silence is shorter than the two windows";
}

TEST(SongNovelty, EachSceneChangeGetsItsNearestPeak) {
    const std::vector<NoveltyPeak> peaks = {{10.0, 3.0f}, {30.0, 5.0f}};
    const std::vector<BoundaryMatch> matches = matchBoundaries(peaks, {9.6, 20.0, 31.0});
    ASSERT_EQ(matches.size(), 3u);
    std::vector<std::pair<double, bool>> nearest;
    for (const BoundaryMatch& match : matches) nearest.emplace_back(match.peakSeconds, match.within());
    EXPECT_EQ(nearest, (std::vector<std::pair<double, bool>>{{10.0, true}, {10.0, false}, {30.0, false}}))
        << "ties go to the earlier peak";
    EXPECT_NEAR(matches[0].distanceSeconds, 0.4, 1e-9);
    EXPECT_TRUE(matches[2].within(1.0));
    const std::vector<BoundaryMatch> none = matchBoundaries({}, {5.0});
    ASSERT_EQ(none.size(), 1u);
    EXPECT_FALSE(none[0].found);
    EXPECT_FALSE(none[0].within());
}

// Stereo audio of a noise whose level steps between two values.
SongAudio steppedNoise(const std::vector<std::pair<double, float>>& parts) {
    SongRandom random(3);
    SongAudio audio;
    for (const auto& [seconds, amplitude] : parts)
        for (long i = 0; i < std::lround(seconds * kRate); ++i) {
            const float value = amplitude * random.bipolar();
            audio.left.push_back(value);
            audio.right.push_back(value);
        }
    return audio;
}

TEST(SongLoudnessRange, ReadsTheSpreadBetweenQuietAndLoudPassages) {
    std::string error;
    SongLoudness steady, stepped;
    ASSERT_TRUE(measureLoudness(steppedNoise({{40.0, 0.1f}}), false, steady, error)) << error;
    EXPECT_LT(steady.loudnessRangeLu, 1.0);
    // 10 dB between the halves: the range spans them.
    ASSERT_TRUE(measureLoudness(steppedNoise({{40.0, 0.1f}, {40.0, 0.0316f}}), false, stepped, error)) << error;
    EXPECT_NEAR(stepped.loudnessRangeLu, 10.0, 1.0);
}

// Energy sums (5 x the energy) at 60 positions a second.
std::vector<float> sumsOf(const std::vector<std::pair<int, float>>& runs) {
    std::vector<float> sums;
    for (const auto& [count, energy] : runs) sums.insert(sums.end(), count, energy * 5.0f);
    return sums;
}

TEST(SongSustain, MeasuresShareGapsAndBigHitsOfTheFinale) {
    const SustainRequirement requirement = {0.0, 4.0, 2.0, 0.75f, 0.5, 0.3, 0.25, 1.0, 0.3};
    // Bar 1: every beat 24 positions lit, 6 dark (0.1 s). Bar 2: half lit,
    // then a 1 s gap; one big hit at its start.
    std::vector<std::pair<int, float>> runs;
    for (int beat = 0; beat < 4; ++beat) runs.push_back({24, 0.8f}), runs.push_back({6, 0.6f});
    runs.push_back({6, 1.0f});
    runs.push_back({54, 0.8f});
    runs.push_back({60, 0.5f});
    const std::vector<float> sums = sumsOf(runs);
    ASSERT_EQ(sums.size(), 240u);
    const SustainMeasure m = measureSustain(sums, requirement);
    EXPECT_NEAR(m.share, (96.0 + 60.0) / 240.0, 1e-9);
    EXPECT_NEAR(m.lowestBarShare, 0.5, 1e-9);
    EXPECT_NEAR(m.longestGapSeconds, 1.0, 1e-9);
    EXPECT_NEAR(m.peakEdgesPerSecond, 0.25, 1e-9);
    EXPECT_NEAR(m.peakShare, 6.0 / 240.0, 1e-9);
    EXPECT_FALSE(sustainHolds(requirement, m)) << "the gap is too long";
    SustainRequirement lenient = requirement;
    lenient.maxGapSeconds = 1.0;
    EXPECT_TRUE(sustainHolds(lenient, m));
    lenient.minShareEachBar = 0.6;
    EXPECT_FALSE(sustainHolds(lenient, m));
    // Exactly the threshold is dark.
    const SustainMeasure dark = measureSustain(std::vector<float>(240, 3.75f), requirement);
    EXPECT_EQ(std::pair(dark.share, dark.longestGapSeconds), std::pair(0.0, 4.0));
}

}  // namespace
