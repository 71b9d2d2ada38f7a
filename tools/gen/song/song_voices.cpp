#include "tools/gen/song/song_voices.h"

#include <algorithm>
#include <cmath>
#include <map>

#include "tools/gen/song/song_drum_voices.h"
#include "tools/gen/song/song_tone_voices.h"

void renderVoice(const std::string& kind, const SongNote& note, SongRandom& noise, float* left, float* right,
                 std::int64_t frames) {
    using Render = void (*)(const SongNote&, SongRandom&, float*, float*, std::int64_t);
    static const std::map<std::string, Render> renderers = {
        {"kick", kickVoice}, {"snare", snareVoice}, {"clap", clapVoice}, {"hat", hatVoice},
        {"riser", riserVoice}, {"bass", bassVoice}, {"pad", padVoice}, {"lead", leadVoice},
        {"pluck", pluckVoice}, {"bell", bellVoice},
    };
    const auto found = renderers.find(kind);
    if (found != renderers.end()) found->second(note, noise, left, right, frames);
}
