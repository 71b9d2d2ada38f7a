#include "engine/spectrum.h"

#include <cmath>

SpectrumAnalyzer::SpectrumAnalyzer()
    : config_(kiss_fftr_alloc(kSpectrumWindow, 0, nullptr, nullptr)),
      window_(kSpectrumWindow),
      windowed_(kSpectrumWindow),
      bins_(kSpectrumWindow / 2 + 1) {
    // Periodic Hann window: sums to exactly N / 2.
    for (int i = 0; i < kSpectrumWindow; ++i)
        window_[i] = static_cast<float>(0.5 - 0.5 * std::cos(2.0 * M_PI * i / kSpectrumWindow));
}

SpectrumAnalyzer::~SpectrumAnalyzer() { kiss_fftr_free(config_); }

void SpectrumAnalyzer::analyze(const float* mono, float* out) {
    for (int i = 0; i < kSpectrumWindow; ++i) windowed_[i] = mono[i] * window_[i];
    kiss_fftr(config_, windowed_.data(), bins_.data());
    for (int k = 0; k < kSpectrumBins; ++k) {
        const float re = bins_[k].r, im = bins_[k].i;
        out[k] = std::sqrt(re * re + im * im) * kSpectrumGain;
    }
}
