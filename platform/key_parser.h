#pragma once
// Reads the keys the show knows from a terminal's raw input bytes. Arrow
// keys arrive as escape sequences (ESC [ C, ESC O D, ESC [ 1 ; 5 C ...)
// that begin with the very byte the Escape key sends alone, so a lone ESC
// counts as Escape only once no further byte followed it for a short time.
#include <string_view>
#include <vector>

enum class TerminalKey { Escape, Left, Right, Space, Interrupt, Suspend };

class KeyParser {
public:
    // How long an ESC waits for the rest of a sequence. Terminals send a
    // sequence in one piece; this covers one split across ssh packets.
    static constexpr long long kEscapeTimeoutMs = 50;

    // Adds the keys that `bytes`, read at `nowMs` (any steady clock, in
    // ms), complete. Other bytes and sequences are skipped.
    void feed(std::string_view bytes, long long nowMs, std::vector<TerminalKey>& keys);

    // Call when no more bytes are waiting: an ESC left alone for the timeout
    // becomes Escape, and an unfinished sequence that old is dropped.
    void flush(long long nowMs, std::vector<TerminalKey>& keys);

private:
    enum class State { Ground, Escape, ControlSequence, SingleShift };
    void take(unsigned char byte, std::vector<TerminalKey>& keys);
    void takeGround(unsigned char byte, std::vector<TerminalKey>& keys);
    void takeSequenceEnd(unsigned char final, std::vector<TerminalKey>& keys);

    State state_ = State::Ground;
    long long escapeAtMs_ = 0;  // when the ESC of the sequence in progress came
    int sequenceLength_ = 0;
};
