#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <filesystem>
#include <vector>

#include "engine/song_decoder.h"
#include "engine/song_spectrum.h"
#include "engine/spectrum.h"
#include "tests/engine/engine_fixture.h"
#include "tests/engine/test_files.h"
#include "tests/support/scratch_folder.h"

namespace fs = std::filesystem;

namespace {

constexpr int kBin = 40;
const double kBinFrequency = kBin * 44100.0 / kSpectrumWindow;

int peakBin(const float* spectrum) {
    return static_cast<int>(std::max_element(spectrum, spectrum + kSpectrumBins) - spectrum);
}

}  // namespace

TEST(SpectrumAnalyzer, AFullScaleSineOnABinReadsOneThereAndHalfBeside) {
    std::vector<float> mono(kSpectrumWindow);
    for (int i = 0; i < kSpectrumWindow; ++i)
        mono[i] = static_cast<float>(std::sin(2 * M_PI * kBin * i / kSpectrumWindow));
    float out[kSpectrumBins];
    SpectrumAnalyzer analyzer;
    analyzer.analyze(mono.data(), out);
    EXPECT_EQ(peakBin(out), kBin);
    EXPECT_NEAR(out[kBin], 1.0f, 1e-3);
    EXPECT_NEAR(out[kBin - 1], 0.5f, 1e-3);
    EXPECT_NEAR(out[kBin + 1], 0.5f, 1e-3);
    EXPECT_NEAR(out[kBin + 5], 0.0f, 1e-3);
    for (float v : out) EXPECT_GE(v, 0.0f);
    // Halfway between two bins the window keeps the sine's energy near it:
    // a few bins away almost nothing is left.
    for (int i = 0; i < kSpectrumWindow; ++i)
        mono[i] = static_cast<float>(std::sin(2 * M_PI * (kBin + 0.5) * i / kSpectrumWindow));
    analyzer.analyze(mono.data(), out);
    EXPECT_LT(out[kBin + 6], 0.01f);
    EXPECT_LT(out[kBin - 5], 0.01f);
}

class SongSpectrumTest : public EngineTest {
protected:
    void SetUp() override {
        EngineTest::SetUp();
        fs::create_directories(dir / "resources");
        // Louder on the left: the spectrum is of the two channels' mean.
        writeFile(dir / "resources" / "kelmuth.ogg", encodeSineSong(kBinFrequency, 0.75, 3.0, 0.25));
        const std::string pak = (dir / "datafile.pak").string();
        vrlMakePAK((dir / "resources").string().c_str(), pak.c_str());
        vrlReadPak(pak.c_str());
        vrlLoadSong("kelmuth.ogg");
    }
    std::vector<float> spectrumAt(int ms) {
        vrlSetPosition(ms);
        vrlUpdateTimer();
        std::vector<float> out(kSpectrumBins);
        vrlGetSpectrum(out.data(), kSpectrumBins);
        return out;
    }
    ScratchFolder folder{"spectrum"};
    const fs::path dir = folder.path();
};

TEST_F(SongSpectrumTest, ASineSongPeaksInItsBinAtTheDocumentedScaleUntilValuesAreInjected) {
    EXPECT_NEAR(vrlGetSongLength(), 3000, 2);
    const auto spectrum = spectrumAt(1500);
    EXPECT_EQ(peakBin(spectrum.data()), kBin);
    EXPECT_NEAR(spectrum[kBin], 0.5f, 0.03f);  // half scale in, half scale out
    std::vector<float> fixed(kSpectrumBins, 0.25f);
    vrlInjectSpectrum(fixed.data());
    EXPECT_EQ(spectrumAt(1500), fixed);
    vrlInjectSpectrum(nullptr);
    EXPECT_EQ(spectrumAt(1500), spectrum);
}

TEST(SongSpectrum, LooksAtTheMonoSamplesJustBeforeThePositionAndSilencePastTheEnd) {
    const auto song = encodeSineSong(440.0, 0.6, 1.0, 0.2);
    SongSpectrum spectrum;
    SongDecoder decoder;
    std::string error;
    ASSERT_TRUE(spectrum.open(&song, error)) << error;
    ASSERT_TRUE(decoder.open(&song, error)) << error;
    const std::int64_t length = decoder.lengthFrames();
    std::vector<float> stereo(2 * length);
    ASSERT_EQ(decoder.readStereo(stereo.data(), length), length);
    constexpr int kPast = 100;
    for (const std::int64_t position : {std::int64_t{20000}, length + kPast}) {
        float window[kSpectrumWindow];
        spectrum.monoWindow(position, window);
        for (int i = 0; i < kSpectrumWindow; ++i) {
            const std::int64_t frame = position - kSpectrumWindow + i;
            const float expected = frame < length ? (stereo[2 * frame] + stereo[2 * frame + 1]) * 0.5f : 0.0f;
            ASSERT_EQ(window[i], expected) << "at " << position << ", sample " << i;
        }
    }
}

TEST_F(SongSpectrumTest, ThePositionAloneDecidesTheSpectrumAndOutsideTheSongItIsSilence) {
    // Reached by seeking, then by decoding forward, then by seeking back.
    const auto direct = spectrumAt(2000);
    spectrumAt(1200);
    spectrumAt(1600);
    EXPECT_EQ(spectrumAt(2000), direct);
    spectrumAt(100);
    EXPECT_EQ(spectrumAt(2000), direct);
    // The last position a capture accepts: decoding up to it would need
    // terabytes of samples.
    for (int ms : {0, -500, 10000, 1073741823})
        for (float v : spectrumAt(ms)) ASSERT_EQ(v, 0.0f) << ms;
}
