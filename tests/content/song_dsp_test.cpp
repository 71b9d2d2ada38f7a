// The synthesiser's signal pieces where a fault would hide in a long render:
// aliasing oscillators, a limiter that lets peaks through, a reverb that
// runs away, and the beat measurement itself.
#include <gtest/gtest.h>

#include <cmath>
#include <tuple>
#include <vector>

#include "engine/spectrum.h"
#include "tools/gen/song/song_calibration.h"
#include "tools/gen/song/song_dsp.h"
#include "tools/gen/song/song_limiter.h"
#include "tools/gen/song/song_random.h"
#include "tools/gen/song/song_reverb.h"
#include "tools/song_analysis/song_audio.h"

namespace {

// Amplitude of the component at a whole-number frequency in one second of signal.
double amplitudeAt(const std::vector<float>& signal, double hertz) {
    double re = 0.0, im = 0.0;
    for (std::size_t i = 0; i < signal.size(); ++i) {
        const double angle = kTwoPi * hertz * static_cast<double>(i) / kSongRate;
        re += signal[i] * std::cos(angle);
        im += signal[i] * std::sin(angle);
    }
    return 2.0 * std::sqrt(re * re + im * im) / static_cast<double>(signal.size());
}

// One second of a 1 kHz wave, the top of the song's melodic range, from a
// band-limited oscillator and from the naive wave of the same shape (given
// its phase). Harmonics 29 and 31 (29 and 31 kHz) fold back to 15.1 and
// 13.1 kHz, in plain hearing; harmonic 27 folds to 17.1 kHz.
template <typename Limited, typename Naive>
std::vector<float> expectBandLimited(Limited limited, Naive naive, double fundamental) {
    std::vector<float> band(kSongRate), plain(kSongRate);
    double phase = 0.0;
    for (int i = 0; i < kSongRate; ++i) {
        band[i] = limited(1000.0 / kSongRate);
        plain[i] = naive(phase);
        phase += 1000.0 / kSongRate;
        if (phase >= 1.0) phase -= 1.0;
    }
    EXPECT_NEAR(amplitudeAt(band, 1000.0), fundamental, 0.016 * fundamental);
    for (double fold : {13100.0, 15100.0, 17100.0}) {
        EXPECT_GT(amplitudeAt(plain, fold), 0.015) << "the naive wave should alias at " << fold;
        EXPECT_LT(amplitudeAt(band, fold), 0.25 * amplitudeAt(plain, fold)) << "at " << fold;
    }
    return band;
}

TEST(SongOscillators, SawAndPulseKeepTheirHarmonicsAndFoldLittleBack) {
    const double pi = 3.141592653589793;
    SawOscillator saw;
    const std::vector<float> sawWave =
        expectBandLimited([&](double step) { return saw.next(step); },
                          [](double phase) { return static_cast<float>(2.0 * phase - 1.0); }, 2.0 / pi);
    EXPECT_NEAR(amplitudeAt(sawWave, 5000.0), 2.0 / (5.0 * pi), 0.01);
    PulseOscillator pulse;
    expectBandLimited([&](double step) { return pulse.next(step, 0.5f); },
                      [](double phase) { return phase < 0.5 ? 1.0f : -1.0f; }, 4.0 / pi);
}

// Amplitude of a sine of `hertz` after one second through a filter (the
// state-variable one, or with resonance below 0 the one-pole one).
double filtered(float cutoff, float resonance, double hertz, bool highPass = false) {
    StateVariableFilter state;
    state.setup(cutoff, resonance);
    OnePole pole;
    pole.setCutoff(cutoff);
    SineOscillator sine;
    std::vector<float> out(kSongRate);
    for (float& v : out) {
        const float in = sine.next(hertz / kSongRate);
        if (resonance < 0.0f) v = highPass ? pole.highPass(in) : pole.lowPass(in);
        else v = highPass ? state.highPass(in) : state.lowPass(in);
    }
    return amplitudeAt(out, hertz);
}

TEST(SongFilter, PassesItsSideOfTheCutoffLiftsItWithResonanceAndStaysStable) {
    EXPECT_NEAR(filtered(2000.0f, 0.0f, 100.0), 1.0, 0.02);
    EXPECT_LT(filtered(2000.0f, 0.0f, 15000.0), 0.05);
    EXPECT_LT(filtered(2000.0f, 0.0f, 100.0, true), 0.1);
    EXPECT_NEAR(filtered(2000.0f, 0.0f, 15000.0, true), 1.0, 0.05);
    EXPECT_LT(filtered(2000.0f, -1.0f, 100.0, true), 0.1);
    EXPECT_GT(filtered(2000.0f, -1.0f, 15000.0, true), 0.8);
    // At the cutoff the low pass gives 1 / (2 - 2 * resonance).
    EXPECT_NEAR(filtered(1000.0f, 0.75f, 1000.0), 2.0, 0.1);
    EXPECT_DOUBLE_EQ(noteFrequency(81.0), 880.0);

    StateVariableFilter filter;
    filter.setup(500.0f, 1.0f);
    SongRandom noise(5);
    float largest = 0.0f;
    for (int i = 0; i < kSongRate; ++i) largest = std::max(largest, std::fabs(filter.lowPass(noise.bipolar())));
    EXPECT_LT(largest, 100.0f);
}

TEST(SongLimiter, TruePeakSeesBetweenTheSamples) {
    // A quarter-rate sine sampled 45 degrees off its crests: every sample is
    // 0.707, the waveform itself reaches 1.
    std::vector<float> signal(4096);
    for (std::size_t i = 0; i < signal.size(); ++i)
        signal[i] = static_cast<float>(std::sin(kTwoPi * 0.25 * static_cast<double>(i) + 0.25 * 3.141592653589793));
    EXPECT_NEAR(truePeak(signal), 1.0f, 0.02f);
}

TEST(SongLimiter, NeverLetsTheTruePeakPastTheCeiling) {
    SongRandom noise(11);
    const long frames = 3 * kSongRate;
    std::vector<float> left(frames), right(frames);
    SawOscillator saw;
    for (long i = 0; i < frames; ++i) {
        // Loud noise bursts, a bright saw and single-sample spikes up to 4x over.
        const float burst = (i / 5000) % 3 == 0 ? 3.0f : 0.4f;
        left[i] = noise.bipolar() * burst + 0.5f * saw.next(1234.0 / kSongRate);
        right[i] = (i % 7919 == 0) ? 4.0f : noise.bipolar() * burst * 0.5f;
    }
    const LimiterSettings settings{.ceiling = 0.8f};
    limitTruePeak(left, right, settings);
    EXPECT_LE(truePeak(left), settings.ceiling);
    EXPECT_LE(truePeak(right), settings.ceiling);
    for (long i = 0; i < frames; ++i) ASSERT_TRUE(std::isfinite(left[i]) && std::isfinite(right[i]));
}

TEST(SongLimiter, SeesAPeakBetweenBlocksWhereNeitherSampleIsLoud) {
    // The limiter skips quiet stretches 32 samples at a time. Here the last
    // sample of a quiet stretch and the first of the next, both under the
    // ceiling, swing past it between them.
    std::vector<float> left(96, 0.0f), right(96, 0.0f);
    left[30] = 0.15f, left[31] = -0.25f, left[32] = -0.78f, left[33] = 0.72f, left[34] = 0.15f;
    const LimiterSettings settings{.ceiling = 0.8f};
    ASSERT_GT(truePeak(left), settings.ceiling);
    limitTruePeak(left, right, settings);
    EXPECT_LE(truePeak(left), settings.ceiling);
}

TEST(SongLimiter, HandlesSignalsShorterThanItsFilters) {
    std::vector<float> left, right;
    limitTruePeak(left, right, LimiterSettings{});
    EXPECT_TRUE(left.empty());
    EXPECT_EQ(truePeak(left), 0.0f);
    left = {2.0f, -3.0f, 1.0f};
    right = {0.0f, 0.5f, 0.0f};
    limitTruePeak(left, right, LimiterSettings{});
    EXPECT_LE(truePeak(left), LimiterSettings{}.ceiling);
    EXPECT_GT(std::fabs(left[1]), 0.1f) << "the peak was silenced rather than limited";
}

TEST(SongLimiter, LeavesQuietMaterialUntouched) {
    SongRandom noise(12);
    std::vector<float> left(kSongRate), right(kSongRate);
    for (long i = 0; i < kSongRate; ++i) left[i] = noise.bipolar() * 0.3f, right[i] = noise.bipolar() * 0.3f;
    const std::vector<float> originalLeft = left, originalRight = right;
    limitTruePeak(left, right, LimiterSettings{});
    EXPECT_EQ(left, originalLeft);
    EXPECT_EQ(right, originalRight);
}

TEST(SongReverb, TailDiesAwayEvenInTheLargestRoom) {
    SongReverb reverb({{"room", 1.0f}, {"damp", 0.0f}, {"width", 1.0f}, {"return", 1.0f}});
    const long frames = 12 * kSongRate;
    std::vector<float> left(frames, 0.0f), right(frames, 0.0f);
    left[0] = right[0] = 1.0f;
    reverb.process(left.data(), right.data(), frames);
    auto energy = [&](long first, long last) {
        double sum = 0.0;
        for (long i = first; i < last; ++i) sum += left[i] * left[i] + right[i] * right[i];
        return sum;
    };
    const double early = energy(0, kSongRate), late = energy(frames - kSongRate, frames);
    EXPECT_GT(early, 0.0);
    EXPECT_LT(late, early * 1e-3);
}

TEST(SongCalibration, CountsRisingEdgesAndTheShareAboveAtEveryFrameRate) {
    // 60 positions a second; every 30th position (twice a second) two
    // positions read 5 (energy 1.0) and the rest 1 (energy 0.2).
    std::vector<float> sums(600, 1.0f);
    for (std::size_t i = 0; i < sums.size(); i += 30) sums[i] = sums[i + 1] = 5.0f;
    const BeatMeasure m = measureBeats(sums, 0.0, 10.0, 0.65f);
    EXPECT_EQ(std::tuple(m.edgesPerSecond, m.shareAbove), std::tuple(2.0, 2.0 / 30.0));
    EXPECT_NEAR(m.meanSum, (28.0 + 10.0) / 30.0, 1e-9);
    // Exactly at the threshold is not above it; a block that starts inside
    // a pulse counts it.
    EXPECT_DOUBLE_EQ(measureBeats(sums, 0.0, 10.0, 1.0f).edgesPerSecond, 0.0);
    EXPECT_NEAR(measureBeats(sums, 1.0 / 60.0, 1.0, 0.65f).edgesPerSecond, 2.0 * 60.0 / 59.0, 1e-9);
    // 24 positions a second, 50 ms late: position i reads at 0.05 + i / 24 s,
    // so the block from 1 s to 2 s runs from position 23 to 46.
    std::vector<float> slow(240, 1.0f);
    slow[22] = slow[23] = slow[35] = slow[47] = 5.0f;
    const BeatMeasure s = measureBeats(slow, 1.0, 2.0, 0.65f, {24.0, 0.05});
    EXPECT_EQ(std::tuple(s.edgesPerSecond, s.shareAbove), std::tuple(2.0, 2.0 / 24.0))
        << "position 22 is before the block, 47 after it";
    // A sampling that cannot advance measures nothing instead of looping.
    EXPECT_DOUBLE_EQ(measureBeats(sums, 1.0, 2.0, 0.65f, {0.0, 0.0}).edgesPerSecond, 0.0);
}

TEST(SongCalibration, SpectrumSumsEndTheirWindowsWhereTheShowWouldAtTheEnginesScale) {
    // Silence, then from sample 10000 on a full-scale sine centred on bin
    // 100, which reads 1 there and 1/2 on each side.
    const int rate = 44100;
    std::vector<float> mono(rate, 0.0f);
    for (int i = 10000; i < rate; ++i) mono[i] = static_cast<float>(std::sin(kTwoPi * 100.0 * i / kSpectrumWindow));
    // On time at 60 a second, position i's window ends before sample 735 i.
    const std::vector<float> sums = measureSpectrumSums(mono, rate);
    ASSERT_EQ(sums.size(), 61u) << "the last window ends at the last sample";
    EXPECT_NEAR(sums[60], 2.0f * kSpectrumGain * 256.0f, 0.02f);
    // At 30 a second 13 ms late, before sample floor(573.3 + 1470 i):
    // position 6 ends at 9393, so position 7 is the first to hear the tone.
    const std::vector<float> late = measureSpectrumSums(mono, rate, {30.0, 0.013});
    ASSERT_EQ(late.size(), 30u) << "the last window ends at sample 43203";
    for (int i = 0; i < 7; ++i) EXPECT_FLOAT_EQ(late[i], 0.0f) << "position " << i;
    EXPECT_GT(late[7], 0.0f);
    EXPECT_TRUE(measureSpectrumSums(mono, rate, {0.0, 0.0}).empty());
    EXPECT_EQ(monoMix({1.0f, 0.0f, -0.5f, 0.5f}, 2), (std::vector<float>{0.5f, 0.0f}));
}

}  // namespace
