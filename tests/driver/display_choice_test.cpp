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
        std::string_view choice;
        TerminalFacts facts;
        std::string_view shown;
        std::string note;  // a part of it; empty: nothing is said
    };
    const Case cases[] = {
        // auto: both pictures, the frame unquantised wins; sixel with
        // enough registers or none said; else COLORTERM decides.
        {"auto", asked(false, true, true), "kitty", ""},
        {"auto", asked(true, false, true, 256), "sixel", ""},
        {"auto", asked(false, false, true, 0), "sixel", ""},
        {"auto", asked(true, false, true, 16), "truecolor", ""},  // xterm's vt340 default
        {"auto", asked(false, false, true, 16), "caca", ""},
        {"auto", asked(true), "truecolor", ""},
        {"auto", asked(false), "caca", ""},
        {"auto", noAnswers(true, true), "truecolor", ""},  // silent
        {"auto", noAnswers(true), "truecolor", ""},        // no terminal
        {"auto", noAnswers(true, false, true), "truecolor",
         "leaves out the kitty and sixel pictures (their passthrough is unreliable); --display kitty or sixel tries"},
        // Asked for but not confirmed: the cell picture auto would give.
        {"kitty", asked(true),
         "truecolor", "the terminal did not answer the kitty graphics query; showing the truecolor picture instead"},
        {"sixel", asked(false),
         "caca", "the terminal does not report sixel graphics; showing the libcaca picture instead"},
        {"sixel", noAnswers(false, true), "caca", "did not answer"},
        {"sixel", asked(false, false, true, 16), "sixel", ""},  // few registers, but asked for
        // No terminal to ask: the picture is tried and opening it says why not.
        {"kitty", noAnswers(false), "kitty", ""},
        // Cell pictures are never second-guessed.
        {"caca", asked(true, true, true), "caca", ""},
        {"truecolor", asked(false, true, true), "truecolor", ""},
    };
    for (std::size_t i = 0; i < std::size(cases); ++i) {
        const DisplayDecision decision = decideDisplay(cases[i].choice, cases[i].facts);
        EXPECT_EQ(decision.row->name, cases[i].shown) << "case " << i;
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
    EXPECT_FALSE(needsTerminalAnswers("auto", true));
    EXPECT_TRUE(needsTerminalAnswers("auto", false));
    EXPECT_TRUE(needsTerminalAnswers("sixel", true));
    EXPECT_FALSE(needsTerminalAnswers("truecolor", false));
}

TEST(DisplayChoice, ColortermMeansTruecolorOnlyWhenItSaysSo) {
    EXPECT_TRUE(colortermSaysTruecolor("truecolor"));
    EXPECT_TRUE(colortermSaysTruecolor("24bit"));
    for (const char* shallow : {"", "yes", "256", "TRUECOLOR", "truecolor "})
        EXPECT_FALSE(colortermSaysTruecolor(shallow)) << shallow;
    EXPECT_FALSE(colortermSaysTruecolor(nullptr));
}

}  // namespace
