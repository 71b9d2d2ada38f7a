#pragma once
// Every output is written under a temporary name beside its target and
// renamed over it only once complete: a full disk or a failed encoder never
// leaves a truncated file under the real name, nor spoils an older good one.
#include <cstdio>
#include <functional>
#include <string>

// The temporary name for `path`: a hidden file in the same folder (so the
// rename cannot cross file systems) that keeps the extension, for programs
// that choose a format by it.
std::string temporaryNameFor(const std::string& path);

// Writes through the temporary name with `write`, which returns the reason
// it failed (as strerror words) or empty; then flushes, closes and renames.
// Returns empty, or "cannot write PATH: REASON" with the system's reason.
std::string writeThroughTemporary(const std::string& path,
                                  const std::function<std::string(std::FILE*)>& write);

// `text` as the whole file, written the same way; the same returns.
std::string writeTextFile(const std::string& path, const std::string& text);

// Moves a finished temporary file to its target, or removes it. Returns an
// error text or empty.
std::string commitTemporary(const std::string& temporary, const std::string& path);
void discardTemporary(const std::string& temporary);
