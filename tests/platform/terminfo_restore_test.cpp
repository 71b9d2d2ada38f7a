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
    const auto bytes = cursesRestoreBytes("xterm-256color", fd_);
    ASSERT_TRUE(bytes.has_value());
    for (const char* expected : {
             "\033[?1006;1000l",         // mouse reporting off
             "\033[?25h",                // cursor shown
             "\033[39;49m",              // default colours
             "\033[?1049l\033[23;0;0t",  // main screen back, title popped
             "\033[?1l\033>",            // keypad transmit off
         })
        EXPECT_NE(bytes->find(expected), std::string::npos) << "missing " << expected + 1;
    // Leaving the alternate screen comes after the attribute reset, or the
    // reset would only reach the screen being left.
    EXPECT_LT(bytes->find("\033[39;49m"), bytes->find("\033[?1049l"));
}

TEST_F(TerminfoRestore, AnUnknownOrMissingTerminalTypeHasNone) {
    EXPECT_FALSE(cursesRestoreBytes("nosuchterm", fd_).has_value());
    EXPECT_FALSE(cursesRestoreBytes("", fd_).has_value());
    EXPECT_FALSE(cursesRestoreBytes(nullptr, fd_).has_value());
}

TEST_F(TerminfoRestore, ATerminalWithoutAnAlternateScreenNeedsOnlyTheCursorBack) {
    // The Linux console: no smcup, no mouse reporting of the xterm kind.
    const auto bytes = cursesRestoreBytes("linux", fd_);
    ASSERT_TRUE(bytes.has_value());
    EXPECT_EQ(bytes->find("1049"), std::string::npos);
    EXPECT_NE(bytes->find("\033[?25h"), std::string::npos);
}

TEST_F(TerminfoRestore, ATerminalWithMouseKeysButNoMouseStringGetsTheBasicModeOff) {
    const auto bytes = cursesRestoreBytes("screen", fd_);
    ASSERT_TRUE(bytes.has_value());
    EXPECT_NE(bytes->find("\033[?1000l"), std::string::npos);
    EXPECT_EQ(bytes->find("\033[?1000h"), std::string::npos);
}

}  // namespace
