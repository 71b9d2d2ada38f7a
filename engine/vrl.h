#pragma once
// The engine's C-style interface: timeline, song and spectrum, archive,
// textures, frame buffer, timer and messages. One thread only.
//
// Pixel layout everywhere: red bits 0-7, green 8-15, blue 16-23.

#include "engine/base.h"
#include "engine/texture.h"
#include "engine/vector.h"

// --- start-up ---------------------------------------------------------------
void vrlSetLogging(int on);
// Packs every regular file of `dir` (not recursive) into a ZIP archive of
// stored entries. A missing directory leaves any existing archive alone.
void vrlMakePAK(const char* dir, const char* file);
void vrlReadPak(const char* file);
void vrlSetupInstances();
void vrlInitFrameBuffer(int width, int height);
void vrlInitSound();
void vrlLoadSong(const char* name);
void vrlPlaySong(int play);
void vrlAddRenderToTexture(int width, int height, const char* name);
void vrlAddEffect(unsigned long start, unsigned long end, int priority, const char* name,
                  NORVALE_VIRELLO::Base* effect);
void vrlInitEffects();
void vrlInitTimer();

// --- per frame --------------------------------------------------------------
// Latches the song position; every read until the next call agrees.
void vrlUpdateTimer();
// Left/Right seek by `step` ms, Space pauses and resumes.
void vrlCheckControls(float step);
// Draws every effect with start <= position < end, highest priority first;
// equal priorities run in registration order.
void vrlRun();
int vrlGetModulePosition();
unsigned int* vrlGetFrameBuffer();
// 512 non-negative magnitudes of a 1024-sample Hann-windowed FFT of the mono
// song ending at the latched position, times kSpectrumGain (engine/spectrum.h).
void vrlGetSpectrum(float* out, int count);
// Never null: a missing or broken picture yields a 640 x 480 placeholder.
NORVALE_VIRELLO::Texture* vrlGetTexture(const char* name);

// --- messages and shutdown --------------------------------------------------
void vrlMsg(const char* format, ...) __attribute__((format(printf, 1, 2)));
// Like vrlMsg, but a text already said since start-up (or the last
// vrlShutDown) is not said again: for faults met once per use, such as a
// missing file several effects ask for.
void vrlMsgOnce(const char* format, ...) __attribute__((format(printf, 1, 2)));
void vrlShutDown();

// --- beyond the show: the console layer, tools and tests --------------------
// While held, messages are kept in memory (so they never scribble over the
// console picture) and printed to stderr when released or at shutdown.
void vrlHoldMessages(int hold);

// Keys the engine understands. The console layer pumps its input once per
// frame and hands the engine what it saw through this source.
enum vrlKey { VRL_KEY_LEFT = 1, VRL_KEY_RIGHT = 2, VRL_KEY_SPACE = 3 };
using vrlKeySource = int (*)(int* keys, int capacity);  // returns count
void vrlSetKeySource(vrlKeySource source);

// Muted: call before vrlLoadSong. The song is read for its spectrum but no
// audio device is opened; the position runs on the steady clock.
void vrlMuteSound(int mute);
// Moves the song and the show to `ms` (clamped at 0), as the seek keys do.
void vrlSeek(int ms);

// The manual clock: call before vrlInitSound. No audio device is opened; the
// position only moves through vrlSetPosition. Spectrum and textures work as
// in the show.
void vrlUseManualClock(int manual);
void vrlSetPosition(int ms);  // latched at once
// Replaces the song's spectrum with fixed values (512 floats) until called
// with null. Lets effects be tested without any song.
void vrlInjectSpectrum(const float* values);

struct vrlTimelineEntry {
    unsigned long start;
    unsigned long end;
    int priority;
    const char* name;
    NORVALE_VIRELLO::Base* effect;
};
int vrlGetEffectCount();
const vrlTimelineEntry* vrlGetEffectEntry(int index);  // registration order

int vrlIsAudioLive();    // a sound device is playing the song
int vrlGetSongLength();  // ms, 0 without a song
int vrlIsPaused();
