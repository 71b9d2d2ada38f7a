#include "platform/terminal_replies.h"

#include <algorithm>
#include <chrono>
#include <vector>

#include "platform/base64.h"
#include "platform/terminal_size.h"

namespace {

constexpr unsigned char kEsc = 0x1B;
// Longer than any reply asked for: garbage, or not a reply.
constexpr std::size_t kLongestControlSequence = 64;
constexpr std::size_t kLongestApplicationString = 1024;
// Larger numbers are nonsense; capping keeps the arithmetic safe.
constexpr int kLargestNumber = 1 << 20;

bool isParameterOrIntermediate(unsigned char byte) { return byte >= 0x20 && byte <= 0x3F; }
bool isFinal(unsigned char byte) { return byte >= 0x40 && byte <= 0x7E; }

// The numbers of a control sequence's parameters; an empty one is 0.
std::vector<int> numbers(std::string_view parameters) {
    std::vector<int> values(1, 0);
    for (char c : parameters) {
        if (c == ';') values.push_back(0);
        else if (c >= '0' && c <= '9') values.back() = std::min(values.back() * 10 + (c - '0'), kLargestNumber);
    }
    return values;
}

}  // namespace

long long steadyNowMs() {
    return std::chrono::duration_cast<std::chrono::milliseconds>(
               std::chrono::steady_clock::now().time_since_epoch())
        .count();
}

void TerminalReplyFilter::feed(std::string_view bytes, long long nowMs, std::string& keys) {
    for (char c : bytes) take(static_cast<unsigned char>(c), nowMs, keys);
}

long long TerminalReplyFilter::flush(long long nowMs, std::string& keys, bool all) {
    if (state_ == State::Ground || (!all && nowMs - heldSinceMs_ < kHoldMs)) return -1;
    const long long since = heldSinceMs_;
    giveUp(keys);
    return since;
}

void TerminalReplyFilter::startEscape(long long nowMs) {
    state_ = State::Escape;
    held_.assign(1, static_cast<char>(kEsc));
    heldSinceMs_ = nowMs;
}

void TerminalReplyFilter::giveUp(std::string& keys) {
    keys += held_;
    held_.clear();
    state_ = State::Ground;
}

void TerminalReplyFilter::take(unsigned char byte, long long nowMs, std::string& keys) {
    switch (state_) {
        case State::Ground:
            if (byte == kEsc) startEscape(nowMs);
            else keys += static_cast<char>(byte);
            return;
        case State::Escape:
            if (byte == '[' || byte == '_') {
                held_ += static_cast<char>(byte);
                state_ = byte == '[' ? State::ControlSequence : State::Application;
                return;
            }
            giveUp(keys);  // Escape, Alt with a key, or a sequence we never ask for
            take(byte, nowMs, keys);
            return;
        case State::ControlSequence:
            if (isParameterOrIntermediate(byte) && held_.size() < kLongestControlSequence) {
                held_ += static_cast<char>(byte);
                return;
            }
            if (isFinal(byte)) {
                held_ += static_cast<char>(byte);
                if (takeControlReply(std::string_view(held_).substr(2))) {
                    held_.clear();
                    state_ = State::Ground;
                } else {
                    giveUp(keys);  // a key such as an arrow
                }
                return;
            }
            giveUp(keys);
            take(byte, nowMs, keys);
            return;
        case State::Application:
            if (byte == kEsc) state_ = State::ApplicationEscape;
            else if (held_.size() < kLongestApplicationString) held_ += static_cast<char>(byte);
            return;
        case State::ApplicationEscape:
            if (byte == '\\') {
                takeApplicationReply(std::string_view(held_).substr(2));
                held_.clear();
                state_ = State::Ground;
                return;
            }
            // Cut off by a new escape: what came so far is dropped, since
            // it cannot be told from a reply, and the ESC starts afresh.
            startEscape(nowMs);
            take(byte, nowMs, keys);
            return;
    }
}

