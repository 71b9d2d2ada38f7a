// The Windows side of platform/raw_terminal.h, for now: the pictures drawn
// on a raw terminal (truecolor, kitty, sixel) are not drawn in a Windows
// console yet, so the table of displays offers libcaca's alone there, and
// opening says why should anything still ask. The console's VT mode, keys
// and size come with the console picture for Windows.
#include "platform/raw_terminal.h"

bool rawTerminalDrawsPictures() { return false; }

bool terminalHungUp(int) { return false; }

RawTerminal::~RawTerminal() { close(); }

std::string RawTerminal::restoreBytes(std::string_view) { return {}; }

std::string RawTerminal::open(std::string_view, std::string_view) {
    return "is not drawn in a Windows console yet";
}

void RawTerminal::close() { open_ = false; }

TerminalSize RawTerminal::size() const { return {}; }

bool RawTerminal::takeResize() { return false; }

bool RawTerminal::resumedAfterStop() { return false; }

void RawTerminal::readInput(std::string&) {}

bool RawTerminal::writePending() { return true; }

bool RawTerminal::readyForFrame() { return false; }

void RawTerminal::sendFrame(std::string_view) {}

void RawTerminal::sendPendingUntil(std::chrono::steady_clock::time_point) {}
