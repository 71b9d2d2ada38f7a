// The pictures the Windows programs offer: libcaca's alone, since those that
// take a terminal over are not drawn in a Windows console yet. Naming one is
// refused like any unknown name, and auto takes libcaca's whatever the
// terminal says of itself. Run under wine with the Windows programs.
#include <gtest/gtest.h>

#include <string>
#include <string_view>
#include <vector>

#include "driver/display_choice.h"
#include "driver/show_options.h"
#include "tools/capture/options.h"

namespace {

constexpr auto npos = std::string::npos;

TEST(WindowsDisplays, OnlyLibcacasPictureIsOfferedNamedOrChosenByAuto) {
    EXPECT_EQ(displayNames(), std::vector<std::string_view>{kClassicDisplay});
    EXPECT_EQ(findDisplay("truecolor"), nullptr);

    const ShowCommandLine named = parseShowCommandLine({"--display", "sixel"});
    EXPECT_NE(named.error.find("sixel"), npos) << named.error;
    EXPECT_EQ(parseShowCommandLine({"--help"}).print.find("kitty"), npos);

    TerminalFacts facts;
    facts.truecolor = true;
    facts.asked = true;
    facts.replies.kittyGraphics = true;
    facts.replies.sixel = true;
    EXPECT_EQ(decideDisplay(kAutoDisplay, facts).row, &classicDisplay());

    const ParseResult capture = parseOptions({"--display", "truecolor", "--frames"});
    EXPECT_FALSE(capture.ok());
    EXPECT_TRUE(parseOptions({"--display", "caca", "--frames"}).ok());
}

}  // namespace