bool TerminalReplyFilter::takeControlReply(std::string_view body) {
    const char final = body.back();
    const bool question = !body.empty() && body.front() == '?';
    const std::string_view parameters = body.substr(question ? 1 : 0, body.size() - (question ? 2 : 1));
    const std::vector<int> values = numbers(parameters);
    if (question && final == 'c') {
        replies_.deviceAttributes = true;
        replies_.sixel = std::find(values.begin() + 1, values.end(), 4) != values.end();
        return true;
    }
    if (question && final == 'S') {  // graphics attributes: item ; status ; values
        if (values.size() >= 3 && values[0] == 1 && values[1] == 0) replies_.colorRegisters = values[2];
        if (values.size() >= 4 && values[0] == 2 && values[1] == 0)
            replies_.sixelLimit = boundedPixels(values[2], values[3]);
        return true;
    }
    if (question && final == 'y' && parameters.ends_with('$')) {  // mode report: mode ; state
        // 1 set, 2 reset, 3 always set, 4 always reset, 0 unknown.
        if (values.size() >= 2 && values[0] == 2026)
            replies_.synchronizedUpdate = values[1] >= 1 && values[1] <= 3;
        if (values.size() >= 2 && values[0] == 80)
            replies_.sixelDisplayMode = values[1] == 1 || values[1] == 3;
        return true;
    }
    if (!question && final == 't' && values.size() == 3 && (values[0] == 4 || values[0] == 6 || values[0] == 8)) {
        // Height comes first.
        if (values[0] == 4) replies_.window = boundedPixels(values[2], values[1]);
        if (values[0] == 6) replies_.cell = boundedPixels(values[2], values[1], kMostCellPixels);
        return true;
    }
    return false;
}

void TerminalReplyFilter::takeApplicationReply(std::string_view body) {
    // G keys ; message. Only our own questions' ids count; any other
    // application string is dropped all the same.
    if (body.empty() || body.front() != 'G') return;
    const std::size_t semicolon = body.find(';');
    if (semicolon == std::string_view::npos) return;
    const std::string_view keys = body.substr(1, semicolon - 1);
    const std::string_view message = body.substr(semicolon + 1);
    if (message != "OK") return;
    unsigned id = 0;
    std::size_t at = 0;
    while (at < keys.size()) {
        std::size_t comma = keys.find(',', at);
        if (comma == std::string_view::npos) comma = keys.size();
        const std::string_view key = keys.substr(at, comma - at);
        if (key.starts_with("i=")) {
            const std::vector<int> value = numbers(key.substr(2));
            id = static_cast<unsigned>(value[0]);
        }
        at = comma + 1;
    }
    if (id == kGraphicsQueryId) replies_.kittyGraphics = true;
    if (id == kSharedMemoryQueryId) replies_.kittySharedMemory = true;
}

std::string terminalQuestions(std::string_view sharedMemoryName) {
    // A 1 x 1 image queried (a=q): stored nowhere, answered OK or an error.
    std::string questions = "\x1b_Gi=" + std::to_string(TerminalReplyFilter::kGraphicsQueryId) +
                            ",s=1,v=1,a=q,t=d,f=24;AAAA\x1b\\";
    if (!sharedMemoryName.empty())
        questions += "\x1b_Gi=" + std::to_string(TerminalReplyFilter::kSharedMemoryQueryId) +
                     ",s=1,v=1,a=q,t=s,f=24;" + base64Encode(sharedMemoryName) + "\x1b\\";
    // The graphics attributes need the value parameter, even when only
    // reading, or xterm does not answer.
    questions += "\x1b[?1;1;0S"    // colour registers
                 "\x1b[?2;1;0S"    // largest sixel image
                 "\x1b[?2026$p"    // synchronized update known?
                 "\x1b[?80$p"      // sixel display mode (where images go)
                 "\x1b[14t"        // text area in pixels
                 "\x1b[16t"        // cell in pixels
                 "\x1b[c";         // device attributes: the end marker
    return questions;
}
