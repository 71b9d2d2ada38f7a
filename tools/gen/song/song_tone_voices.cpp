#include "tools/gen/song/song_tone_voices.h"

#include <algorithm>
#include <cmath>

#include "tools/gen/song/song_dsp.h"
#include "tools/gen/song/song_voice_parts.h"

using namespace song_voice_parts;

void bassVoice(const SongNote& n, SongRandom&, float* left, float* right, std::int64_t frames) {
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

void padVoice(const SongNote& n, SongRandom& noise, float* left, float* right, std::int64_t frames) {
    const SongParams& p = n.params;
    const int voices = static_cast<int>(std::clamp(p.at("voices"), 1.0f, 9.0f));
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
    // After the attack the level falls toward the sustain level: a pad with
    // a low sustain is a held chord stab that still swells in quickly.
    const float sustain = std::clamp(p.at("sustain"), 0.0f, 1.0f), decayStep = decayFactor(p.at("decay"));
    float held = 1.0f;
    for (std::int64_t i = 0; i < span.count; ++i) {
        float l = 0.0f, r = 0.0f;
        for (int v = 0; v < voices; ++v) {
            const float s = saws[v].next(increments[v]);
            l += s * panLeft[v];
            r += s * panRight[v];
        }
        const double t = static_cast<double>(i) / kSongRate;
        const float amp = gateEnvelope(t, attack, n.gateSeconds, release) * held * norm;
        if (t >= attack) held = sustain + (held - sustain) * decayStep;
        float airLeft = 0.0f, airRight = 0.0f;
        if (air > 0.0f) {
            airLeft = breath[0].highPass(noise.bipolar()) * air;
            airRight = breath[1].highPass(noise.bipolar()) * air;
        }
        left[span.first + i] += (filters[0].lowPass(l) + airLeft) * amp;
        right[span.first + i] += (filters[1].lowPass(r) + airRight) * amp;
    }
}

void leadVoice(const SongNote& n, SongRandom&, float* left, float* right, std::int64_t frames) {
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

void pluckVoice(const SongNote& n, SongRandom&, float* left, float* right, std::int64_t frames) {
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

void bellVoice(const SongNote& n, SongRandom&, float* left, float* right, std::int64_t frames) {
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
