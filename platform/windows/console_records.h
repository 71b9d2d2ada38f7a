#pragma once
// The Windows console's input records, read without waiting, and what a key
// among them means to the show. A console hands typed keys to a program as
// records; wine's console moreover reads its terminal only while a wait or a
// read is pending, so the records are polled with a zero wait, never counted
// first.
#include <windows.h>

#include <optional>
#include <string>

#include "platform/console_input.h"

// What a key record means to the show: Escape (virtual key 27, with or
// without its character), Left, Right, Space, Ctrl+C (character 3, as a
// console without processed input reports it); Other for the rest and for
// a key let go.
ConsoleInput consoleInputForKeyRecord(const KEY_EVENT_RECORD &key);

// The bytes a terminal sends for the same key, for the pictures that read
// their keys as terminal input: Escape, the arrow sequences, the space,
// Ctrl+C's byte, other ASCII characters as themselves; nothing for a key let
// go or without a character.
std::string terminalBytesForKeyRecord(const KEY_EVENT_RECORD &key);

// The console's input (CONIN$, whatever standard input is).
class ConsoleRecords {
public:
    ConsoleRecords();
    ~ConsoleRecords();
    ConsoleRecords(const ConsoleRecords &) = delete;
    ConsoleRecords &operator=(const ConsoleRecords &) = delete;

    // The next record that has arrived, or nothing; never waits.
    std::optional<INPUT_RECORD> next();

private:
    HANDLE input_;
};

// The keys among the records, for the console's input pump.
class ConsoleRecordSource : public ConsoleInputSource {
public:
    std::optional<ConsoleInput> next() override;

private:
    ConsoleRecords records_;
};
