#pragma once
// Paths as messages name them: absolute and without "." or "..", so a user
// who started the program elsewhere still knows which file is meant.
#include <string>

// `path` made absolute against the working folder and normalised; as given
// when the working folder cannot be read.
std::string absolutePath(const std::string& path);
