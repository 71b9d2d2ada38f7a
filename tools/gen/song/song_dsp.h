#pragma once
// Small signal-processing building blocks of the song's synthesiser:
// band-limited oscillators, a resonant filter and one-pole smoothers.
// Everything runs at the song's one sample rate.
#include <cmath>

#include "tools/song_analysis/song_audio.h"

constexpr double kTwoPi = 6.283185307179586;

// Frequency of a MIDI note number (69 = A4 = 440 Hz).
inline double noteFrequency(double note) { return 440.0 * std::pow(2.0, (note - 69.0) / 12.0); }

// The polynomial band-limited step: subtracted around each jump of a naive
// saw or pulse, it removes most of the aliasing the jump would fold back.
inline float polyBlep(float t, float dt) {
    if (t < dt) {
        t /= dt;
        return t + t - t * t - 1.0f;
    }
    if (t > 1.0f - dt) {
        t = (t - 1.0f) / dt;
        return t * t + t + t + 1.0f;
    }
    return 0.0f;
}

class SawOscillator {
public:
    explicit SawOscillator(double phase = 0.0) : phase_(phase) {}

    // increment: frequency / sample rate, below 0.5.
    float next(double increment) {
        const float t = static_cast<float>(phase_);
        const float dt = static_cast<float>(increment);
        const float value = 2.0f * t - 1.0f - polyBlep(t, dt);
        phase_ += increment;
        if (phase_ >= 1.0) phase_ -= 1.0;
        return value;
    }

private:
    double phase_;
};

class PulseOscillator {
public:
    explicit PulseOscillator(double phase = 0.0) : phase_(phase) {}

    // width: share of the period spent high, 0.05 .. 0.95.
    float next(double increment, float width) {
        const float t = static_cast<float>(phase_);
        const float dt = static_cast<float>(increment);
        float value = t < width ? 1.0f : -1.0f;
        value += polyBlep(t, dt);
        float falling = t - width;
        if (falling < 0.0f) falling += 1.0f;
        value -= polyBlep(falling, dt);
        phase_ += increment;
        if (phase_ >= 1.0) phase_ -= 1.0;
        return value;
    }

private:
    double phase_;
};

class SineOscillator {
public:
    float next(double increment) {
        const float value = static_cast<float>(std::sin(kTwoPi * phase_));
        phase_ += increment;
        if (phase_ >= 1.0) phase_ -= 1.0;
        return value;
    }

private:
    double phase_ = 0.0;
};

// Trapezoidal state-variable filter: stays stable and in tune up to high
// cutoffs and resonance, which the bass sweeps and risers need.
class StateVariableFilter {
public:
    struct Output {
        float low, band, high;
    };

    // resonance 0 (gentle) .. 1 (on the edge of self-oscillation).
    void setup(float cutoffHz, float resonance) {
        const float limited = std::fmin(std::fmax(cutoffHz, 10.0f), 0.45f * kSongRate);
        g_ = static_cast<float>(std::tan(3.141592653589793 * limited / kSongRate));
        const float r = std::fmin(std::fmax(resonance, 0.0f), 0.98f);
        k_ = 2.0f - 2.0f * r;
        a1_ = 1.0f / (1.0f + g_ * (g_ + k_));
        a2_ = g_ * a1_;
        a3_ = g_ * a2_;
    }

    Output process(float input) {
        const float v3 = input - ic2_;
        const float v1 = a1_ * ic1_ + a2_ * v3;
        const float v2 = ic2_ + a2_ * ic1_ + a3_ * v3;
        ic1_ = 2.0f * v1 - ic1_;
        ic2_ = 2.0f * v2 - ic2_;
        return {v2, v1, input - k_ * v1 - v2};
    }

    float lowPass(float input) { return process(input).low; }
    float bandPass(float input) { return process(input).band; }
    float highPass(float input) { return process(input).high; }

private:
    float g_ = 0.0f, k_ = 2.0f, a1_ = 1.0f, a2_ = 0.0f, a3_ = 0.0f;
    float ic1_ = 0.0f, ic2_ = 0.0f;
};

// One-pole low-pass, for damping inside feedback loops and for smoothing.
class OnePole {
public:
    void setCutoff(float cutoffHz) {
        coefficient_ = static_cast<float>(1.0 - std::exp(-kTwoPi * cutoffHz / kSongRate));
    }
    float lowPass(float input) {
        state_ += coefficient_ * (input - state_);
        return state_;
    }
    float highPass(float input) { return input - lowPass(input); }

private:
    float coefficient_ = 1.0f;
    float state_ = 0.0f;
};
