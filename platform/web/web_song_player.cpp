// The page's sound: the song decoded here, by the same SongDecoder as the
// terminal show's, and played through the browser's Web Audio in chunks
// scheduled back to back on the audio context's clock.
//
// What has been heard is read from that clock, corrected for the output's
// latency (getOutputTimestamp), never from animation frames: a fast or slow
// screen, a busy machine or a background tab cannot make the picture drift
// from the sound.
//
// Browsers start sound only after a gesture: the context is made when the
// show starts (the page calls that from its click or key handler). When no
// context can be made, or the browser keeps it suspended, the player says
// so and counts time on a steady clock from where it was: the show plays
// silent and looks the same.
#include "engine/song_player.h"

#include <emscripten/emscripten.h>

#include <algorithm>
#include <vector>

#include "engine/vrl.h"

namespace {

// Frames per scheduled chunk, and how far ahead of the output the chunks
// reach: enough to ride out a background tab's once-a-second timer.
constexpr int kChunkFrames = 8192;
constexpr double kScheduleAheadSeconds = 1.5;
// The first chunk after a start or seek starts this much later than asked,
// so it is never late; the clock holds the new position until it is heard.
constexpr double kRestartLeadSeconds = 0.02;
// A suspended context this long after starting was refused.
constexpr double kStartGraceSeconds = 1.5;

}  // namespace

// The JavaScript half: one audio context and the chunks scheduled on it,
// kept on the module so that the page's timer can top the schedule up.
EM_JS(int, web_audio_available, (), {
    return (typeof AudioContext !== 'undefined' || typeof webkitAudioContext !== 'undefined') ? 1 : 0;
});

EM_JS(int, web_audio_create, (int rate), {
    const Context = typeof AudioContext !== 'undefined' ? AudioContext : webkitAudioContext;
    let context;
    try {
        context = new Context({ sampleRate: rate, latencyHint: 'interactive' });
    } catch (error) {
        try {
            context = new Context({ latencyHint: 'interactive' });
        } catch (error2) {
            Module.vgAudioError = String(error2.message || error2);
            return 0;
        }
    }
    // The context time being heard at performance time `atMs`: the output
    // timestamp, moved on by the time since it was taken while the output
    // runs; else the context time less the output latency.
    const heardTime = (atMs) => {
        if (context.getOutputTimestamp) {
            const stamp = context.getOutputTimestamp();
            if (stamp.contextTime > 0 || stamp.performanceTime > 0) {
                if (context.state !== 'running') return stamp.contextTime;
                return stamp.contextTime + Math.max(0, atMs - stamp.performanceTime) / 1000;
            }
        }
        const ahead = context.state === 'running' ? Math.max(0, atMs - performance.now()) / 1000 : 0;
        return context.currentTime - (context.outputLatency || context.baseLatency || 0) + ahead;
    };
    // anchorFrame of the song (at `rate` frames a second) is heard at the
    // context time anchorTime; the page reads these to measure the picture
    // against the sound.
    Module.vgAudio = { context, heardTime, sources: [], anchorTime: 0, anchorFrame: 0, rate,
                       nextTime: 0, refused: false };
    context.resume().catch((error) => {
        Module.vgAudio.refused = true;
        Module.vgAudioError = String(error.message || error);
    });
    return 1;
});

EM_JS(void, web_audio_close, (), {
    if (!Module.vgAudio) return;
    for (const source of Module.vgAudio.sources) source.stop();
    Module.vgAudio.context.close();
    Module.vgAudio = null;
});

EM_JS(int, web_audio_state, (), {
    // 0 running, 1 suspended, 2 closed or refused
    const audio = Module.vgAudio;
    if (!audio || audio.refused) return 2;
    return audio.context.state === 'running' ? 0 : audio.context.state === 'suspended' ? 1 : 2;
});

EM_JS(double, web_audio_now, (), { return Module.vgAudio ? Module.vgAudio.context.currentTime : 0; });

// The context time heard when the frame being drawn reaches the screen
// (the page sets vgDisplayAt around each frame), else now. Latching for
// that moment keeps the picture on what is heard while it is shown, not
// on what was heard a display refresh before.
EM_JS(double, web_audio_heard_time, (), {
    return Module.vgAudio.heardTime(Math.max(performance.now(), Module.vgDisplayAt || 0));
});

EM_JS(void, web_audio_suspend, (int suspend), {
    const context = Module.vgAudio.context;
    (suspend ? context.suspend() : context.resume()).catch(() => {});
});

// Stops every chunk; the next starts at `time` with song frame `frame`.
EM_JS(void, web_audio_restart, (double time, double frame), {
    const audio = Module.vgAudio;
    for (const source of audio.sources) { try { source.stop(); } catch (error) {} }
    audio.sources = [];
    audio.nextTime = time;
    audio.anchorTime = time;
    audio.anchorFrame = frame;
});

// Schedules `frames` planar float frames (left then right) at the next time.
EM_JS(void, web_audio_schedule, (const float* left, const float* right, int frames, int rate), {
    const audio = Module.vgAudio;
    const buffer = audio.context.createBuffer(2, frames, rate);
    buffer.copyToChannel(HEAPF32.subarray(left >> 2, (left >> 2) + frames), 0);
    buffer.copyToChannel(HEAPF32.subarray(right >> 2, (right >> 2) + frames), 1);
    const source = audio.context.createBufferSource();
    source.buffer = buffer;
    source.connect(audio.context.destination);
    const when = Math.max(audio.nextTime, audio.context.currentTime);
    source.start(when);
    audio.nextTime = when + frames / rate;
    audio.sources.push(source);
    source.onended = () => {
        const at = audio.sources.indexOf(source);
        if (at >= 0) audio.sources.splice(at, 1);
    };
});

