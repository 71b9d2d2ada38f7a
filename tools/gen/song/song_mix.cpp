#include "tools/gen/song/song_mix.h"

#include <algorithm>
#include <cmath>

#include "tools/gen/song/song_arrangement.h"
#include "tools/gen/song/song_delay.h"
#include "tools/gen/song/song_dsp.h"
#include "tools/gen/song/song_random.h"
#include "tools/gen/song/song_reverb.h"
#include "tools/gen/song/song_voices.h"

namespace {

struct Buses {
    SongAudio dry, reverb, delay;
};

SongAudio silence(long frames) { return {std::vector<float>(frames, 0.0f), std::vector<float>(frames, 0.0f)}; }

// How deep the sidechain pulls the ducked tracks down at every sample, 0..1:
// in quickly at each hit of the source, then back out.
std::vector<float> duckCurve(const SongScore& score, long frames) {
    std::vector<float> curve(frames, 0.0f);
    std::vector<SongNote> hits;
    for (const std::string& source : score.sidechainSources) {
        const std::vector<SongNote> more = arrangeNotes(score, source);
        hits.insert(hits.end(), more.begin(), more.end());
    }
    std::stable_sort(hits.begin(), hits.end(),
                     [](const SongNote& a, const SongNote& b) { return a.startSeconds < b.startSeconds; });
    const double attack = std::clamp(score.sidechain.at("attack"), 0.0005f, 1.0f);
    const float releaseStep = static_cast<float>(std::exp(-1.0 / (std::max(score.sidechain.at("release"), 0.001f) * kSongRate)));
    const long attackFrames = static_cast<long>(attack * kSongRate);
    for (std::size_t h = 0; h < hits.size(); ++h) {
        const long first = std::lround(hits[h].startSeconds * kSongRate);
        const long last = h + 1 < hits.size() ? std::lround(hits[h + 1].startSeconds * kSongRate) : frames;
        float level = 1.0f;
        for (long i = std::max(first, 0L); i < std::min(last, frames); ++i) {
            const long t = i - first;
            if (t < attackFrames) {
                curve[i] = static_cast<float>(t) / attackFrames;
            } else {
                curve[i] = level;
                level *= releaseStep;
            }
        }
    }
    return curve;
}

// The track's level at every sample: its own level, moved by the ramps.
std::vector<float> levelCurve(const SongScore& score, const SongInstrument& instrument, long frames) {
    std::vector<float> curve(frames, instrument.params.at("level"));
    for (const SongLevelRamp& ramp : arrangeLevels(score, instrument.name)) {
        const long first = std::clamp(std::lround(ramp.startSeconds * kSongRate), 0L, frames);
        const long last = std::clamp(std::lround(ramp.endSeconds * kSongRate), 0L, frames);
        for (long i = first; i < last; ++i)
            curve[i] = ramp.from + (ramp.to - ramp.from) * static_cast<float>(i - first) / static_cast<float>(last - first);
    }
    return curve;
}

void mixTrack(const SongScore& score, const SongInstrument& instrument, const std::vector<float>& duck,
              SongRandom& noise, Buses& buses) {
    const long frames = buses.dry.frames();
    SongAudio track = silence(frames);
    for (const SongNote& note : arrangeNotes(score, instrument.name))
        renderVoice(instrument.kind, note, noise, track.left.data(), track.right.data(), frames);

    const std::vector<float> level = levelCurve(score, instrument, frames);
    const SongParams& p = instrument.params;
    // Equal-power pan, normalised so the centre passes both sides unchanged.
    const float angle = (std::clamp(p.at("pan"), -1.0f, 1.0f) + 1.0f) * 0.785398163f;
    const float panLeft = std::cos(angle) * 1.41421356f, panRight = std::sin(angle) * 1.41421356f;
    const float duckDepth = std::clamp(p.at("duck"), 0.0f, 1.0f);
    const float reverbSend = p.at("reverb"), delaySend = p.at("delay");
    for (long i = 0; i < frames; ++i) {
        const float gain = level[i] * (1.0f - duckDepth * duck[i]);
        const float l = track.left[i] * gain * panLeft, r = track.right[i] * gain * panRight;
        buses.dry.left[i] += l;
        buses.dry.right[i] += r;
        buses.reverb.left[i] += l * reverbSend;
        buses.reverb.right[i] += r * reverbSend;
        buses.delay.left[i] += l * delaySend;
        buses.delay.right[i] += r * delaySend;
    }
}

void addScaled(SongAudio& into, const SongAudio& from, float gain) {
    for (long i = 0; i < into.frames(); ++i) {
        into.left[i] += from.left[i] * gain;
        into.right[i] += from.right[i] * gain;
    }
}

// Low cut against rumble and offset, and the fade to silence at the end.
void finishMaster(const SongScore& score, SongAudio& mix) {
    StateVariableFilter lowCut[2];
    lowCut[0].setup(score.master.at("lowcut"), 0.0f);
    lowCut[1].setup(score.master.at("lowcut"), 0.0f);
    const long fadeStart = std::lround(score.fadeStartSeconds * kSongRate);
    const long frames = mix.frames();
    for (long i = 0; i < frames; ++i) {
        float gain = 1.0f;
        if (i >= fadeStart && frames > fadeStart) {
            const double progress = static_cast<double>(i - fadeStart) / static_cast<double>(frames - fadeStart);
            gain = static_cast<float>(0.5 + 0.5 * std::cos(3.141592653589793 * progress));
        }
        mix.left[i] = lowCut[0].highPass(mix.left[i]) * gain;
        mix.right[i] = lowCut[1].highPass(mix.right[i]) * gain;
    }
}

}  // namespace

SongAudio mixSong(const SongScore& score, const std::function<void(const std::string&)>& progress) {
    const long frames = std::lround(score.lengthSeconds * kSongRate);
    Buses buses{silence(frames), silence(frames), silence(frames)};
    const std::vector<float> duck = duckCurve(score, frames);
    SongRandom noise(score.seed);
    int done = 0;
    for (const SongInstrument& instrument : score.instruments) {
        mixTrack(score, instrument, duck, noise, buses);
        progress("track " + instrument.name + " (" + std::to_string(++done) + "/" +
                 std::to_string(score.instruments.size()) + ")");
    }

    SongDelay delay(score.delay, score.secondsPerBeat());
    delay.process(buses.delay.left.data(), buses.delay.right.data(), frames);
    addScaled(buses.dry, buses.delay, score.delay.at("return"));
    addScaled(buses.reverb, buses.delay, score.delay.at("reverb"));
    buses.delay = SongAudio{};
    SongReverb reverb(score.reverb);
    reverb.process(buses.reverb.left.data(), buses.reverb.right.data(), frames);
    addScaled(buses.dry, buses.reverb, score.reverb.at("return"));
    progress("delay and reverb");

    finishMaster(score, buses.dry);
    return std::move(buses.dry);
}
