#include "platform/truecolor_console.h"

#include <chrono>
#include <thread>
#include <vector>

namespace {

long long nowMs() {
    return std::chrono::duration_cast<std::chrono::milliseconds>(
               std::chrono::steady_clock::now().time_since_epoch())
        .count();
}

}  // namespace

ConsoleInput consoleInputForTerminalKey(TerminalKey key) {
    switch (key) {
        case TerminalKey::Escape: return ConsoleInput::Escape;
        case TerminalKey::Interrupt: return ConsoleInput::CtrlC;
        case TerminalKey::Suspend: return ConsoleInput::CtrlZ;
        case TerminalKey::Left: return ConsoleInput::Left;
        case TerminalKey::Right: return ConsoleInput::Right;
        case TerminalKey::Space: return ConsoleInput::Space;
    }
    return ConsoleInput::Other;
}

TruecolorConsole::TruecolorConsole(CellShape shape, int framesPerSecond)
    : shape_(shape), pacer_(framesPerSecond) {}

std::string TruecolorConsole::open() {
    std::string error = terminal_.open();
    if (!error.empty()) return error;
    refit();
    return {};
}

void TruecolorConsole::close() { terminal_.close(); }

void TruecolorConsole::readKeys() {
    input_.clear();
    terminal_.readInput(input_);
    std::vector<TerminalKey> pressed;
    const long long now = nowMs();
    keyParser_.feed(input_, now, pressed);
    keyParser_.flush(now, pressed);
    for (TerminalKey key : pressed) keys_.push_back(consoleInputForTerminalKey(key));
    if (terminal_.gone() && !goneSaid_) {
        keys_.push_back(ConsoleInput::WindowClosed);
        goneSaid_ = true;
    }
}

std::optional<ConsoleInput> TruecolorConsole::next() {
    if (keys_.empty()) readKeys();
    if (keys_.empty()) return std::nullopt;
    const ConsoleInput key = keys_.front();
    keys_.pop_front();
    return key;
}

void TruecolorConsole::refit() {
    const TerminalSize size = terminal_.size();
    area_ = fitPicture(size.columns, size.rows);
    converter_.emplace(shape_, area_.columns, area_.rows);
    encoder_.invalidate();
}

void TruecolorConsole::present(const std::uint32_t* frame) {
    if (!terminal_.isOpen()) return;
    const bool resized = terminal_.takeResize();
    const bool resumed = terminal_.resumedAfterStop();
    if (resized || resumed) refit();
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
    const auto due = pacer_.nextFrameAfter(FramePacer::Clock::now());
    terminal_.sendPendingUntil(due);
    std::this_thread::sleep_until(due);
}
