#pragma once
// A progress bar on stderr. On a terminal it redraws one line; otherwise it
// prints a line every tenth of the way, so logs stay readable.
#include <chrono>
#include <cstdio>

class ProgressBar {
public:
    ProgressBar(std::FILE* out, long total, bool enabled);
    void update(long done, int positionMs);
    void finish();

private:
    std::FILE* out_;
    long total_;
    bool enabled_;
    bool terminal_;
    int lastTenth_ = -1;
    std::chrono::steady_clock::time_point start_;
    std::chrono::steady_clock::time_point lastDraw_;
};
