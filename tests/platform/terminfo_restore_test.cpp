#include "platform/terminfo_restore.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <unistd.h>

namespace {

class TerminfoRestore : public ::testing::Test {
protected:
    void SetUp() override { fd_ = open("/dev/null", O_WRONLY); }
    void TearDown() override { close(fd_); }
    int fd_ = -1;
};

TEST_F(TerminfoRestore, UndoesEachModeCursesSwitchesOnForAnXterm) {
    const auto bytes = cursesTerminalBytes("xterm-256color", fd_);
    ASSERT_TRUE(bytes.has_value());
    const std::string& restore = bytes->restore;
    for (const char* expected : {
             "\033[?1006;1000l",         // mouse reporting off
             "\033[?25h",                // cursor shown
             "\033[39;49m",              // default colours
             "\033[?1049l\033[23;0;0t",  // main screen back, title popped
             "\033[?1l\033>",            // keypad transmit off
         })
        EXPECT_NE(restore.find(expected), std::string::npos) << "missing " << expected + 1;
    // Leaving the alternate screen comes after the attribute reset, or the
    // reset would only reach the screen being left.
    EXPECT_LT(restore.find("\033[39;49m"), restore.find("\033[?1049l"));
    // Continuing after a stop takes the alternate screen again, title
    // pushed, and hides the cursor; it does not ask for mouse reports.
    EXPECT_NE(bytes->enter.find("\033[?1049h\033[22;0;0t"), std::string::npos);
    EXPECT_NE(bytes->enter.find("\033[?25l"), std::string::npos);
    EXPECT_EQ(bytes->enter.find("1000h"), std::string::npos);
}

TEST_F(TerminfoRestore, AnUnknownOrMissingTerminalTypeHasNone) {
    EXPECT_FALSE(cursesTerminalBytes("nosuchterm", fd_).has_value());
    EXPECT_FALSE(cursesTerminalBytes("", fd_).has_value());
    EXPECT_FALSE(cursesTerminalBytes(nullptr, fd_).has_value());
}

TEST_F(TerminfoRestore, ATerminalWithoutAnAlternateScreenNeedsOnlyTheCursorBack) {
    // The Linux console: no smcup, no mouse reporting of the xterm kind.
    const auto bytes = cursesTerminalBytes("linux", fd_);
    ASSERT_TRUE(bytes.has_value());
    EXPECT_EQ(bytes->restore.find("1049"), std::string::npos);
    EXPECT_NE(bytes->restore.find("\033[?25h"), std::string::npos);
}

TEST_F(TerminfoRestore, ATerminalWithMouseKeysButNoMouseStringGetsTheBasicModeOff) {
    const auto bytes = cursesTerminalBytes("screen", fd_);
    ASSERT_TRUE(bytes.has_value());
    EXPECT_NE(bytes->restore.find("\033[?1000l"), std::string::npos);
    EXPECT_EQ(bytes->restore.find("\033[?1000h"), std::string::npos);
}

}  // namespace
