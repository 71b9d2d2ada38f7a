#include "tools/capture/progress_bar.h"

#include <unistd.h>

#include <string>

namespace {

// Short runs finish before a bar would tell anything.
constexpr long kFramesWorthABar = 120;
constexpr int kBarWidth = 30;

}  // namespace

ProgressBar::ProgressBar(std::FILE* out, long total, bool enabled)
    : out_(out),
      total_(total),
      enabled_(enabled && total >= kFramesWorthABar),
      terminal_(isatty(fileno(out)) != 0),
      start_(std::chrono::steady_clock::now()),
      lastDraw_(start_) {}

void ProgressBar::update(long done, int positionMs) {
    if (!enabled_ || total_ <= 0) return;
    const auto now = std::chrono::steady_clock::now();
    const double seconds = std::chrono::duration<double>(now - start_).count();
    const double fraction = static_cast<double>(done) / static_cast<double>(total_);
    if (terminal_) {
        if (done < total_ && now - lastDraw_ < std::chrono::milliseconds(100)) return;
        lastDraw_ = now;
        const int filled = static_cast<int>(fraction * kBarWidth);
        const std::string bar = std::string(filled, '#') + std::string(kBarWidth - filled, '.');
        const double remaining = done > 0 ? seconds * (total_ - done) / done : 0.0;
        std::fprintf(out_, "\r[%s] %3d%%  frame %ld/%ld  at %d ms  %.0f s left ", bar.c_str(),
                     static_cast<int>(fraction * 100), done, total_, positionMs, remaining);
        std::fflush(out_);
        return;
    }
    const int tenth = static_cast<int>(fraction * 10);
    if (tenth == lastTenth_) return;
    lastTenth_ = tenth;
    std::fprintf(out_, "%3d%%  frame %ld/%ld  at %d ms  %.0f s\n", tenth * 10, done, total_,
                 positionMs, seconds);
}

void ProgressBar::finish() {
    if (enabled_ && terminal_) std::fputc('\n', out_);
}
