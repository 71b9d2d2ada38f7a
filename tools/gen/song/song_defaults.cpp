#include "tools/gen/song/song_defaults.h"

namespace {

SongParams withMix(SongParams params) {
    params.insert({{"level", 1.0f}, {"pan", 0.0f}, {"reverb", 0.0f}, {"delay", 0.0f}, {"duck", 0.0f}});
    return params;
}

const std::map<std::string, SongParams>& allDefaults() {
    static const std::map<std::string, SongParams> defaults = {
        {"kick", withMix({{"start", 180}, {"end", 48}, {"sweep", 0.04f}, {"decay", 0.4f}, {"click", 0.25f},
                          {"clicktone", 9000}, {"clickdecay", 0.003f}, {"drive", 1.5f}, {"noise", 0.0f},
                          {"noisehold", 0.0f}, {"noisedecay", 0.02f}, {"noisetone", 12000}, {"noiselow", 400}})},
        {"snare", withMix({{"tone", 190}, {"tonedecay", 0.08f}, {"noise", 0.8f}, {"noisedecay", 0.16f},
                           {"cutoff", 1800}})},
        {"clap", withMix({{"cutoff", 1300}, {"resonance", 0.3f}, {"decay", 0.2f}, {"spread", 0.011f}})},
        {"hat", withMix({{"cutoff", 7500}, {"resonance", 0.2f}, {"decay", 0.05f}})},
        {"riser", withMix({{"low", 200}, {"high", 8000}, {"resonance", 0.6f}, {"curve", 2.0f}, {"fall", 0.0f}})},
        {"bass", withMix({{"cutoff", 250}, {"env", 2000}, {"filterdecay", 0.15f}, {"resonance", 0.5f},
                          {"release", 0.05f}, {"sub", 0.5f}, {"drive", 1.0f}})},
        {"pad", withMix({{"voices", 5}, {"detune", 0.15f}, {"cutoff", 2500}, {"resonance", 0.1f},
                         {"attack", 1.0f}, {"release", 1.5f}, {"width", 0.8f}, {"air", 0.0f}, {"aircutoff", 6000},
                         {"decay", 1.0f}, {"sustain", 1.0f}})},
        {"lead", withMix({{"detune", 0.08f}, {"pulse", 0.3f}, {"cutoff", 1800}, {"env", 3000},
                          {"filterdecay", 0.3f}, {"resonance", 0.3f}, {"attack", 0.01f}, {"release", 0.2f},
                          {"vibrato", 0.15f}, {"vibratorate", 5.5f}, {"vibratodelay", 0.3f}})},
        {"pluck", withMix({{"cutoff", 600}, {"env", 4000}, {"filterdecay", 0.12f}, {"resonance", 0.4f},
                           {"decay", 0.25f}, {"pulse", 0.5f}, {"release", 0.05f}})},
        {"bell", withMix({{"ratio", 3.5f}, {"index", 3.0f}, {"indexdecay", 0.4f}, {"decay", 1.2f}})},
    };
    return defaults;
}

}  // namespace

const SongParams* voiceDefaults(const std::string& kind) {
    const auto found = allDefaults().find(kind);
    return found == allDefaults().end() ? nullptr : &found->second;
}

bool voiceIsPitched(const std::string& kind) {
    return kind == "bass" || kind == "pad" || kind == "lead" || kind == "pluck" || kind == "bell";
}

SongParams sidechainDefaults() { return {{"attack", 0.004f}, {"release", 0.18f}}; }
SongParams reverbDefaults() { return {{"room", 0.8f}, {"damp", 0.4f}, {"width", 1.0f}, {"return", 1.0f}}; }
SongParams delayDefaults() {
    return {{"beats", 0.75f}, {"feedback", 0.35f}, {"tone", 3000.0f}, {"return", 1.0f}, {"reverb", 0.2f}};
}
SongParams masterDefaults() {
    return {{"loudness", -14.0f}, {"ceiling", -1.6f}, {"lowcut", 25.0f}, {"quality", 0.6f}};
}
