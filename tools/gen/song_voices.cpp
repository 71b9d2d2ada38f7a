#include "tools/gen/song_voices.h"

#include <algorithm>
#include <cmath>
#include <map>

#include "tools/gen/song_dsp.h"

namespace {

SongParams withMix(SongParams params) {
    params.insert({{"level", 1.0f}, {"pan", 0.0f}, {"reverb", 0.0f}, {"delay", 0.0f}, {"duck", 0.0f}});
    return params;
}

const std::map<std::string, SongParams>& allDefaults() {
    static const std::map<std::string, SongParams> defaults = {
        {"kick", withMix({{"start", 180}, {"end", 48}, {"sweep", 0.04f}, {"decay", 0.4f}, {"click", 0.25f},
                          {"clicktone", 9000}, {"clickdecay", 0.003f}, {"drive", 1.5f}})},
        {"snare", withMix({{"tone", 190}, {"tonedecay", 0.08f}, {"noise", 0.8f}, {"noisedecay", 0.16f},
                           {"cutoff", 1800}})},
        {"clap", withMix({{"cutoff", 1300}, {"resonance", 0.3f}, {"decay", 0.2f}, {"spread", 0.011f}})},
        {"hat", withMix({{"cutoff", 7500}, {"resonance", 0.2f}, {"decay", 0.05f}})},
        {"riser", withMix({{"low", 200}, {"high", 8000}, {"resonance", 0.6f}, {"curve", 2.0f}})},
        {"bass", withMix({{"cutoff", 250}, {"env", 2000}, {"filterdecay", 0.15f}, {"resonance", 0.5f},
                          {"release", 0.05f}, {"sub", 0.5f}, {"drive", 1.0f}})},
        {"pad", withMix({{"voices", 5}, {"detune", 0.15f}, {"cutoff", 2500}, {"resonance", 0.1f},
                         {"attack", 1.0f}, {"release", 1.5f}, {"width", 0.8f}, {"air", 0.0f}, {"aircutoff", 6000}})},
        {"lead", withMix({{"detune", 0.08f}, {"pulse", 0.3f}, {"cutoff", 1800}, {"env", 3000},
                          {"filterdecay", 0.3f}, {"resonance", 0.3f}, {"attack", 0.01f}, {"release", 0.2f},
                          {"vibrato", 0.15f}, {"vibratorate", 5.5f}, {"vibratodelay", 0.3f}})},
        {"pluck", withMix({{"cutoff", 600}, {"env", 4000}, {"filterdecay", 0.12f}, {"resonance", 0.4f},
                           {"decay", 0.25f}, {"pulse", 0.5f}, {"release", 0.05f}})},
        {"bell", withMix({{"ratio", 3.5f}, {"index", 3.0f}, {"indexdecay", 0.4f}, {"decay", 1.2f}})},
    };
    return defaults;
}

// Per-sample factor of an exponential decay with the given time constant.
float decayFactor(float seconds) { return static_cast<float>(std::exp(-1.0 / (std::max(seconds, 1e-4f) * kSongRate))); }

// The filters' coefficients cost a tan(); refreshing them every few samples
// is inaudible.
constexpr int kFilterUpdate = 8;

struct Span {
    std::int64_t first;
    std::int64_t count;
};

// Where a note of the given length lands in the buffer.
Span spanOf(const SongNote& note, double seconds, std::int64_t frames) {
    const std::int64_t first = static_cast<std::int64_t>(std::llround(note.startSeconds * kSongRate));
    std::int64_t count = static_cast<std::int64_t>(seconds * kSongRate);
    if (first >= frames || first < 0) return {0, 0};
    count = std::min(count, frames - first);
    return {first, count};
}

// A linear fade-in over attack and out over release after the gate.
float gateEnvelope(double t, double attack, double gate, double release) {
    float level = attack > 0.0 && t < attack ? static_cast<float>(t / attack) : 1.0f;
    if (t > gate) level *= static_cast<float>(std::max(0.0, 1.0 - (t - gate) / release));
    return level;
}

void addMono(float* left, float* right, std::int64_t at, float value) {
    left[at] += value;
    right[at] += value;
}

void kick(const SongNote& n, SongRandom& noise, float* left, float* right, std::int64_t frames) {
    const SongParams& p = n.params;
    const float decay = p.at("decay");
    const Span span = spanOf(n, std::min(decay * 6.0f + 0.01f, 2.0f), frames);
    const float startHz = p.at("start"), endHz = p.at("end");
    const float sweepStep = decayFactor(p.at("sweep")), bodyStep = decayFactor(decay);
    const float clickStep = decayFactor(p.at("clickdecay"));
    const float drive = std::max(p.at("drive"), 0.1f);
    const float norm = n.velocity / std::tanh(drive);
    OnePole clickTone;
    clickTone.setCutoff(p.at("clicktone"));
    double phase = 0.0;
    float sweep = 1.0f, body = 1.0f, click = p.at("click");
    for (std::int64_t i = 0; i < span.count; ++i) {
        const float frequency = endHz + (startHz - endHz) * sweep;
        const float attack = std::min(1.0f, static_cast<float>(i) / 22.0f);
        const float tone = static_cast<float>(std::sin(kTwoPi * phase)) * body * attack;
        const float snap = clickTone.lowPass(noise.bipolar() * click);
        addMono(left, right, span.first + i, std::tanh(drive * (tone + snap)) * norm);
        phase += frequency / kSongRate;
        if (phase >= 1.0) phase -= 1.0;
        sweep *= sweepStep;
        body *= bodyStep;
        click *= clickStep;
    }
}

void snare(const SongNote& n, SongRandom& noise, float* left, float* right, std::int64_t frames) {
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

void clap(const SongNote& n, SongRandom& noise, float* left, float* right, std::int64_t frames) {
    const SongParams& p = n.params;
    const float decay = p.at("decay"), spread = p.at("spread");
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

void hat(const SongNote& n, SongRandom& noise, float* left, float* right, std::int64_t frames) {
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

void riser(const SongNote& n, SongRandom& noise, float* left, float* right, std::int64_t frames) {
    const SongParams& p = n.params;
    const double length = std::max(n.gateSeconds, 0.05);
    const Span span = spanOf(n, length, frames);
    const double low = p.at("low"), high = p.at("high");
    const float curve = p.at("curve"), resonance = p.at("resonance");
    StateVariableFilter sweep[2];
    for (std::int64_t i = 0; i < span.count; ++i) {
        const double progress = static_cast<double>(i) / (length * kSongRate);
        if (i % kFilterUpdate == 0) {
            const float cutoff = static_cast<float>(low * std::pow(high / low, progress));
            sweep[0].setup(cutoff, resonance);
            sweep[1].setup(cutoff * 1.03f, resonance);
        }
        // A short fade at the end so the riser stops without a click.
        const double tail = std::min(1.0, (1.0 - progress) * length / 0.01);
        const float level = static_cast<float>(std::pow(progress, curve) * tail) * n.velocity;
        left[span.first + i] += sweep[0].bandPass(noise.bipolar()) * level;
        right[span.first + i] += sweep[1].bandPass(noise.bipolar()) * level;
    }
}

void bass(const SongNote& n, SongRandom&, float* left, float* right, std::int64_t frames) {
    const SongParams& p = n.params;
    const float release = p.at("release");
    const Span span = spanOf(n, n.gateSeconds + release, frames);
    const double increment = noteFrequency(n.note) / kSongRate;
    SawOscillator saw;
    SineOscillator sub;
    StateVariableFilter filter;
    const float cutoff = p.at("cutoff"), envDepth = p.at("env") * n.velocity, resonance = p.at("resonance");
    const float envStep = decayFactor(p.at("filterdecay"));
    const float subLevel = p.at("sub"), drive = std::max(p.at("drive"), 0.1f);
    const float norm = n.velocity / std::tanh(drive);
    float env = 1.0f;
    for (std::int64_t i = 0; i < span.count; ++i) {
        if (i % kFilterUpdate == 0) filter.setup(cutoff + envDepth * env, resonance);
        const double t = static_cast<double>(i) / kSongRate;
        const float amp = gateEnvelope(t, 0.003, n.gateSeconds, release);
        const float tone = filter.lowPass(saw.next(increment)) + subLevel * sub.next(increment * 0.5);
        addMono(left, right, span.first + i, std::tanh(drive * tone * amp) * norm);
        env *= envStep;
    }
}

void pad(const SongNote& n, SongRandom& noise, float* left, float* right, std::int64_t frames) {
    const SongParams& p = n.params;
    const int voices = std::clamp(static_cast<int>(p.at("voices")), 1, 9);
    const float release = p.at("release"), attack = p.at("attack"), width = p.at("width");
    const Span span = spanOf(n, n.gateSeconds + release, frames);
    const double base = noteFrequency(n.note);
    SawOscillator saws[9];
    double increments[9];
    float panLeft[9], panRight[9];
    const float detune = p.at("detune");
    for (int v = 0; v < voices; ++v) {
        const float spread = voices == 1 ? 0.0f : 2.0f * v / (voices - 1) - 1.0f;
        saws[v] = SawOscillator(noise.unit());
        increments[v] = base * std::pow(2.0, spread * detune / 12.0) / kSongRate;
        const float pan = (v % 2 ? 1.0f : -1.0f) * width * (voices == 1 ? 0.0f : 1.0f);
        panLeft[v] = std::sqrt(0.5f * (1.0f - pan));
        panRight[v] = std::sqrt(0.5f * (1.0f + pan));
    }
    StateVariableFilter filters[2], breath[2];
    for (int c = 0; c < 2; ++c) {
        filters[c].setup(p.at("cutoff"), p.at("resonance"));
        breath[c].setup(p.at("aircutoff"), 0.0f);
    }
    const float norm = n.velocity / std::sqrt(static_cast<float>(voices));
    // Breath: a little high noise that gives the pad air and shimmer.
    const float air = p.at("air");
    for (std::int64_t i = 0; i < span.count; ++i) {
        float l = 0.0f, r = 0.0f;
        for (int v = 0; v < voices; ++v) {
            const float s = saws[v].next(increments[v]);
            l += s * panLeft[v];
            r += s * panRight[v];
        }
        const double t = static_cast<double>(i) / kSongRate;
        const float amp = gateEnvelope(t, attack, n.gateSeconds, release) * norm;
        float airLeft = 0.0f, airRight = 0.0f;
        if (air > 0.0f) {
            airLeft = breath[0].highPass(noise.bipolar()) * air;
            airRight = breath[1].highPass(noise.bipolar()) * air;
        }
        left[span.first + i] += (filters[0].lowPass(l) + airLeft) * amp;
        right[span.first + i] += (filters[1].lowPass(r) + airRight) * amp;
    }
}

void lead(const SongNote& n, SongRandom&, float* left, float* right, std::int64_t frames) {
    const SongParams& p = n.params;
    const float release = p.at("release");
    const Span span = spanOf(n, n.gateSeconds + release, frames);
    const double base = noteFrequency(n.note) / kSongRate;
    const double spread = std::pow(2.0, p.at("detune") / 12.0);
    SawOscillator sawA(0.0), sawB(0.37);
    PulseOscillator pulse(0.61);
    StateVariableFilter filter;
    const float cutoff = p.at("cutoff"), envDepth = p.at("env") * n.velocity, resonance = p.at("resonance");
    const float envStep = decayFactor(p.at("filterdecay")), pulseMix = p.at("pulse");
    const double vibrato = p.at("vibrato"), vibratoRate = p.at("vibratorate"), vibratoDelay = p.at("vibratodelay");
    float env = 1.0f;
    for (std::int64_t i = 0; i < span.count; ++i) {
        if (i % kFilterUpdate == 0) filter.setup(cutoff + envDepth * env, resonance);
        const double t = static_cast<double>(i) / kSongRate;
        const double depth = t > vibratoDelay ? std::min(1.0, (t - vibratoDelay) / 0.4) * vibrato : 0.0;
        const double bend = std::pow(2.0, depth * std::sin(kTwoPi * vibratoRate * t) / 12.0);
        const double increment = base * bend;
        const float tone = 0.5f * (1.0f - pulseMix) * (sawA.next(increment * spread) + sawB.next(increment / spread)) +
                           pulseMix * pulse.next(increment, 0.5f);
        const float amp = gateEnvelope(t, p.at("attack"), n.gateSeconds, release) * n.velocity;
        addMono(left, right, span.first + i, filter.lowPass(tone) * amp);
        env *= envStep;
    }
}

void pluck(const SongNote& n, SongRandom&, float* left, float* right, std::int64_t frames) {
    const SongParams& p = n.params;
    const float decay = p.at("decay"), release = p.at("release");
    const Span span = spanOf(n, std::min(n.gateSeconds + release, static_cast<double>(decay) * 6.0), frames);
    const double increment = noteFrequency(n.note) / kSongRate;
    SawOscillator saw;
    PulseOscillator pulse(0.25);
    StateVariableFilter filter;
    const float cutoff = p.at("cutoff"), envDepth = p.at("env") * n.velocity, resonance = p.at("resonance");
    const float envStep = decayFactor(p.at("filterdecay")), ampStep = decayFactor(decay);
    const float pulseMix = p.at("pulse");
    float env = 1.0f, amp = n.velocity;
    for (std::int64_t i = 0; i < span.count; ++i) {
        if (i % kFilterUpdate == 0) filter.setup(cutoff + envDepth * env, resonance);
        const double t = static_cast<double>(i) / kSongRate;
        const float tone = (1.0f - pulseMix) * saw.next(increment) + pulseMix * pulse.next(increment, 0.35f);
        const float gate = gateEnvelope(t, 0.002, n.gateSeconds, release);
        addMono(left, right, span.first + i, filter.lowPass(tone) * amp * gate);
        env *= envStep;
        amp *= ampStep;
    }
}

void bell(const SongNote& n, SongRandom&, float* left, float* right, std::int64_t frames) {
    const SongParams& p = n.params;
    const float decay = p.at("decay");
    const Span span = spanOf(n, decay * 6.0f, frames);
    const double carrier = noteFrequency(n.note) / kSongRate, modulator = carrier * p.at("ratio");
    const float ampStep = decayFactor(decay), indexStep = decayFactor(p.at("indexdecay"));
    float amp = n.velocity, index = p.at("index");
    double carrierPhase = 0.0, modulatorPhase = 0.0;
    for (std::int64_t i = 0; i < span.count; ++i) {
        const float attack = std::min(1.0f, static_cast<float>(i) / 88.0f);
        const double modulation = index * std::sin(kTwoPi * modulatorPhase);
        addMono(left, right, span.first + i, static_cast<float>(std::sin(kTwoPi * carrierPhase + modulation)) * amp * attack);
        carrierPhase += carrier;
        modulatorPhase += modulator;
        if (carrierPhase >= 1.0) carrierPhase -= 1.0;
        if (modulatorPhase >= 1.0) modulatorPhase -= 1.0;
        amp *= ampStep;
        index *= indexStep;
    }
}

}  // namespace

const SongParams* voiceDefaults(const std::string& kind) {
    const auto found = allDefaults().find(kind);
    return found == allDefaults().end() ? nullptr : &found->second;
}

bool voiceIsPitched(const std::string& kind) {
    return kind == "bass" || kind == "pad" || kind == "lead" || kind == "pluck" || kind == "bell";
}

void renderVoice(const std::string& kind, const SongNote& note, SongRandom& noise, float* left, float* right,
                 std::int64_t frames) {
    using Render = void (*)(const SongNote&, SongRandom&, float*, float*, std::int64_t);
    static const std::map<std::string, Render> renderers = {
        {"kick", kick}, {"snare", snare}, {"clap", clap}, {"hat", hat}, {"riser", riser},
        {"bass", bass}, {"pad", pad},     {"lead", lead}, {"pluck", pluck}, {"bell", bell},
    };
    const auto found = renderers.find(kind);
    if (found != renderers.end()) found->second(note, noise, left, right, frames);
}
