#pragma once
// A progress bar on stderr with the frames per second and the time left. On
// a terminal it redraws one line; otherwise it prints a line every tenth of
// the way, so logs stay readable.
#include <chrono>
#include <cstdio>
#include <deque>
#include <string>

class ProgressBar {
public:
    ProgressBar(std::FILE* out, long total, bool enabled);
    void update(long done, int positionMs);
    void finish();

private:
    struct Sample {
        std::chrono::steady_clock::time_point when;
        long done;
    };
    // "58 fps  3:12 left".
    void remember(long done, std::chrono::steady_clock::time_point now);
    std::string pace(long done, std::chrono::steady_clock::time_point now) const;

    std::FILE* out_;
    long total_;
    bool enabled_;
    bool terminal_;
    int lastTenth_ = -1;
    std::chrono::steady_clock::time_point start_;
    std::chrono::steady_clock::time_point lastDraw_;
    std::deque<Sample> samples_;
};
