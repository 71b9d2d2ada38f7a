#pragma once
// The engine's C-style interface: timeline, song and spectrum, archive,
// textures, frame buffer, timer and messages. One thread only.
//
// Pixel layout everywhere: red bits 0-7, green 8-15, blue 16-23.

#include "engine/base.h"
#include "engine/frame.h"
#include "engine/texture.h"
#include "engine/vector.h"

// Failures are never returned: each call says what went wrong once through
// the message log (vrlMsg) and carries on with a fallback, so the show
// always plays to its end.

// --- start-up ---------------------------------------------------------------
// 1: messages go to stderr (or wait while held); 0: they are dropped.
void vrlSetLogging(int on);
// Packs every regular file of `dir` (not recursive) into a ZIP archive of
// stored entries. A missing directory leaves any existing archive alone.
void vrlMakePAK(const char* dir, const char* file);
// Opens the archive pictures and the song are read from. One that cannot be
// opened is said; every picture then is a placeholder and the song is silent.
void vrlReadPak(const char* file);
// Does nothing. The show's start-up sequence calls it; there is only one
// engine instance, made on first use, so there is nothing to set up. Kept so
// that the start-up reads the same as the show's order of steps.
void vrlSetupInstances();
// The frame is always kFrameWidth x kFrameHeight (engine/frame.h), cleared
// to black. Another size is said and refused: effects draw the full frame.
void vrlInitFrameBuffer(int width, int height);
// Takes the manual clock when vrlUseManualClock asked for it; otherwise the
// clock is chosen by vrlLoadSong.
void vrlInitSound();
// Reads the song from the archive and opens the audio device. A missing or
// undecodable song, or no device, is said and the position runs on a steady
// clock instead (silent, same pictures); a damaged song plays what decodes.
void vrlLoadSong(const char* name);
// 1 starts the clock (and the sound); 0 does nothing: the show never stops
// the song, and pausing is the Space key's (vrlCheckControls).
void vrlPlaySong(int play);
// Registers a render-to-texture target of the given size (at least 1 x 1).
// Nothing reads these targets: every effect draws into its own buffers or
// the frame. The show registers its three all the same, so they stay as the
// place such a target would come from.
void vrlAddRenderToTexture(int width, int height, const char* name);
// The engine owns `effect` from here on and deletes it at vrlShutDown.
void vrlAddEffect(unsigned long start, unsigned long end, int priority, const char* name,
                  NORVALE_VIRELLO::Base* effect);
// Calls init(start, end) of every registered effect, in registration order.
void vrlInitEffects();
// Sets the latched position to 0.
void vrlInitTimer();

// --- per frame --------------------------------------------------------------
// Latches the song position; every read until the next call agrees.
void vrlUpdateTimer();
// Left/Right seek by `step` ms, Space pauses and resumes.
void vrlCheckControls(float step);
// Draws every effect with start <= position < end, highest priority first;
// equal priorities run in registration order.
void vrlRun();
// The latched song position in ms (0 before the first vrlUpdateTimer).
int vrlGetModulePosition();
// kFramePixels pixels, rows of kFrameStride, never null.
unsigned int* vrlGetFrameBuffer();
// 512 non-negative magnitudes of a 1024-sample Hann-windowed FFT of the mono
// song ending at the latched position, times kSpectrumGain (engine/spectrum.h).
// Without a song they are 0; values past 512 are 0; a null `out` or a count
// of 0 or less writes nothing.
void vrlGetSpectrum(float* out, int count);
// Never null: a missing or broken picture yields a 640 x 480 placeholder.
NORVALE_VIRELLO::Texture* vrlGetTexture(const char* name);

// --- messages and shutdown --------------------------------------------------
// One printf-formatted line (the line break added when missing) to stderr,
// or kept while held; nothing with logging off. Cut at 1023 bytes.
void vrlMsg(const char* format, ...) __attribute__((format(printf, 1, 2)));
// Like vrlMsg, but a text already said since start-up (or the last
// vrlShutDown) is not said again: for faults met once per use, such as a
// missing file several effects ask for.
void vrlMsgOnce(const char* format, ...) __attribute__((format(printf, 1, 2)));
// Deletes the effects, textures and archive, closes the sound, prints held
// messages and leaves a fresh engine: start-up may run again.
void vrlShutDown();

// --- beyond the show: the console layer, tools and tests --------------------
// While held, messages are kept in memory (so they never scribble over the
// console picture) and printed to stderr when released or at shutdown.
void vrlHoldMessages(int hold);

// Keys the engine understands. The console layer pumps its input once per
// frame and hands the engine what it saw through this source.
enum vrlKey { VRL_KEY_LEFT = 1, VRL_KEY_RIGHT = 2, VRL_KEY_SPACE = 3 };
// The source writes at most `capacity` keys and returns how many; a count
// out of 0..capacity is clamped. vrlCheckControls asks again while a batch
// comes back full, so a burst is taken whole and in order. Null (the
// default) means no keys.
using vrlKeySource = int (*)(int* keys, int capacity);
// Where vrlCheckControls takes its keys from; null for none. vrlShutDown
// forgets it.
void vrlSetKeySource(vrlKeySource source);

// Muted: call before vrlLoadSong. The song is read for its spectrum but no
// audio device is opened; the position runs on the steady clock.
void vrlMuteSound(int mute);
// Moves the song and the show to `ms` (clamped at 0), as the seek keys do.
void vrlSeek(int ms);
// The process was stopped (SIGTSTP, SIGSTOP) and has just been continued:
// the time it stood still must not count. The steady clock goes on from the
// latched position; the sound device stood still with the process, and its
// clock counts what was heard, so it needs nothing.
void vrlContinueAfterStop();

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
// How many effects vrlAddEffect registered since start-up (or the last
// vrlShutDown); 0 for none.
int vrlGetEffectCount();
// Registration order; null for an index out of 0..count-1.
const vrlTimelineEntry* vrlGetEffectEntry(int index);

int vrlIsAudioLive();    // a sound device is playing the song
int vrlGetSongLength();  // ms, 0 without a song
int vrlIsPaused();      // Space toggles it; a seek keeps it
