// The vrl functions: the engine's one state and the glue between its parts.
#include <algorithm>
#include <array>
#include <climits>
#include <cstdio>
#include <cstring>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "engine/archive.h"
#include "engine/frame.h"
#include "engine/messages.h"
#include "engine/ogg_pages.h"
#include "engine/resource_packing.h"
#include "engine/song_clock.h"
#include "engine/song_player.h"
#include "engine/song_spectrum.h"
#include "engine/texture_store.h"
#include "engine/timeline.h"
#include "engine/vrl.h"

using NORVALE_VIRELLO::Base;
using NORVALE_VIRELLO::Texture;

namespace {

struct Engine {
    Archive archive;
    std::string archiveName;
    // What vrlMakePAK made of the archive it was asked for, which vrlReadPak
    // then reads under that name.
    std::string packedName;
    PackedResources packed;
    std::map<std::string, std::unique_ptr<Texture>> textures;
    std::vector<unsigned int> frameBuffer = std::vector<unsigned int>(kFramePixels, 0u);
    std::map<std::string, std::vector<unsigned int>> renderTargets;

    bool manualClock = false;
    bool muted = false;
    std::vector<std::uint8_t> songBytes;
    SongDecoder playDecoder;
    SongSpectrum spectrum;
    SongPlayer player;
    SongClock clock;
    int songLengthMs = 0;

    int latchedMs = 0;
    std::optional<std::array<float, kSpectrumBins>> injectedSpectrum;
    std::array<float, kSpectrumBins> cachedSpectrum{};
    std::optional<int> cachedSpectrumMs;

    Timeline timeline;
    vrlKeySource keySource = nullptr;
};

// The engine is a single instance by design, like the library it stands
// in for; vrlShutDown replaces it with a fresh one.
std::unique_ptr<Engine>& enginePtr() {
    static std::unique_ptr<Engine> instance = std::make_unique<Engine>();
    return instance;
}

Engine& engine() { return *enginePtr(); }

void useSilentClock(const char* why) {
    vrlMsg("%s: the show runs silent on a steady clock", why);
    engine().clock.useSteady();
}

void fillSpectrumFromSong(float* out) {
    Engine& e = engine();
    if (!e.spectrum.isOpen()) {
        std::fill(out, out + kSpectrumBins, 0.0f);
        return;
    }
    if (e.cachedSpectrumMs != e.latchedMs) {
        const std::int64_t frame =
            std::max<std::int64_t>(e.latchedMs, 0) * e.spectrum.sampleRate() / 1000;
        e.spectrum.spectrumAt(frame, e.cachedSpectrum.data());
        e.cachedSpectrumMs = e.latchedMs;
    }
    std::copy(e.cachedSpectrum.begin(), e.cachedSpectrum.end(), out);
}

// "m:ss.t" of a sample position.
std::string songTime(std::int64_t frames, int rate) {
    const std::int64_t tenths = frames * 10 / std::max(rate, 1);
    char text[32];
    std::snprintf(text, sizeof text, "%lld:%02lld.%lld", static_cast<long long>(tenths / 600),
                  static_cast<long long>(tenths / 10 % 60), static_cast<long long>(tenths % 10));
    return text;
}

// A damaged song still plays what can be decoded; the user hears of the
// damage once, at loading, with where it lies.
void reportSongDamage(const char* name, const std::vector<std::uint8_t>& bytes, int rate) {
    const OggPageReport pages = inspectOggPages(bytes);
    if (pages.unreadableBytes > 0)
        vrlMsg("Song %s is damaged after %s (%lld bytes unreadable): it skips there", name,
               songTime(pages.damagedAfterGranule, rate).c_str(),
               static_cast<long long>(pages.unreadableBytes));
    if (pages.cutShort)
        vrlMsg("Song %s is cut short: it stops at %s, silence follows", name,
               songTime(pages.lastGranule, rate).c_str());
}

// Each key acts on the position the previous one left.
void applyKey(SongClock& clock, int key, int stepMs) {
    const long long now = clock.now();
    switch (key) {
        case VRL_KEY_LEFT: clock.seekTo(static_cast<int>(std::max(now - stepMs, 0LL))); break;
        case VRL_KEY_RIGHT: clock.seekTo(static_cast<int>(std::min<long long>(now + stepMs, INT_MAX))); break;
        case VRL_KEY_SPACE: clock.setPaused(!clock.paused()); break;
        default: break;
    }
}

constexpr int kMaxKeyRounds = 4096;

}  // namespace

