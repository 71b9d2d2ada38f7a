#include "tools/gen/song/song_drum_voices.h"

#include <algorithm>
#include <cmath>

#include "tools/gen/song/song_dsp.h"
#include "tools/gen/song/song_voice_parts.h"

using namespace song_voice_parts;

namespace {

// The kick's noise layer: full level for the hold, then an exponential fall.
// Held rather than only decaying, so the beat stays bright for a steady
// stretch after the hit instead of one sharp spike.
class HeldDecay {
public:
    HeldDecay(float holdSeconds, float decaySeconds)
        : holdSamples_(static_cast<std::int64_t>(std::clamp(holdSeconds, 0.0f, 2.0f) * kSongRate)),
          step_(decayFactor(decaySeconds)) {}

    float next() {
        const float value = level_;
        if (count_ < holdSamples_)
            ++count_;
        else
            level_ *= step_;
        return value;
    }

private:
    std::int64_t holdSamples_;
    std::int64_t count_ = 0;
    float step_;
    float level_ = 1.0f;
};

}  // namespace

void kickVoice(const SongNote& n, SongRandom& noise, float* left, float* right, std::int64_t frames) {
    const SongParams& p = n.params;
    const float decay = p.at("decay");
    const float noiseHold = std::clamp(p.at("noisehold"), 0.0f, 2.0f), noiseDecay = p.at("noisedecay");
    const float length = std::max(decay * 6.0f + 0.01f, noiseHold + noiseDecay * 7.0f);
    const Span span = spanOf(n, std::min(length, 3.0f), frames);
    const float startHz = p.at("start"), endHz = p.at("end");
    const float sweepStep = decayFactor(p.at("sweep")), bodyStep = decayFactor(decay);
    const float clickStep = decayFactor(p.at("clickdecay"));
    const float drive = std::max(p.at("drive"), 0.1f);
    const float norm = n.velocity / std::tanh(drive);
    OnePole clickTone, noiseTop, noiseBottom;
    clickTone.setCutoff(p.at("clicktone"));
    noiseTop.setCutoff(p.at("noisetone"));
    noiseBottom.setCutoff(p.at("noiselow"));
    HeldDecay noiseEnvelope(noiseHold, noiseDecay);
    const float noiseLevel = p.at("noise") * n.velocity;
    double phase = 0.0;
    float sweep = 1.0f, body = 1.0f, click = p.at("click");
    for (std::int64_t i = 0; i < span.count; ++i) {
        const float frequency = endHz + (startHz - endHz) * sweep;
        const float attack = std::min(1.0f, static_cast<float>(i) / 22.0f);
        const float tone = static_cast<float>(std::sin(kTwoPi * phase)) * body * attack;
        const float snap = clickTone.lowPass(noise.bipolar() * click);
        // The noise layer stays out of the drive: saturating it with the body
        // would smear the body's pitch.
        const float air = noiseBottom.highPass(noiseTop.lowPass(noise.bipolar())) * noiseEnvelope.next() * attack;
        addMono(left, right, span.first + i, std::tanh(drive * (tone + snap)) * norm + air * noiseLevel);
        phase += frequency / kSongRate;
        if (phase >= 1.0) phase -= 1.0;
        sweep *= sweepStep;
        body *= bodyStep;
        click *= clickStep;
    }
}

