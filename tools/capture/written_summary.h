#pragma once
// Words for the closing line of a run: what was written, where, how big,
// and how long it took.
#include <chrono>
#include <cstdint>
#include <string>

// "1.5 kB", "87.3 MB": decimal units, as file managers show them.
std::string describeSize(std::uintmax_t bytes);
// "0.4 s", "5 min 12 s".
std::string describeDuration(std::chrono::steady_clock::duration took);
// The path made absolute, then its size: "/home/me/show.mp4 (87.3 MB)".
std::string describeFile(const std::string& path);