void vrlMakePAK(const char* dir, const char* file) {
    Engine& e = engine();
    e.packed = packResources(dir, file);
    e.packedName = file;
    if (!e.packed.leftOut.empty()) vrlMsg("%s", e.packed.leftOut.c_str());
    if (!e.packed.note.empty()) vrlMsg("%s", e.packed.note.c_str());
}

void vrlReadPak(const char* file) {
    Engine& e = engine();
    std::string error;
    e.archiveName = file;
    bool opened = false;
    if (e.packedName == file && e.packed.path.empty())
        opened = e.archive.openMemory(std::move(e.packed.bytes), error);
    else if (e.packedName == file)
        opened = e.archive.open(e.packed.path, error);
    else
        opened = e.archive.open(file, error);
    e.packed = {};
    e.packedName.clear();
    if (!opened)
        vrlMsg("Cannot open archive %s (%s): pictures and song are unavailable", file,
               error.c_str());
}

void vrlSetupInstances() {}

void vrlInitFrameBuffer(int width, int height) {
    // Every effect draws kFrameWidth x kFrameHeight pixels whatever was
    // asked: a smaller buffer would be written past its end.
    if (width != kFrameWidth || height != kFrameHeight)
        vrlMsg("Frame buffer %d x %d asked for; the show draws %d x %d", width, height, kFrameWidth,
               kFrameHeight);
    engine().frameBuffer.assign(kFramePixels, 0u);
}

void vrlInitSound() {
    if (engine().manualClock) engine().clock.useManual();
}

void vrlLoadSong(const char* name) {
    Engine& e = engine();
    std::string error;
    auto bytes = e.archive.read(name, error);
    if (!bytes) {
        vrlMsg("Cannot read song %s (%s)", name, error.c_str());
        if (!e.manualClock) useSilentClock("No song");
        return;
    }
    e.songBytes = std::move(*bytes);
    if (!e.playDecoder.open(&e.songBytes, error) || !e.spectrum.open(&e.songBytes, error)) {
        vrlMsg("Cannot decode song %s (%s)", name, error.c_str());
        e.songBytes.clear();
        if (!e.manualClock) useSilentClock("No song");
        return;
    }
    // A damaged last page can state any length; none may overflow here.
    const std::int64_t frames = std::min<std::int64_t>(e.playDecoder.lengthFrames(), INT64_MAX / 1000);
    e.songLengthMs =
        static_cast<int>(std::min<std::int64_t>(frames * 1000 / e.playDecoder.sampleRate(), INT_MAX));
    reportSongDamage(name, e.songBytes, e.playDecoder.sampleRate());
    if (e.manualClock) return;
    if (e.muted) {
        e.clock.useSteady();
        return;
    }
    if (!e.player.openDevice(&e.playDecoder, error)) {
        vrlMsg("No sound device (%s)", error.c_str());
        useSilentClock("No sound device");
        return;
    }
    e.clock.useAudio(&e.player);
}

void vrlPlaySong(int play) {
    if (play) engine().clock.start();
}

void vrlAddRenderToTexture(int width, int height, const char* name) {
    width = std::max(width, 1);
    height = std::max(height, 1);
    engine().renderTargets[name].assign(static_cast<std::size_t>(width) * height, 0u);
}

void vrlAddEffect(unsigned long start, unsigned long end, int priority, const char* name,
                  Base* effect) {
    engine().timeline.add(start, end, priority, name, effect);
}

