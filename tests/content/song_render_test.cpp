// A short render through every voice, the mix and the encoder: the same
// score must give the same samples and the same file bytes every time.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <string>
#include <tuple>

#include "tools/gen/song/song_mix.h"
#include "tools/gen/song/song_ogg.h"
#include "tools/gen/song/song_score.h"
#include "tools/song_analysis/song_decode.h"
#include "tools/song_analysis/song_loudness.h"

namespace {

const char* const kShortScore = R"(
song length=3 fade=2.5 tempo=120 seed=99
instrument k kick duck=0
instrument s snare reverb=0.3
instrument c clap
instrument h hat pan=0.5
instrument r riser
instrument b bass duck=0.8
instrument p pad air=0.3 reverb=0.5
instrument l lead delay=0.4
instrument a pluck pan=-0.5
instrument e bell
sidechain k release=0.1
pattern drums 4 X . x . o . x .
pattern line 4 a1 - c2 . e2 - g2 .
pattern chord 1 a3+c4+e4 - - -
pattern up 1 x - - -
section one 0 6
  play k drums
  play s drums to 2
  play c drums from 2
  play h drums
  play r up from 2
  play b line
  play p chord
  play l line transpose 36
  play a line transpose 24
  play e line transpose 48 from 4
  ramp b cutoff 200 800
  ramp p level 0.2 1
)";

// Root mean square of `a` (less `b`, where given) between two times.
double rmsBetween(const std::vector<float>& a, double from, double to, const std::vector<float>* b = nullptr) {
    double sum = 0.0;
    const long first = static_cast<long>(from * 44100), last = static_cast<long>(to * 44100);
    for (long i = first; i < last; ++i) {
        const double value = a[i] - (b ? (*b)[i] : 0.0f);
        sum += value * value;
    }
    return std::sqrt(sum / static_cast<double>(last - first));
}

SongAudio render(const std::string& text = kShortScore) {
    SongScore score;
    std::string error;
    EXPECT_TRUE(parseScore(text, score, error)) << error;
    return mixSong(score, [](const std::string&) {});
}

TEST(SongRender, SameScoreSameSamplesSameBytes) {
    const SongAudio first = render(), second = render();
    ASSERT_EQ(first.frames(), 3 * 44100);
    EXPECT_TRUE(first.left == second.left && first.right == second.right);

    double energy = 0.0;
    for (long i = 0; i < first.frames(); ++i) {
        ASSERT_TRUE(std::isfinite(first.left[i]) && std::isfinite(first.right[i])) << "at sample " << i;
        energy += first.left[i] * first.left[i];
    }
    EXPECT_GT(energy, 1.0) << "the voices made no sound";
    EXPECT_NE(first.left, first.right) << "panning and the stereo effects vanished";
    EXPECT_LT(std::fabs(first.left.back()), 1e-6f) << "the fade does not reach silence at the end";

    std::vector<unsigned char> bytesA, bytesB;
    std::string error;
    ASSERT_TRUE(encodeOgg(first, 0.5f, bytesA, error)) << error;
    ASSERT_TRUE(encodeOgg(second, 0.5f, bytesB, error)) << error;
    EXPECT_EQ(bytesA, bytesB);

    DecodedSong decoded;
    ASSERT_TRUE(decodeOgg(bytesA, decoded, error)) << error;
    EXPECT_EQ(std::tuple(decoded.rate, decoded.channels, decoded.frames()), std::tuple(44100, 2, first.frames()));
}

TEST(SongRender, AbsurdSettingsStayBoundedAndFinite) {
    // Settings a typo could produce: huge tails, a zero release, a zero
    // attack and enormous voice counts must neither hang nor break the mix.
    const SongAudio audio = render("song length=1 fade=1\n"
                                   "instrument b bass release=1e30 drive=0\n"
                                   "instrument p pad voices=1e30 attack=0 release=0\n"
                                   "instrument c clap spread=1e30 decay=1e30\n"
                                   "instrument k kick decay=0 sweep=0 start=-50\n"
                                   "sidechain k attack=1e30 release=0\n"
                                   "delay beats=1e30 feedback=5\n"
                                   "pattern n 1 a1\n"
                                   "pattern x 1 x\n"
                                   "section s 0 2\n"
                                   "  play b n\n  play p n transpose 127\n  play c x\n  play k x\n");
    ASSERT_EQ(audio.frames(), 44100);
    for (long i = 0; i < audio.frames(); ++i)
        ASSERT_TRUE(std::isfinite(audio.left[i]) && std::isfinite(audio.right[i])) << "at sample " << i;
}

