#include "platform/key_parser.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

using Keys = std::vector<TerminalKey>;
constexpr long long kLater = KeyParser::kEscapeTimeoutMs;

Keys feedAll(KeyParser& parser, std::string_view bytes, long long nowMs) {
    Keys keys;
    parser.feed(bytes, nowMs, keys);
    parser.flush(nowMs, keys);
    return keys;
}

TEST(KeyParser, ArrowsInEveryFormTheTerminalsSend) {
    KeyParser parser;
    EXPECT_EQ(feedAll(parser, "\x1b[C\x1b[D", 0), (Keys{TerminalKey::Right, TerminalKey::Left}));
    EXPECT_EQ(feedAll(parser, "\x1bOC\x1bOD", 1), (Keys{TerminalKey::Right, TerminalKey::Left}));
    EXPECT_EQ(feedAll(parser, "\x1b[1;5C\x1b[1;2D", 2), (Keys{TerminalKey::Right, TerminalKey::Left}));
    // Up, Down, F5 and a mouse-like report are skipped whole.
    EXPECT_EQ(feedAll(parser, "\x1b[A\x1b[B\x1b[15~\x1b[<0;3;4M", 3), Keys{});
    EXPECT_EQ(feedAll(parser, " \x03x", 4), (Keys{TerminalKey::Space, TerminalKey::Interrupt}));
    // Nothing is left pending: much later, no Escape appears.
    Keys keys;
    parser.flush(1000, keys);
    EXPECT_EQ(keys, Keys{});
}

TEST(KeyParser, SequenceSplitAcrossReadsIsStillAnArrow) {
    KeyParser parser;
    EXPECT_EQ(feedAll(parser, "\x1b", 0), Keys{});
    EXPECT_EQ(feedAll(parser, "[", kLater - 10), Keys{});
    EXPECT_EQ(feedAll(parser, "C", kLater - 5), Keys{TerminalKey::Right});
    // A sequence whose rest never comes is dropped, not taken for Escape.
    EXPECT_EQ(feedAll(parser, "\x1b[1;", 500), Keys{});
    EXPECT_EQ(feedAll(parser, "", 500 + kLater), Keys{});
    EXPECT_EQ(feedAll(parser, "D", 600), Keys{}) << "the stale sequence must not end later";
}

TEST(KeyParser, EscapeBeforeOtherKeys) {
    KeyParser parser;
    // Two presses in one read: the first is certain at once.
    EXPECT_EQ(feedAll(parser, "\x1b\x1b", 0), Keys{TerminalKey::Escape});
    Keys keys;
    parser.flush(kLater, keys);
    EXPECT_EQ(keys, Keys{TerminalKey::Escape});
    // Escape then Ctrl+C, and Escape then an arrow.
    EXPECT_EQ(feedAll(parser, "\x1b\x03", 100), (Keys{TerminalKey::Escape, TerminalKey::Interrupt}));
    EXPECT_EQ(feedAll(parser, "\x1b\x1b[D", 200), (Keys{TerminalKey::Escape, TerminalKey::Left}));
    // Alt+x and Alt+Space are neither Escape nor the key.
    EXPECT_EQ(feedAll(parser, "\x1bx\x1b ", 300), Keys{});
    keys.clear();
    parser.flush(300 + kLater, keys);
    EXPECT_EQ(keys, Keys{});
}

TEST(KeyParser, GarbageNeverSwallowsLaterKeys) {
    KeyParser parser;
    // An endless parameter run gives up; the keys after it still count.
    std::string noise = "\x1b[";
    noise.append(100, '1');
    noise += "\x1b[C ";
    EXPECT_EQ(feedAll(parser, noise, 0), (Keys{TerminalKey::Right, TerminalKey::Space}));
    // Given up means forgotten: the final byte of such a run is no arrow.
    noise = "\x1b[";
    noise.append(40, ';');
    EXPECT_EQ(feedAll(parser, noise + "C ", 1), Keys{TerminalKey::Space});
    // A control byte breaks a sequence and is read as itself.
    EXPECT_EQ(feedAll(parser, "\x1b[1\x03", 1), Keys{TerminalKey::Interrupt});
    EXPECT_EQ(feedAll(parser, "\x1bO\x03", 2), Keys{TerminalKey::Interrupt});
    // UTF-8 and other high bytes are skipped.
    EXPECT_EQ(feedAll(parser, "\xc3\xa9\xff ", 3), Keys{TerminalKey::Space});
}

}  // namespace
