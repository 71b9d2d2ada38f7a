#pragma once
// The test song the engine tests make for themselves.
#include <cstdint>
#include <vector>

// A stereo 44.1 kHz Ogg Vorbis file: `seconds` of a sine of `frequency` Hz
// at `amplitude` (full scale 1.0) on the left channel and `rightAmplitude`
// (by default the same) on the right; with `channels` 1, the left alone.
std::vector<std::uint8_t> encodeSineSong(double frequency, double amplitude, double seconds,
                                         double rightAmplitude = -1.0, int channels = 2);
