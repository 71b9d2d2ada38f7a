#include "driver/display_choice.h"

#include <gtest/gtest.h>

#include <string>

namespace {

TerminalReplies answered() {
    TerminalReplies replies;
    replies.deviceAttributes = true;
    return replies;
}

TerminalFacts askedTerminal(const TerminalReplies& replies, bool truecolor = false) {
    TerminalFacts facts;
    facts.asked = true;
    facts.truecolor = truecolor;
    facts.replies = replies;
    return facts;
}

TEST(DisplayChoice, AutoTakesTheBestPictureTheTerminalShows) {
    TerminalReplies kitty = answered();
    kitty.kittyGraphics = true;
    kitty.sixel = true;  // a terminal with both: the frame unquantised wins
    EXPECT_EQ(decideDisplay(DisplayChoice::Auto, askedTerminal(kitty)).kind, DisplayKind::Kitty);

    TerminalReplies sixel = answered();
    sixel.sixel = true;
    sixel.colorRegisters = 256;
    EXPECT_EQ(decideDisplay(DisplayChoice::Auto, askedTerminal(sixel, true)).kind, DisplayKind::Sixel);
    sixel.colorRegisters = 0;  // not said: its own default
    EXPECT_EQ(decideDisplay(DisplayChoice::Auto, askedTerminal(sixel)).kind, DisplayKind::Sixel);
    sixel.colorRegisters = 16;  // xterm's vt340 default: too few
    EXPECT_EQ(decideDisplay(DisplayChoice::Auto, askedTerminal(sixel, true)).kind, DisplayKind::Truecolor);
    EXPECT_EQ(decideDisplay(DisplayChoice::Auto, askedTerminal(sixel)).kind, DisplayKind::Caca);

    const TerminalReplies plain = answered();
    EXPECT_EQ(decideDisplay(DisplayChoice::Auto, askedTerminal(plain, true)).kind, DisplayKind::Truecolor);
    EXPECT_EQ(decideDisplay(DisplayChoice::Auto, askedTerminal(plain)).kind, DisplayKind::Caca);
    // Silent, or no terminal at all: COLORTERM decides, nothing is said.
    for (bool asked : {true, false}) {
        TerminalFacts facts;
        facts.asked = asked;
        facts.truecolor = true;
        const DisplayDecision decision = decideDisplay(DisplayChoice::Auto, facts);
        EXPECT_EQ(decision.kind, DisplayKind::Truecolor);
        EXPECT_EQ(decision.note, "");
    }
}

TEST(DisplayChoice, InsideTmuxOrScreenAutoLeavesPixelsOutAndSaysWhy) {
    EXPECT_TRUE(insideMultiplexer("/tmp/tmux-0/default,1,0", nullptr, "xterm-256color"));
    EXPECT_TRUE(insideMultiplexer(nullptr, "1234.pts-0.host", "xterm"));
    EXPECT_TRUE(insideMultiplexer(nullptr, nullptr, "screen-256color"));
    EXPECT_TRUE(insideMultiplexer(nullptr, nullptr, "tmux-256color"));
    EXPECT_FALSE(insideMultiplexer("", "", "xterm-kitty"));
    EXPECT_FALSE(insideMultiplexer(nullptr, nullptr, nullptr));
    EXPECT_FALSE(needsTerminalAnswers(DisplayChoice::Auto, true)) << "not even asked";
    EXPECT_TRUE(needsTerminalAnswers(DisplayChoice::Auto, false));
    EXPECT_TRUE(needsTerminalAnswers(DisplayChoice::Sixel, true));
    EXPECT_FALSE(needsTerminalAnswers(DisplayChoice::Truecolor, false));

    TerminalFacts facts;
    facts.multiplexer = true;
    facts.truecolor = true;
    const DisplayDecision decision = decideDisplay(DisplayChoice::Auto, facts);
    EXPECT_EQ(decision.kind, DisplayKind::Truecolor);
    EXPECT_NE(decision.note.find("inside tmux or screen"), std::string::npos) << decision.note;
}

TEST(DisplayChoice, AnExplicitPixelPictureTheTerminalDidNotConfirmFallsBackAndSaysSo) {
    const DisplayDecision kitty = decideDisplay(DisplayChoice::Kitty, askedTerminal(answered(), true));
    EXPECT_EQ(kitty.kind, DisplayKind::Truecolor);
    EXPECT_EQ(kitty.note, "the terminal did not answer the kitty graphics query; showing the truecolor picture instead");
    const DisplayDecision sixel = decideDisplay(DisplayChoice::Sixel, askedTerminal(answered()));
    EXPECT_EQ(sixel.kind, DisplayKind::Caca);
    EXPECT_EQ(sixel.note, "the terminal does not report sixel graphics; showing the libcaca picture instead");
    const DisplayDecision silent = decideDisplay(DisplayChoice::Sixel, askedTerminal(TerminalReplies{}));
    EXPECT_NE(silent.note.find("did not answer"), std::string::npos) << silent.note;
    // Confirmed: taken, with few registers too, as asked.
    TerminalReplies few = answered();
    few.sixel = true;
    few.colorRegisters = 16;
    EXPECT_EQ(decideDisplay(DisplayChoice::Sixel, askedTerminal(few)).kind, DisplayKind::Sixel);
    // No terminal to ask: the picture is tried and opening it says why not.
    EXPECT_EQ(decideDisplay(DisplayChoice::Kitty, TerminalFacts{}).kind, DisplayKind::Kitty);
    EXPECT_EQ(decideDisplay(DisplayChoice::Kitty, TerminalFacts{}).note, "");
    // Explicit cell pictures are never second-guessed.
    TerminalReplies everything = answered();
    everything.kittyGraphics = everything.sixel = true;
    EXPECT_EQ(decideDisplay(DisplayChoice::Caca, askedTerminal(everything)).kind, DisplayKind::Caca);
    EXPECT_EQ(decideDisplay(DisplayChoice::Truecolor, askedTerminal(everything)).kind, DisplayKind::Truecolor);
}

TEST(DisplayChoice, ColortermMeansTruecolorOnlyWhenItSaysSo) {
    EXPECT_TRUE(colortermSaysTruecolor("truecolor"));
    EXPECT_TRUE(colortermSaysTruecolor("24bit"));
    for (const char* shallow : {"", "yes", "256", "TRUECOLOR", "truecolor "})
        EXPECT_FALSE(colortermSaysTruecolor(shallow)) << shallow;
    EXPECT_FALSE(colortermSaysTruecolor(nullptr));
}

}  // namespace
