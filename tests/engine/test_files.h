#pragma once
// Small fixtures the engine tests make for themselves: a scratch folder, a
// JPEG, an Ogg Vorbis song.
#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

// A fresh empty folder under the system's temp dir, removed by the caller.
std::filesystem::path makeScratchDir(const std::string& name);

void writeFile(const std::filesystem::path& path, const std::vector<std::uint8_t>& bytes);
std::vector<std::uint8_t> readFile(const std::filesystem::path& path);

// Encodes `rgb` (width * height * 3 bytes) as a quality-100 JPEG.
std::vector<std::uint8_t> encodeJpeg(const std::vector<std::uint8_t>& rgb, int width, int height);

// A stereo 44.1 kHz Ogg Vorbis file: `seconds` of a sine of `frequency` Hz
// at `amplitude` (full scale 1.0) on the left channel and `rightAmplitude`
// (by default the same) on the right; with `channels` 1, the left alone.
std::vector<std::uint8_t> encodeSineSong(double frequency, double amplitude, double seconds,
                                         double rightAmplitude = -1.0, int channels = 2);