TEST(SongRender, SidechainDucksTheTracksRightAfterEachHit) {
    // A silent kick (level 0) still drives the sidechain; the pad, ducked
    // by half and panned hard left, must dip just after each beat and
    // recover before the next.
    const SongAudio audio = render("song length=2 fade=2\n"
                                   "instrument k kick level=0\n"
                                   "instrument p pad duck=0.5 pan=-1 attack=0 voices=1 cutoff=8000\n"
                                   "sidechain k attack=0.004 release=0.16\n"
                                   "pattern beat 1 x\n"
                                   "pattern hold 1 a3 - - -\n"
                                   "section s 0 4\n  play k beat from 1\n  play p hold\n");
    ASSERT_EQ(audio.frames(), 2 * 44100);
    auto rms = [&](double from, double to) { return rmsBetween(audio.left, from, to); };
    // Beats at 0.5, 1.0 and 1.5 s.
    const double ducked = rms(0.51, 0.54), recovered = rms(0.90, 0.98), beforeFirst = rms(0.3, 0.45);
    EXPECT_GT(ducked, 0.4 * recovered);
    EXPECT_LT(ducked, 0.75 * recovered);
    EXPECT_GT(recovered, 0.8 * beforeFirst);
    EXPECT_EQ(std::count(audio.right.begin(), audio.right.end(), 0.0f), audio.frames()) << "heard on the right";
}

TEST(SongRender, KickNoiseLayerHoldsThenFallsAway) {
    // The same kick with and without its noise layer: both draw the same
    // random numbers, so the difference is the layer alone. It must stay at
    // one level through the hold (even though the body here dies within
    // 70 ms) and be gone soon after.
    auto kick = [](const char* noise) {
        return render(std::string("song length=1 fade=1\n") +
                      "instrument k kick click=0 decay=0.01 noisehold=0.08 noisedecay=0.01 " + noise +
                      "\npattern x 1 x\nsection s 0 2\n  play k x\n");
    };
    const SongAudio with = kick("noise=1"), without = kick("noise=0");
    auto rms = [&](double from, double to) { return rmsBetween(with.left, from, to, &without.left); };
    const double early = rms(0.005, 0.04), late = rms(0.04, 0.078);
    EXPECT_GT(early, 0.05);
    EXPECT_NEAR(late / early, 1.0, 0.15) << "the layer fades during its hold";
    EXPECT_LT(rms(0.16, 0.3), 0.01 * early) << "the layer outlasts hold and decay";
}

TEST(SongRender, DecoderRejectsDamagedInput) {
    DecodedSong decoded;
    std::string error;
    EXPECT_FALSE(decodeOgg({'n', 'o', 't', ' ', 'o', 'g', 'g'}, decoded, error));
    EXPECT_FALSE(error.empty());
    EXPECT_FALSE(decodeOggFile("/nonexistent/song.ogg", decoded, error));
    EXPECT_NE(error.find("cannot open"), std::string::npos);
}

TEST(SongRender, LoudnessMeterReadsAKnownTone) {
    // A 1 kHz sine peaking at -20 dBFS in both channels reads -20 LUFS (the
    // second channel's +3 dB makes up for the sine's 3 dB crest) and peaks
    // at -20 dBTP; nothing is clipped.
    SongAudio tone{std::vector<float>(4 * 44100), std::vector<float>(4 * 44100)};
    for (long i = 0; i < tone.frames(); ++i)
        tone.left[i] = tone.right[i] = 0.1f * static_cast<float>(std::sin(2.0 * 3.141592653589793 * 1000.0 * i / 44100));
    SongLoudness loudness;
    std::string error;
    ASSERT_TRUE(measureLoudness(tone, true, loudness, error)) << error;
    EXPECT_NEAR(loudness.integratedLufs, -20.0, 0.2);
    EXPECT_NEAR(loudness.truePeakDbtp, -20.0, 0.1);
    EXPECT_EQ(loudness.clippedSamples, 0);
    tone.left[100] = 1.0f;
    ASSERT_TRUE(measureLoudness(tone, false, loudness, error)) << error;
    EXPECT_EQ(loudness.clippedSamples, 1);
}

}  // namespace
