#pragma once
// Runs a piece of the program in a child process on a fresh
// pseudo-terminal, as a person at a terminal would: what it writes is
// collected, keys are typed when it says it is ready, and a fake terminal
// may answer what it asks.
#include <functional>
#include <string>
#include <string_view>
#include <vector>

struct ChildRun {
    int pid = -1;
    int status = -1;
    std::string written;  // what the child wrote to its terminal
};

struct TerminalSetup {
    unsigned short columns = 80;
    unsigned short rows = 50;
    unsigned short pixelWidth = 0;  // what the kernel reports; 0: unknown
    unsigned short pixelHeight = 0;
    // Typed into the terminal one at a time, each when the child calls its
    // `ready`.
    std::vector<std::string> typed;
    // Called with everything written so far whenever more arrives; what it
    // returns is written back to the child as the terminal's answer.
    std::function<std::string(std::string_view written)> answer;
    // The window closes (nothing is typed) when the child first calls `ready`.
    bool closeWhenReady = false;
};

using Ready = std::function<void()>;
// The child's exit status is body's result; it is killed after 10 s.
ChildRun runOnTerminal(const std::function<int(const Ready&)>& body, const TerminalSetup& setup);
ChildRun runOnTerminal(const std::function<int(const Ready&)>& body, unsigned short rows = 50,
                       std::vector<std::string> typed = {});

bool exitedWith(const ChildRun& run, int code);
