#include "platform/truecolor_console.h"

#include <thread>
#include <vector>

#include "engine/vrl.h"

namespace {

using Clock = std::chrono::steady_clock;

long long nowMs() {
    return std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now().time_since_epoch())
        .count();
}

}  // namespace

TruecolorConsole::TruecolorConsole(CellShape shape, int framesPerSecond)
    : shape_(shape),
      framePeriod_(std::chrono::duration_cast<Clock::duration>(std::chrono::seconds(1)) /
                   std::max(framesPerSecond, 1)) {}

std::string TruecolorConsole::open() {
    std::string error = terminal_.open();
    if (!error.empty()) return error;
    refit();
    return {};
}

void TruecolorConsole::close() { terminal_.close(); }

int TruecolorConsole::pumpKeys(int* keys, int capacity) {
    input_.clear();
    terminal_.readInput(input_);
    std::vector<TerminalKey> pressed;
    const long long now = nowMs();
    keyParser_.feed(input_, now, pressed);
    keyParser_.flush(now, pressed);
    int count = 0;
    for (TerminalKey key : pressed) {
        int engineKey = 0;
        switch (key) {
            case TerminalKey::Escape: escapePressed_ = true; break;
            case TerminalKey::Interrupt: interrupted_ = true; break;
            case TerminalKey::Left: engineKey = VRL_KEY_LEFT; break;
            case TerminalKey::Right: engineKey = VRL_KEY_RIGHT; break;
            case TerminalKey::Space: engineKey = VRL_KEY_SPACE; break;
        }
        if (engineKey && count < capacity) keys[count++] = engineKey;
    }
    return count;
}

bool TruecolorConsole::takeEscapePress() {
    const bool pressed = escapePressed_;
    escapePressed_ = false;
    return pressed;
}

void TruecolorConsole::refit() {
    const TerminalSize size = terminal_.size();
    area_ = fitPicture(size.columns, size.rows);
    converter_.emplace(shape_, area_.columns, area_.rows);
    encoder_.invalidate();
}

void TruecolorConsole::present(const std::uint32_t* frame) {
    if (!terminal_.isOpen()) return;
    if (terminal_.takeResize()) refit();
    if (!terminal_.readyForFrame()) {
        ++stats_.framesDropped;
        return;
    }
    const std::string_view bytes =
        encoder_.encodeFrame(converter_->convert(frame), area_.column, area_.row, title_);
    terminal_.sendFrame(bytes);
    ++stats_.framesSent;
    stats_.bytesSent += static_cast<long long>(bytes.size());
}

void TruecolorConsole::waitForNextFrame() {
    const auto now = Clock::now();
    if (nextFrame_ < now - framePeriod_) nextFrame_ = now;  // late: start over
    nextFrame_ += framePeriod_;
    std::this_thread::sleep_until(nextFrame_);
}
