#include "driver/display_choice.h"

#include <gtest/gtest.h>

#include <iterator>
#include <string>

namespace {

// The terminal's answers: it answered the device attributes, listing
// sixel (with `registers`) or not, and the kitty graphics query or not.
TerminalFacts asked(bool truecolor, bool kitty = false, bool sixel = false, int registers = 0) {
    TerminalFacts facts;
    facts.asked = facts.replies.deviceAttributes = true;
    facts.truecolor = truecolor;
    facts.replies.kittyGraphics = kitty;
    facts.replies.sixel = sixel;
    facts.replies.colorRegisters = registers;
    return facts;
}

// No answers: not asked (no terminal, or inside tmux or screen) or silent.
TerminalFacts noAnswers(bool truecolor, bool asked = false, bool multiplexer = false) {
    TerminalFacts facts;
    facts.truecolor = truecolor;
    facts.asked = asked;
    facts.multiplexer = multiplexer;
    return facts;
}

TEST(DisplayChoice, EachChoiceOnEachTerminalAndWhatIsSaid) {
    struct Case {
        DisplayChoice choice;
        TerminalFacts facts;
        DisplayKind kind;
        std::string note;  // a part of it; empty: nothing is said
    };
    using enum DisplayKind;
    const Case cases[] = {
        // auto: both pictures, the frame unquantised wins; sixel with
        // enough registers or none said; else COLORTERM decides.
        {DisplayChoice::Auto, asked(false, true, true), Kitty, ""},
        {DisplayChoice::Auto, asked(true, false, true, 256), Sixel, ""},
        {DisplayChoice::Auto, asked(false, false, true, 0), Sixel, ""},
        {DisplayChoice::Auto, asked(true, false, true, 16), Truecolor, ""},  // xterm's vt340 default
        {DisplayChoice::Auto, asked(false, false, true, 16), Caca, ""},
        {DisplayChoice::Auto, asked(true), Truecolor, ""},
        {DisplayChoice::Auto, asked(false), Caca, ""},
        {DisplayChoice::Auto, noAnswers(true, true), Truecolor, ""},  // silent
        {DisplayChoice::Auto, noAnswers(true), Truecolor, ""},        // no terminal
        {DisplayChoice::Auto, noAnswers(true, false, true), Truecolor, "inside tmux or screen"},
        // Asked for but not confirmed: the cell picture auto would give.
        {DisplayChoice::Kitty, asked(true),
         Truecolor, "the terminal did not answer the kitty graphics query; showing the truecolor picture instead"},
        {DisplayChoice::Sixel, asked(false),
         Caca, "the terminal does not report sixel graphics; showing the libcaca picture instead"},
        {DisplayChoice::Sixel, noAnswers(false, true), Caca, "did not answer"},
        {DisplayChoice::Sixel, asked(false, false, true, 16), Sixel, ""},  // few registers, but asked for
        // No terminal to ask: the picture is tried and opening it says why not.
        {DisplayChoice::Kitty, noAnswers(false), Kitty, ""},
        // Cell pictures are never second-guessed.
        {DisplayChoice::Caca, asked(true, true, true), Caca, ""},
        {DisplayChoice::Truecolor, asked(false, true, true), Truecolor, ""},
    };
    for (std::size_t i = 0; i < std::size(cases); ++i) {
        const DisplayDecision decision = decideDisplay(cases[i].choice, cases[i].facts);
        EXPECT_EQ(decision.kind, cases[i].kind) << "case " << i;
        if (cases[i].note.empty()) EXPECT_EQ(decision.note, "") << "case " << i;
        else EXPECT_NE(decision.note.find(cases[i].note), std::string::npos) << "case " << i << ": " << decision.note;
    }
}

TEST(DisplayChoice, InsideTmuxOrScreenAutoDoesNotEvenAsk) {
    EXPECT_TRUE(insideMultiplexer("/tmp/tmux-0/default,1,0", nullptr, "xterm-256color"));
    EXPECT_TRUE(insideMultiplexer(nullptr, "1234.pts-0.host", "xterm"));
    EXPECT_TRUE(insideMultiplexer(nullptr, nullptr, "screen-256color"));
    EXPECT_TRUE(insideMultiplexer(nullptr, nullptr, "tmux-256color"));
    EXPECT_FALSE(insideMultiplexer("", "", "xterm-kitty"));
    EXPECT_FALSE(insideMultiplexer(nullptr, nullptr, nullptr));
    EXPECT_FALSE(needsTerminalAnswers(DisplayChoice::Auto, true));
    EXPECT_TRUE(needsTerminalAnswers(DisplayChoice::Auto, false));
    EXPECT_TRUE(needsTerminalAnswers(DisplayChoice::Sixel, true));
    EXPECT_FALSE(needsTerminalAnswers(DisplayChoice::Truecolor, false));
}

TEST(DisplayChoice, ColortermMeansTruecolorOnlyWhenItSaysSo) {
    EXPECT_TRUE(colortermSaysTruecolor("truecolor"));
    EXPECT_TRUE(colortermSaysTruecolor("24bit"));
    for (const char* shallow : {"", "yes", "256", "TRUECOLOR", "truecolor "})
        EXPECT_FALSE(colortermSaysTruecolor(shallow)) << shallow;
    EXPECT_FALSE(colortermSaysTruecolor(nullptr));
}

}  // namespace
