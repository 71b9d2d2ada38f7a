#include "tools/capture/progress_bar.h"

#include <unistd.h>

#include <string>

namespace {

// Short runs finish before a bar would tell anything.
constexpr long kFramesWorthABar = 120;
constexpr int kBarWidth = 30;
constexpr std::chrono::seconds kPaceWindow{5};

}  // namespace

ProgressBar::ProgressBar(std::FILE* out, long total, bool enabled)
    : out_(out),
      total_(total),
      enabled_(enabled && total >= kFramesWorthABar),
      terminal_(isatty(fileno(out)) != 0),
      start_(std::chrono::steady_clock::now()),
      lastDraw_(start_),
      samples_{{start_, 0}} {}

void ProgressBar::update(long done, int positionMs) {
    if (!enabled_ || total_ <= 0) return;
    const auto now = std::chrono::steady_clock::now();
    remember(done, now);
    const double fraction = static_cast<double>(done) / static_cast<double>(total_);
    if (terminal_) {
        if (done < total_ && now - lastDraw_ < std::chrono::milliseconds(100)) return;
        lastDraw_ = now;
        const int filled = static_cast<int>(fraction * kBarWidth);
        const std::string bar = std::string(filled, '#') + std::string(kBarWidth - filled, '.');
        std::fprintf(out_, "\r[%s] %3d%%  frame %ld/%ld  at %d ms  %s ", bar.c_str(),
                     static_cast<int>(fraction * 100), done, total_, positionMs,
                     pace(done, now).c_str());
        std::fflush(out_);
        return;
    }
    const int tenth = static_cast<int>(fraction * 10);
    if (tenth == lastTenth_) return;
    lastTenth_ = tenth;
    std::fprintf(out_, "%3d%%  frame %ld/%ld  at %d ms  %s\n", tenth * 10, done, total_,
                 positionMs, pace(done, now).c_str());
}

// The rate over the last few seconds, not since the start: scenes differ in
// cost, and the time left should follow the frames being made now.
void ProgressBar::remember(long done, std::chrono::steady_clock::time_point now) {
    samples_.push_back({now, done});
    while (samples_.size() > 2 && now - samples_[1].when >= kPaceWindow) samples_.pop_front();
}

std::string ProgressBar::pace(long done, std::chrono::steady_clock::time_point now) const {
    const Sample& first = samples_.front();
    const double seconds = std::chrono::duration<double>(now - first.when).count();
    const long frames = done - first.done;
    char text[64];
    // Too little done yet for a rate worth showing.
    if (seconds <= 0.0 || frames <= 0 || (frames < 10 && seconds < 0.5)) {
        std::snprintf(text, sizeof text, "-- fps  -- left");
        return text;
    }
    const double fps = frames / seconds;
    const long left = static_cast<long>((total_ - done) / fps + 0.5);
    std::snprintf(text, sizeof text, "%.0f fps  %ld:%02ld left", fps, left / 60, left % 60);
    return text;
}

void ProgressBar::finish() {
    if (enabled_ && terminal_) std::fputc('\n', out_);
}
