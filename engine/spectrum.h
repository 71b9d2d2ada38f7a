#pragma once
// The engine's spectrum: 512 magnitudes of a 1024-sample Hann-windowed FFT
// of the song's mono mix ((left + right) / 2), the window ending at the
// song position. Effects only ever look at the sum of bins 0..510.
//
// Scale: magnitude = |X[k]| * kSpectrumGain. The Hann window's sum is 512,
// so with a gain of 1/256 a full-scale sine centred on a bin reads 1.0 in
// that bin (and 0.5 in each neighbour). The song is mixed against this.
#include <vector>

#include <kissfft/kiss_fftr.h>

constexpr int kSpectrumWindow = 1024;
constexpr int kSpectrumBins = 512;
constexpr float kSpectrumGain = 1.0f / 256.0f;

class SpectrumAnalyzer {
public:
    SpectrumAnalyzer();
    ~SpectrumAnalyzer();
    SpectrumAnalyzer(const SpectrumAnalyzer&) = delete;
    SpectrumAnalyzer& operator=(const SpectrumAnalyzer&) = delete;

    // mono: kSpectrumWindow samples, oldest first. out: kSpectrumBins values.
    void analyze(const float* mono, float* out);

private:
    kiss_fftr_cfg config_;
    std::vector<float> window_;
    std::vector<float> windowed_;
    std::vector<kiss_fft_cpx> bins_;
};