EM_JS(double, web_audio_next_time, (), { return Module.vgAudio.nextTime; });

EM_JS(double, web_steady_seconds, (), { return performance.now() / 1000; });

struct SongPlayer::Output {
    SongDecoder* decoder = nullptr;
    bool open = false;
    bool contextMade = false;
    bool started = false;
    bool paused = true;
    bool silent = false;  // the browser gave no sound: the steady clock counts
    int rate = 0;
    double resumedAt = 0;  // steady seconds when the sound was last asked to run

    // The context time at which `anchorFrame` of the song is heard.
    double anchorTime = 0;
    std::int64_t anchorFrame = 0;
    std::int64_t scheduledFrame = 0;  // the next frame to schedule
    std::int64_t floor = 0;

    // The steady clock of a silent player: frames at steadyBase, from then on.
    double steadyBase = 0;
    std::int64_t steadyFrame = 0;

    std::vector<float> interleaved = std::vector<float>(2 * kChunkFrames);
    std::vector<float> left = std::vector<float>(kChunkFrames);
    std::vector<float> right = std::vector<float>(kChunkFrames);

    void scheduleAhead();
    void goSilent(const char* why);
    std::int64_t steadyFrames() const;
};

void SongPlayer::Output::scheduleAhead() {
    if (silent || !contextMade || paused) return;
    while (web_audio_next_time() < web_audio_now() + kScheduleAheadSeconds) {
        const long got = decoder->readStereo(interleaved.data(), kChunkFrames);
        // Past the end the output plays silence and the clock keeps running.
        std::fill(interleaved.begin() + 2 * got, interleaved.end(), 0.0f);
        for (int i = 0; i < kChunkFrames; ++i) {
            left[i] = interleaved[2 * i];
            right[i] = interleaved[2 * i + 1];
        }
        web_audio_schedule(left.data(), right.data(), kChunkFrames, rate);
        scheduledFrame += kChunkFrames;
    }
}

std::int64_t SongPlayer::Output::steadyFrames() const {
    if (paused) return steadyFrame;
    return steadyFrame + static_cast<std::int64_t>((web_steady_seconds() - steadyBase) * rate);
}

void SongPlayer::Output::goSilent(const char* why) {
    vrlMsg("No sound in this browser (%s): the show runs silent on a steady clock", why);
    steadyFrame = floor;
    steadyBase = web_steady_seconds();
    if (contextMade) web_audio_close();
    contextMade = false;
    silent = true;
}

SongPlayer::SongPlayer() : output_(std::make_unique<Output>()) {}

SongPlayer::~SongPlayer() { close(); }

bool SongPlayer::openDevice(SongDecoder* decoder, std::string& error) {
    close();
    if (!web_audio_available()) {
        error = "this browser has no Web Audio";
        return false;
    }
    Output& o = *output_;
    o.decoder = decoder;
    o.rate = decoder->sampleRate();
    o.open = true;
    return true;
}

bool SongPlayer::isOpen() const { return output_->open; }

void SongPlayer::close() {
    Output& o = *output_;
    if (o.contextMade) web_audio_close();
    o = Output{};
}

void SongPlayer::start() {
    Output& o = *output_;
    if (!o.open) return;
    o.started = true;
    o.paused = false;
    o.resumedAt = web_steady_seconds();
    if (!web_audio_create(o.rate)) {
        o.goSilent("the audio context could not be made");
        return;
    }
    o.contextMade = true;
    seek(0);
}

void SongPlayer::setPaused(bool paused) {
    Output& o = *output_;
    if (!o.open || paused == o.paused) return;
    // The position stands where it was heard when the pause was asked
    // for; the output stops a moment later, and resumes from there.
    if (paused) heardFrames();
    if (o.silent) {
        o.steadyFrame = o.steadyFrames();
        o.steadyBase = web_steady_seconds();
    } else if (o.contextMade) {
        web_audio_suspend(paused ? 1 : 0);
        if (!paused) o.resumedAt = web_steady_seconds();
    }
    o.paused = paused;
}

bool SongPlayer::paused() const { return output_->paused; }

void SongPlayer::seek(std::int64_t frame) {
    Output& o = *output_;
    if (!o.open) return;
    frame = std::max<std::int64_t>(frame, 0);
    o.decoder->seek(frame);
    o.floor = frame;
    if (o.silent) {
        o.steadyFrame = frame;
        o.steadyBase = web_steady_seconds();
        return;
    }
    if (!o.contextMade) return;
    const double at = web_audio_now() + kRestartLeadSeconds;
    web_audio_restart(at, static_cast<double>(frame));
    o.anchorTime = at;
    o.anchorFrame = frame;
    o.scheduledFrame = frame;
    o.scheduleAhead();
}

std::int64_t SongPlayer::heardFrames() {
    Output& o = *output_;
    if (!o.open || !o.started) return 0;
    if (!o.silent && o.contextMade) {
        const int state = web_audio_state();
        if (state == 2 || (state == 1 && !o.paused &&
                           web_steady_seconds() - o.resumedAt > kStartGraceSeconds))
            o.goSilent("the browser did not let the sound start");
    }
    std::int64_t heard;
    if (o.paused && !o.silent) {
        heard = o.floor;
    } else if (o.silent) {
        heard = o.steadyFrames();
    } else {
        o.scheduleAhead();
        const double since = std::max(0.0, web_audio_heard_time() - o.anchorTime);
        heard = std::min(o.anchorFrame + static_cast<std::int64_t>(since * o.rate), o.scheduledFrame);
    }
    o.floor = std::max(o.floor, heard);
    return o.floor;
}

int SongPlayer::sampleRate() const { return output_->rate; }

void SongPlayer::releaseSoundSystem() {}