void vrlInitEffects() { engine().timeline.initAll(); }

void vrlInitTimer() { engine().latchedMs = 0; }

void vrlUpdateTimer() { engine().latchedMs = engine().clock.now(); }

void vrlCheckControls(float step) {
    Engine& e = engine();
    if (!e.keySource) return;
    const int stepMs = static_cast<int>(std::clamp(step, 0.0f, 3600000.0f));
    constexpr int kBatch = 32;
    // A full batch means more may wait: ask again, so a burst of keys in one
    // frame all count. The round limit only stops a source that never runs dry.
    for (int round = 0; round < kMaxKeyRounds; ++round) {
        int keys[kBatch];
        const int count = std::clamp(e.keySource(keys, kBatch), 0, kBatch);
        for (int i = 0; i < count; ++i) applyKey(e.clock, keys[i], stepMs);
        if (count < kBatch) break;
    }
}

void vrlRun() { engine().timeline.runAt(engine().latchedMs); }

int vrlGetModulePosition() { return engine().latchedMs; }

unsigned int* vrlGetFrameBuffer() { return engine().frameBuffer.data(); }

void vrlGetSpectrum(float* out, int count) {
    if (!out || count <= 0) return;
    float values[kSpectrumBins];
    if (engine().injectedSpectrum)
        std::copy(engine().injectedSpectrum->begin(), engine().injectedSpectrum->end(), values);
    else
        fillSpectrumFromSong(values);
    for (int i = 0; i < count; ++i) out[i] = i < kSpectrumBins ? values[i] : 0.0f;
}

Texture* vrlGetTexture(const char* name) {
    Engine& e = engine();
    const std::string key = name ? name : "";
    auto found = e.textures.find(key);
    if (found != e.textures.end()) return found->second.get();
    std::string error;
    std::unique_ptr<Texture> texture;
    if (auto bytes = e.archive.read(key, error)) texture = decodeJpeg(*bytes, error);
    if (!texture) {
        vrlMsg("Cannot load picture %s (%s); showing a placeholder", key.c_str(), error.c_str());
        texture = makePlaceholderTexture();
    }
    Texture* result = texture.get();
    e.textures[key] = std::move(texture);
    return result;
}

void vrlShutDown() {
    Engine& e = engine();
    e.player.close();
    e.timeline.destroyAll();
    e.textures.clear();
    e.archive.close();
    enginePtr() = std::make_unique<Engine>();
    SongPlayer::releaseSoundSystem();
    messagesSetHeld(false);
    messagesForgetSaid();
}

void vrlSetKeySource(vrlKeySource source) { engine().keySource = source; }

void vrlMuteSound(int mute) { engine().muted = mute != 0; }

void vrlSeek(int ms) { engine().clock.seekTo(ms); }

void vrlContinueAfterStop() {
    Engine& e = engine();
    if (e.clock.source() == SongClock::Source::Steady) e.clock.seekTo(e.latchedMs);
}

void vrlUseManualClock(int manual) {
    engine().manualClock = manual != 0;
    if (manual) engine().clock.useManual();
}

void vrlSetPosition(int ms) {
    engine().clock.setManual(ms);
    if (engine().clock.source() == SongClock::Source::Manual) engine().latchedMs = ms;
}

void vrlInjectSpectrum(const float* values) {
    if (!values) {
        engine().injectedSpectrum.reset();
        return;
    }
    std::array<float, kSpectrumBins> copy;
    std::copy(values, values + kSpectrumBins, copy.begin());
    engine().injectedSpectrum = copy;
}

int vrlGetEffectCount() { return engine().timeline.count(); }

const vrlTimelineEntry* vrlGetEffectEntry(int index) { return engine().timeline.entry(index); }

int vrlIsAudioLive() { return engine().clock.source() == SongClock::Source::Audio; }

int vrlGetSongLength() { return engine().songLengthMs; }

int vrlIsPaused() { return engine().clock.paused(); }
