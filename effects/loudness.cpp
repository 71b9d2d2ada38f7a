#include "effects/loudness.h"

#include "engine/vrl.h"

float spectrumSum() {
    float spectrum[512];
    vrlGetSpectrum(spectrum, 512);
    float sum = 0.0f;
    for (int i = 0; i < 511; ++i) sum += spectrum[i];
    return sum;
}

float spectrumEnergy() { return spectrumSum() / 5.0f; }
