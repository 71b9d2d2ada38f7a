#include "platform/terminal_console.h"

#include <chrono>
#include <thread>
#include <vector>

#include "platform/cell_encoder.h"

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

void appendWindowTitle(std::string& out, std::string_view title) {
    out += "\x1b]2;";
    for (char c : title)
        if (static_cast<unsigned char>(c) >= 0x20 && c != 0x7F) out += c;
    out += '\a';
}

void appendFramed(std::string& out, const FrameFraming& framing, std::string_view picture) {
    if (framing.synchronizedUpdate) out += kBeginSynchronizedUpdate;
    // Black around the picture, as around a film: erased with a black
    // background, which the terminals that erase in the current colour show.
    if (framing.clear) out += "\x1b[0;40m\x1b[2J\x1b[0m";
    appendWindowTitle(out, framing.title);
    out += picture;
    if (framing.synchronizedUpdate) out += kEndSynchronizedUpdate;
}

TerminalConsole::TerminalConsole(int framesPerSecond, const TerminalReplies& replies)
    : replies_(replies), pacer_(framesPerSecond) {}

std::string TerminalConsole::open() {
    std::string error = terminal_.open(enterBytes(), leaveBytes());
    if (!error.empty()) return error;
    fit(terminal_.size());
    return {};
}

void TerminalConsole::close() { terminal_.close(); }

PixelSize TerminalConsole::windowPixels(const TerminalSize& size) const {
    if (size.pixels.known()) return size.pixels;
    if (replies_.cell.known())
        return boundedPixels(1LL * replies_.cell.width * size.columns,
                             1LL * replies_.cell.height * size.rows);
    return {};
}

void TerminalConsole::addEarlyInput(std::string_view bytes) { early_.append(bytes); }

void TerminalConsole::readKeys() {
    input_.clear();
    terminal_.readInput(input_);
    const long long now = steadyNowMs();
    std::vector<TerminalKey> pressed;
    std::string keys = std::move(early_);
    early_.clear();
    // A sequence the filter held and gave up counts from when it came, so
    // a lone Escape is not made to wait twice.
    const long long heldSince = replyFilter_.flush(now, keys);
    keyParser_.feed(keys, heldSince >= 0 ? heldSince : now, pressed);
    keys.clear();
    replyFilter_.feed(input_, now, keys);
    keyParser_.feed(keys, now, pressed);
    keyParser_.flush(now, pressed);
    for (TerminalKey key : pressed) keys_.push_back(consoleInputForTerminalKey(key));
    if (terminal_.gone() && !goneSaid_) {
        keys_.push_back(ConsoleInput::WindowClosed);
        goneSaid_ = true;
    }
}

std::optional<ConsoleInput> TerminalConsole::next() {
    if (keys_.empty()) readKeys();
    if (keys_.empty()) return std::nullopt;
    const ConsoleInput key = keys_.front();
    keys_.pop_front();
    return key;
}

void TerminalConsole::present(const PixelView& frame) {
    if (!terminal_.isOpen()) return;
    refitAfterChange();
    send(frame);
}

void TerminalConsole::presentAgain(const PixelView& frame) {
    if (!terminal_.isOpen()) return;
    if (refitAfterChange() || !shown_) send(frame);
}

bool TerminalConsole::refitAfterChange() {
    // After a stop the screen is gone too: the next frame is drawn whole.
    const bool resized = terminal_.takeResize();
    const bool resumed = terminal_.resumedAfterStop();
    if (resized || resumed) fit(terminal_.size());
    return resized || resumed;
}

void TerminalConsole::send(const PixelView& frame) {
    shown_ = terminal_.readyForFrame();
    if (!shown_) {
        ++stats_.framesDropped;
        return;
    }
    const std::string_view bytes = encode(frame, title_);
    terminal_.sendFrame(bytes);
    ++stats_.framesSent;
    stats_.bytesSent += static_cast<long long>(bytes.size());
}

void TerminalConsole::waitForNextFrame() {
    const auto due = pacer_.nextFrameAfter(FramePacer::Clock::now());
    terminal_.sendPendingUntil(due);
    std::this_thread::sleep_until(due);
}
