#pragma once
// The content generator's three parts. Each writes its files into the given
// folder, deterministically (same sources, same bytes), and returns false
// after printing what went wrong.
#include <string>

// "kelmuth.ogg" into resourcesDir, from the score in dataDir.
bool generateSong(const std::string& dataDir, const std::string& resourcesDir);

// Every ".jpg" picture into resourcesDir, from the recipes in dataDir.
bool generatePictures(const std::string& dataDir, const std::string& resourcesDir);

// "asteroid1.obj" .. "asteroid3.obj" into showDir.
bool generateMeshes(const std::string& dataDir, const std::string& showDir);
