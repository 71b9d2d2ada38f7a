// The Windows console's key records as the show reads them, run under wine:
// what each key means, and the bytes the pictures that read terminal input
// get for it, which their key parser must read as the same key. And the
// console's state put back after a show changed it, where there is a
// console: tests/windows/console_in_pane.sh runs that case in a pane, where
// wine makes one (ctest's run has none, and skips it).
#include <gtest/gtest.h>

#include <vector>

#include "platform/key_parser.h"
#include "platform/terminal_console.h"
#include "platform/windows/console_records.h"
#include "platform/windows/console_state.h"

namespace {

KEY_EVENT_RECORD keyRecord(WORD virtualKey, wchar_t character, bool down = true) {
    KEY_EVENT_RECORD key{};
    key.bKeyDown = down;
    key.wRepeatCount = 1;
    key.wVirtualKeyCode = virtualKey;
    key.uChar.UnicodeChar = character;
    return key;
}

ConsoleInput parsedFromBytes(const KEY_EVENT_RECORD &key) {
    KeyParser parser;
    std::vector<TerminalKey> keys;
    parser.feed(terminalBytesForKeyRecord(key), 0, keys);
    parser.flush(KeyParser::kEscapeTimeoutMs + 1, keys);
    if (keys.size() != 1) return ConsoleInput::Other;
    return consoleInputForTerminalKey(keys.front());
}

TEST(WindowsConsoleKeys, EachRecordMeansTheSameKeyReadDirectlyOrAsTerminalBytes) {
    struct Case {
        KEY_EVENT_RECORD key;
        ConsoleInput meaning;
    };
    const Case cases[] = {
        {keyRecord(VK_ESCAPE, 0), ConsoleInput::Escape},  // as wine's console reports it
        {keyRecord(VK_ESCAPE, 27), ConsoleInput::Escape},
        {keyRecord(VK_LEFT, 0), ConsoleInput::Left},
        {keyRecord(VK_RIGHT, 0), ConsoleInput::Right},
        {keyRecord(VK_SPACE, L' '), ConsoleInput::Space},
        {keyRecord('C', 3), ConsoleInput::CtrlC},
        {keyRecord('A', L'a'), ConsoleInput::Other},
        {keyRecord(VK_F1, 0), ConsoleInput::Other},
    };
    for (const Case &c : cases) {
        EXPECT_EQ(consoleInputForKeyRecord(c.key), c.meaning) << c.key.wVirtualKeyCode;
        EXPECT_EQ(parsedFromBytes(c.key), c.meaning) << c.key.wVirtualKeyCode;
    }
    // A key let go means nothing, else every press would count twice.
    EXPECT_EQ(consoleInputForKeyRecord(keyRecord(VK_ESCAPE, 0, false)), ConsoleInput::Other);
    EXPECT_TRUE(terminalBytesForKeyRecord(keyRecord(VK_SPACE, L' ', false)).empty());
    EXPECT_TRUE(terminalBytesForKeyRecord(keyRecord('E', 0x00E9)).empty());
}

TEST(WindowsConsoleState, CodePagesModesAndTitleArePutBack) {
    const UINT codePage = GetConsoleOutputCP();
    if (codePage == 0) GTEST_SKIP() << "no console";
    SetConsoleTitleW(L"before the show");
    const ConsoleState saved;
    DWORD mode = 0;
    ASSERT_TRUE(GetConsoleMode(saved.output(), &mode));
    const UINT otherPage = codePage == CP_UTF8 ? 437 : CP_UTF8;
    ASSERT_TRUE(SetConsoleOutputCP(otherPage));
    SetConsoleMode(saved.output(), mode ^ ENABLE_WRAP_AT_EOL_OUTPUT);
    SetConsoleTitleW(L"time = 1234");

    saved.restore();
    EXPECT_EQ(GetConsoleOutputCP(), codePage);
    DWORD restoredMode = 0;
    GetConsoleMode(saved.output(), &restoredMode);
    EXPECT_EQ(restoredMode, mode);
    wchar_t title[64] = {};
    GetConsoleTitleW(title, 64);
    EXPECT_EQ(std::wstring(title), L"before the show");
}

}  // namespace
