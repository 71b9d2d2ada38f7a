#include "platform/key_parser.h"

namespace {

constexpr unsigned char kEsc = 0x1B;
constexpr unsigned char kCtrlC = 0x03;
constexpr unsigned char kCtrlZ = 0x1A;
// Longer control sequences than any key's are garbage; give up on them.
constexpr int kLongestSequence = 32;

bool isParameterOrIntermediate(unsigned char byte) { return byte >= 0x20 && byte <= 0x3F; }
bool isFinal(unsigned char byte) { return byte >= 0x40 && byte <= 0x7E; }

}  // namespace

void KeyParser::feed(std::string_view bytes, long long nowMs, std::vector<TerminalKey>& keys) {
    for (char c : bytes) {
        const auto byte = static_cast<unsigned char>(c);
        if (byte == kEsc) {
            if (state_ == State::Escape) keys.push_back(TerminalKey::Escape);  // ESC ESC
            state_ = State::Escape;
            escapeAtMs_ = nowMs;
            continue;
        }
        take(byte, keys);
    }
}

void KeyParser::flush(long long nowMs, std::vector<TerminalKey>& keys) {
    if (state_ == State::Ground || nowMs - escapeAtMs_ < kEscapeTimeoutMs) return;
    if (state_ == State::Escape) keys.push_back(TerminalKey::Escape);
    state_ = State::Ground;
}

void KeyParser::take(unsigned char byte, std::vector<TerminalKey>& keys) {
    switch (state_) {
        case State::Ground:
            takeGround(byte, keys);
            return;
        case State::Escape:
            if (byte == '[' || byte == 'O') {
                state_ = byte == '[' ? State::ControlSequence : State::SingleShift;
                sequenceLength_ = 0;
                return;
            }
            state_ = State::Ground;
            // A control byte after ESC means the ESC was the Escape key;
            // a printable one makes an Alt combination, which we skip.
            if (byte < 0x20) {
                keys.push_back(TerminalKey::Escape);
                takeGround(byte, keys);
            }
            return;
        case State::ControlSequence:
            if (isParameterOrIntermediate(byte) && ++sequenceLength_ < kLongestSequence) return;
            state_ = State::Ground;
            if (isFinal(byte))
                takeSequenceEnd(byte, keys);
            else
                takeGround(byte, keys);  // a broken sequence; the byte may be a key
            return;
        case State::SingleShift:
            state_ = State::Ground;
            if (isFinal(byte))
                takeSequenceEnd(byte, keys);
            else
                takeGround(byte, keys);
            return;
    }
}

void KeyParser::takeGround(unsigned char byte, std::vector<TerminalKey>& keys) {
    if (byte == ' ') keys.push_back(TerminalKey::Space);
    if (byte == kCtrlC) keys.push_back(TerminalKey::Interrupt);
    if (byte == kCtrlZ) keys.push_back(TerminalKey::Suspend);
}

void KeyParser::takeSequenceEnd(unsigned char final, std::vector<TerminalKey>& keys) {
    // Modifiers (ESC [ 1 ; 5 C) still mean the arrow.
    if (final == 'C') keys.push_back(TerminalKey::Right);
    if (final == 'D') keys.push_back(TerminalKey::Left);
}