void snareVoice(const SongNote& n, SongRandom& noise, float* left, float* right, std::int64_t frames) {
    const SongParams& p = n.params;
    const float noiseDecay = p.at("noisedecay"), toneDecay = p.at("tonedecay");
    const Span span = spanOf(n, std::max(noiseDecay, toneDecay) * 6.0f, frames);
    StateVariableFilter brightness;
    brightness.setup(p.at("cutoff"), 0.1f);
    const double toneHz = p.at("tone");
    const float noiseStep = decayFactor(noiseDecay), toneStep = decayFactor(toneDecay);
    float noiseLevel = p.at("noise"), toneLevel = 1.0f - 0.5f * p.at("noise");
    for (std::int64_t i = 0; i < span.count; ++i) {
        const double t = static_cast<double>(i) / kSongRate;
        const float tone = static_cast<float>(std::sin(kTwoPi * toneHz * t) + 0.5 * std::sin(kTwoPi * toneHz * 1.78 * t));
        const float hiss = brightness.highPass(noise.bipolar());
        addMono(left, right, span.first + i, (tone * toneLevel * 0.6f + hiss * noiseLevel) * n.velocity);
        noiseLevel *= noiseStep;
        toneLevel *= toneStep;
    }
}

void clapVoice(const SongNote& n, SongRandom& noise, float* left, float* right, std::int64_t frames) {
    const SongParams& p = n.params;
    const float decay = p.at("decay"), spread = std::clamp(p.at("spread"), 0.0f, 0.05f);
    const Span span = spanOf(n, 3.0f * spread + decay * 6.0f, frames);
    StateVariableFilter body;
    body.setup(p.at("cutoff"), p.at("resonance"));
    const float burstStep = decayFactor(0.004f), tailStep = decayFactor(decay);
    float burst = 1.0f, tail = 1.0f;
    // Three quick bursts and then the tail, like several hands slightly apart.
    const std::int64_t gap = static_cast<std::int64_t>(spread * kSongRate);
    for (std::int64_t i = 0; i < span.count; ++i) {
        if (gap > 0 && i < 3 * gap && i % gap == 0) burst = 1.0f;
        float envelope = burst;
        if (i >= 3 * gap) {
            envelope = std::max(burst, 0.7f * tail);
            tail *= tailStep;
        }
        burst *= burstStep;
        addMono(left, right, span.first + i, body.bandPass(noise.bipolar()) * envelope * 2.5f * n.velocity);
    }
}

void hatVoice(const SongNote& n, SongRandom& noise, float* left, float* right, std::int64_t frames) {
    const SongParams& p = n.params;
    const float decay = p.at("decay");
    const Span span = spanOf(n, decay * 7.0f, frames);
    StateVariableFilter shine;
    shine.setup(p.at("cutoff"), p.at("resonance"));
    const float step = decayFactor(decay);
    float level = n.velocity;
    for (std::int64_t i = 0; i < span.count; ++i) {
        addMono(left, right, span.first + i, shine.highPass(noise.bipolar()) * level);
        level *= step;
    }
}

void riserVoice(const SongNote& n, SongRandom& noise, float* left, float* right, std::int64_t frames) {
    const SongParams& p = n.params;
    const double length = std::max(n.gateSeconds, 0.05);
    const Span span = spanOf(n, length, frames);
    const double low = p.at("low"), high = p.at("high");
    const float curve = p.at("curve"), resonance = p.at("resonance");
    // A falling riser swells out instead of in: loud at its start, after a
    // short fade-in that keeps the start from clicking.
    const bool falls = p.at("fall") > 0.5f;
    StateVariableFilter sweep[2];
    for (std::int64_t i = 0; i < span.count; ++i) {
        const double progress = static_cast<double>(i) / (length * kSongRate);
        if (i % kFilterUpdate == 0) {
            const float cutoff = static_cast<float>(low * std::pow(high / low, progress));
            sweep[0].setup(cutoff, resonance);
            sweep[1].setup(cutoff * 1.03f, resonance);
        }
        // A short fade at the end so the riser stops without a click.
        double tail = std::min(1.0, (1.0 - progress) * length / 0.01);
        if (falls) tail *= std::min(1.0, progress * length / 0.01);
        const float level = static_cast<float>(std::pow(falls ? 1.0 - progress : progress, curve) * tail) * n.velocity;
        left[span.first + i] += sweep[0].bandPass(noise.bipolar()) * level;
        right[span.first + i] += sweep[1].bandPass(noise.bipolar()) * level;
    }
}
