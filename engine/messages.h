#pragma once
// The engine's message log. Messages go to stderr, except while held: then
// they wait in memory, because the console picture owns the terminal.
#include <string>

void messagesSetEnabled(bool on);
void messagesSetHeld(bool held);  // releasing prints what waited
void messagesWrite(const std::string& text);
void messagesFlush();
// Writes `text` unless it was written before (since the last forget).
void messagesWriteOnce(const std::string& text);
void messagesForgetSaid();
