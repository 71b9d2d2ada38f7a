#include "platform/terminal_replies.h"

#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

#include "platform/terminal_size.h"

namespace {

// Every answer that each terminal gave to terminalQuestions(), as read from
// its input: kitty 0.26 (9-point font) and xterm 379 (-ti vt340, 256 colour
// registers; it answers no window size questions by default) under Xvfb;
// foot's as its documentation gives them.
const std::string kKittyAnswers =
    "\x1b_Gi=32;OK\x1b\\\x1b_Gi=31;OK\x1b\\\x1b[?2026;2$y\x1b[?80;0$y\x1b[4;391;637t\x1b[6;17;7t\x1b[?62;c";
const std::string kXtermVt340Answers =
    "\x1b[?1;0;256S\x1b[?2;0;600;520S\x1b[?2026;0$y\x1b[?80;2$y\x1b[?63;1;2;4;6;9;15;16;22;28c";
const std::string kFootAnswers =
    "\x1b[?1;0;1024S\x1b[?2;0;10000;10000S\x1b[?2026;2$y\x1b[?80;2$y\x1b[4;600;800t\x1b[6;20;10t"
    "\x1b[?62;4;22c";
// A terminal that knows none of the questions but the last.
const std::string kPlainAnswers = "\x1b[?1;2c";

struct Filtered {
    TerminalReplies replies;
    std::string keys;
};

// Feeds `input` in pieces of `piece` bytes (0: whole), all at one time.
Filtered filter(const std::string& input, std::size_t piece = 0) {
    TerminalReplyFilter filter;
    Filtered out;
    if (piece == 0) piece = input.size() + 1;
    for (std::size_t at = 0; at < input.size(); at += piece) filter.feed(input.substr(at, piece), 0, out.keys);
    filter.flush(0, out.keys, true);
    out.replies = filter.replies();
    return out;
}

// Space, Right (CSI), Left (SS3), an Alt combination, Ctrl+C and a key
// with modifiers, each typed before one of the answers.
std::string typedKeys(bool withAnswers) {
    const char* typed[] = {" ", "\x1b[C", "\x1bOD", "\x1bx", "\x03", "\x1b[1;5C"};
    const char* answers[] = {"\x1b_Gi=31;OK\x1b\\", "\x1b[?1;0;256S", "\x1b[6;20;10t",
                             "\x1b[?2026;1$y", "\x1b[4;600;800t", "\x1b[?62;4c"};
    std::string out;
    for (int i = 0; i < 6; ++i) out += std::string(typed[i]) + (withAnswers ? answers[i] : "");
    return out;
}

// Every reply is read the same whole or split anywhere, and nothing of it
// reaches the keys.
TEST(TerminalReplies, EachAnswerSaysTheSameWholeOrSplitAnywhere) {
    struct Case {
        const char* what;
        std::string input;
        TerminalReplies expected;
        std::string keys;
    };
    // GCC 12 warns about designated initializers that leave members to their defaults.
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wmissing-field-initializers"
    const Case cases[] = {
        {"kitty", kKittyAnswers,
         {.deviceAttributes = true, .kittyGraphics = true, .kittySharedMemory = true, .synchronizedUpdate = true,
          .window = {637, 391}, .cell = {7, 17}}},
        // 2026;0: the mode is not known; 80;2: reset.
        {"xterm vt340", kXtermVt340Answers,
         {.deviceAttributes = true, .sixel = true, .colorRegisters = 256, .sixelLimit = {600, 520}}},
        {"foot", kFootAnswers,
         {.deviceAttributes = true, .sixel = true, .synchronizedUpdate = true, .colorRegisters = 1024,
          .sixelLimit = {10000, 10000}, .window = {800, 600}, .cell = {10, 20}}},
        {"plain: the class (1) is not an attribute", kPlainAnswers, {.deviceAttributes = true}},
        {"a VT132: its class (4) is not an attribute", "\x1b[?4;6c", {.deviceAttributes = true}},
        {"silent", "", {}},
        {"keys typed between answers", typedKeys(true),
         {.deviceAttributes = true, .sixel = true, .kittyGraphics = true, .synchronizedUpdate = true,
          .colorRegisters = 256, .window = {800, 600}, .cell = {10, 20}},
         typedKeys(false)},
        {"an error, another image's OK, a reply without a message",
         "\x1b_Gi=31;ENOENT:no such file\x1b\\\x1b_Gi=99;OK\x1b\\\x1b_Gi=32\x1b\\", {}},
        {"a failed graphics attribute report", "\x1b[?1;3;0S", {}},
        {"mode 80 set: images would go to the top left", "\x1b[?80;1$y", {.sixelDisplayMode = true}},
        {"numbers past any real size are capped", "\x1b[4;99999999999999999999;5t",
         {.window = {5, kMostTerminalPixels}}},
    };
#pragma GCC diagnostic pop
    for (const Case& c : cases) {
        for (std::size_t piece : {0u, 1u, 2u, 3u, 7u, 13u}) {
            const Filtered read = filter(c.input, piece);
            EXPECT_EQ(read.replies, c.expected) << c.what << ", in pieces of " << piece;
            EXPECT_EQ(read.keys, c.keys) << c.what << ", in pieces of " << piece;
        }
    }
}

TEST(TerminalReplies, AnEscapeKeyIsHeldOnlyUntilItCannotBeAnAnswer) {
    TerminalReplyFilter filter;
    std::string keys;
    filter.feed("\x1b", 1000, keys);
    EXPECT_EQ(keys, "") << "an ESC may begin an answer";
    EXPECT_EQ(filter.flush(1000 + TerminalReplyFilter::kHoldMs - 1, keys), -1);
    EXPECT_EQ(keys, "");
    EXPECT_EQ(filter.flush(1000 + TerminalReplyFilter::kHoldMs, keys), 1000) << "given up, timed from its arrival";
    EXPECT_EQ(keys, "\x1b");
    // Escape pressed twice: the first cannot begin an answer.
    keys.clear();
    filter.feed("\x1b\x1b", 2000, keys);
    EXPECT_EQ(keys, "\x1b");
    filter.flush(2000 + TerminalReplyFilter::kHoldMs, keys);
    EXPECT_EQ(keys, "\x1b\x1b");
    // An answer cut off by a new escape is dropped; what follows counts.
    keys.clear();
    filter.feed("\x1b_Gi=31;O\x1b[D", 3000, keys);
    EXPECT_EQ(keys, "\x1b[D");
    EXPECT_FALSE(filter.replies().kittyGraphics);
}

TEST(TerminalReplies, AfterAnyGarbageAPauseLetsTheNextKeyStraightThrough) {
    std::mt19937 random(26);
    for (int round = 0; round < 200; ++round) {
        std::string noise(static_cast<std::size_t>(random() % 300), '\0');
        for (char& c : noise) c = static_cast<char>(random() % 4 == 0 ? 0x1B : random() % 256);
        TerminalReplyFilter filter;
        std::string keys;
        filter.feed(noise, 0, keys);
        filter.flush(TerminalReplyFilter::kHoldMs, keys);
        keys.clear();
        filter.feed(" ", 2 * TerminalReplyFilter::kHoldMs, keys);
        EXPECT_EQ(keys, " ") << "round " << round << ": the filter is not back on the ground";
    }
}

}  // namespace
