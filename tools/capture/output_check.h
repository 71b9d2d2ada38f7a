#pragma once
// Checks, before any frame is drawn, that every output can be written, so a
// long run never fails at its end.
#include <string>

#include "tools/capture/options.h"

// Makes the show folder and every output path absolute against the current
// directory (the run itself works inside the show folder), creates the
// per-frame folder when needed, and checks that each folder takes new files.
// Returns an error text, empty when all is well.
std::string prepareOutputs(CaptureOptions& options);

// True when a new file can be created in `dir` (tried, then removed).
bool folderIsWritable(const std::string& dir);
