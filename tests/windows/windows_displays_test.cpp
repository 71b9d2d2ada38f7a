// The pictures the Windows programs offer: libcaca's and the truecolor
// cells, since a Windows console draws no kitty or sixel images. Naming one
// of those is refused like any unknown name, and auto takes the truecolor
// cells where the console takes VT sequences, whatever else the terminal
// says of itself, and says nothing of pictures left out inside tmux. Run
// under wine with the Windows programs.
#include <gtest/gtest.h>

#include <string>
#include <string_view>
#include <vector>

#include "driver/display_choice.h"
#include "driver/show_options.h"
#include "platform/windows/console_title.h"
#include "tools/capture/options.h"

namespace {

constexpr auto npos = std::string::npos;

TEST(WindowsDisplays, LibcacasPictureAndTheTruecolorCellsAreOfferedNamedOrChosenByAuto) {
    EXPECT_EQ(displayNames(), (std::vector<std::string_view>{kClassicDisplay, "truecolor"}));
    EXPECT_EQ(findDisplay("kitty"), nullptr);

    const ShowCommandLine named = parseShowCommandLine({"--display", "sixel"});
    EXPECT_NE(named.error.find("sixel"), npos) << named.error;
    EXPECT_EQ(parseShowCommandLine({"--help"}).print.find("kitty"), npos);

    TerminalFacts facts;
    facts.asked = true;
    facts.replies.kittyGraphics = true;
    facts.replies.sixel = true;
    EXPECT_EQ(decideDisplay(kAutoDisplay, facts).row, &classicDisplay());
    facts.truecolor = true;
    EXPECT_EQ(decideDisplay(kAutoDisplay, facts).row, findDisplay("truecolor"));
    facts.multiplexer = true;
    const DisplayDecision inTmux = decideDisplay(kAutoDisplay, facts);
    EXPECT_EQ(inTmux.row, findDisplay("truecolor"));
    EXPECT_TRUE(inTmux.note.empty()) << inTmux.note;

    EXPECT_FALSE(parseOptions({"--display", "sixel", "--frames"}).ok());
    EXPECT_TRUE(parseOptions({"--display", "truecolor", "--ansi"}).ok());
}

// wine's console would print the title sequence as text: it is taken out
// of the frame's bytes and set through the console's API.
TEST(WindowsDisplays, TitleSequencesAreTakenOutOfTheFrameAndTheLastIsTheTitle) {
    const TitledBytes frame = takeWindowTitle("\x1b[?2026h\x1b]2;time = 1\a\x1b[H\x1b]2;time = 2\aAB");
    EXPECT_EQ(frame.bytes, "\x1b[?2026h\x1b[HAB");
    EXPECT_EQ(frame.title, "time = 2");

    const TitledBytes none = takeWindowTitle("\x1b[1;1H\x1b]2;cut off");
    EXPECT_EQ(none.bytes, "\x1b[1;1H\x1b]2;cut off");
    EXPECT_FALSE(none.title.has_value());
    EXPECT_EQ(takeWindowTitle("\x1b]2;\a").title, "");
}

}  // namespace
