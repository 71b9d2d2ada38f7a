#include "platform/terminfo_restore.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <unistd.h>

namespace {

TEST(TerminfoRestore, UndoesEachModeCursesSwitchesOnAndAnUnknownTerminalTypeHasNone) {
    const int fd = open("/dev/null", O_WRONLY);
    const auto xterm = cursesTerminalBytes("xterm-256color", fd);
    ASSERT_TRUE(xterm.has_value());
    for (const char* expected : {
             "\033[?1006;1000l",         // mouse reporting off
             "\033[?25h",                // cursor shown
             "\033[39;49m",              // default colours
             "\033[?1049l\033[23;0;0t",  // main screen back, title popped
             "\033[?1l\033>",            // keypad transmit off
         })
        EXPECT_NE(xterm->restore.find(expected), std::string::npos) << "missing " << expected + 1;
    // Leaving the alternate screen comes after the attribute reset, or the
    // reset would only reach the screen being left.
    EXPECT_LT(xterm->restore.find("\033[39;49m"), xterm->restore.find("\033[?1049l"));
    // Continuing after a stop takes the alternate screen again, title
    // pushed, and hides the cursor; it does not ask for mouse reports.
    EXPECT_NE(xterm->enter.find("\033[?1049h\033[22;0;0t"), std::string::npos);
    EXPECT_NE(xterm->enter.find("\033[?25l"), std::string::npos);
    EXPECT_EQ(xterm->enter.find("1000h"), std::string::npos);

    // The Linux console: no alternate screen, only the cursor to give back.
    const auto console = cursesTerminalBytes("linux", fd);
    ASSERT_TRUE(console.has_value());
    EXPECT_EQ(console->restore.find("1049"), std::string::npos);
    EXPECT_NE(console->restore.find("\033[?25h"), std::string::npos);
    // Mouse keys but no mouse string: the basic mode goes off.
    const auto screen = cursesTerminalBytes("screen", fd);
    ASSERT_TRUE(screen.has_value());
    EXPECT_NE(screen->restore.find("\033[?1000l"), std::string::npos);
    EXPECT_EQ(screen->restore.find("\033[?1000h"), std::string::npos);

    for (const char* unknown : {"nosuchterm", ""}) EXPECT_FALSE(cursesTerminalBytes(unknown, fd)) << unknown;
    EXPECT_FALSE(cursesTerminalBytes(nullptr, fd));
    close(fd);
}

}  // namespace
