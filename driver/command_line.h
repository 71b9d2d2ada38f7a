#pragma once
// The command line of both programs, on CLI11: one way to read options and
// one way to word what is wrong with them.
#include <CLI/CLI.hpp>

#include <initializer_list>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "render/cell_picture.h"

struct CommandLineOutcome {
    std::string print;  // --help or --version text: print it and exit with 0
    std::string error;  // one line without the program name: refuse with status 2
};

// Parses `args` (the program name left out) into the options `app` declares.
// CLI11's own wording of a failure is turned into ours.
CommandLineOutcome parseCommandLine(CLI::App& app, const std::vector<std::string>& args);

// Throws what a value check found wrong, worded for the user; a parse stops
// there and reports `message` as its error.
[[noreturn]] void refuseValue(const std::string& message);

// Refuses `name` for an option that takes one of `names`: "option --cells
// takes half, quadrant or sextant, not "x"".
[[noreturn]] void refuseChoice(const std::string& option, const std::string& name,
                               const std::vector<std::string_view>& names);

// The value `name` stands for among `choices`, else refuses as refuseChoice.
template <typename Value>
Value chooseValue(const std::string& option, const std::string& name,
                  std::initializer_list<std::pair<std::string_view, Value>> choices) {
    std::vector<std::string_view> names;
    for (const auto& [choiceName, value] : choices) {
        if (choiceName == name) return value;
        names.push_back(choiceName);
    }
    refuseChoice(option, name, names);
}

// --cells, the same in both programs: half, quadrant or sextant.
CellShape parseCellShape(const std::string& name);

// "option NAME needs a whole number, not ..." unless `text` is an integer in
// low..high (a leading + is allowed).
std::string parseWholeNumber(const std::string& name, const std::string& text, int low, int high,
                             int& value);
