#pragma once
// Every picture the show can draw, one row each: its name on the command
// line, its frame-rate cap, whether it must ask the terminal first, how
// --display auto ranks it, how the show makes its console, and how the
// capture tool makes back what a terminal would show of it. The command
// line, its help, auto, the show and the capture tool read this table and
// nothing else, so a new picture is one console file and one row.
#include <memory>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "platform/terminal_replies.h"
#include "render/cell_picture.h"

class TerminalConsole;

// What the show knows of its terminal when it chooses a picture.
struct TerminalFacts {
    bool truecolor = false;    // COLORTERM says 24-bit colour
    bool multiplexer = false;  // inside tmux or screen
    bool asked = false;        // the terminal was asked (and these are its replies)
    TerminalReplies replies;
};

// What the console of a row is made with.
struct ConsoleRequest {
    CellShape cells = CellShape::HalfBlock;  // --cells
    int framesPerSecond = 0;                 // the cap in force
    TerminalReplies replies;                 // what the terminal said, if asked
};

// How the capture tool makes back what a terminal shows of a frame: from
// libcaca's characters, the cells a console drew, or the image a frame's
// bytes carry.
enum class PictureReadBack { Characters, Cells, KittyImage, SixelImage };

struct DisplayRow {
    std::string_view name;      // --display NAME
    std::string_view title;     // in "the <title> picture"
    std::string_view help;      // what it draws, for --help
    std::string_view autoRule;  // when auto takes it, for --help
    int defaultFps = 0;         // the cap without --fps; 0: none
    // It shows the frame's own pixels, so it needs the terminal's answers,
    // and auto leaves it out inside tmux or screen.
    bool asksTerminal = false;
    // Auto takes the row of the highest rank whose terminal shows it.
    int autoRank = 0;
    bool (*autoTakes)(const TerminalFacts& facts) = nullptr;
    // Why a terminal that was asked cannot show it when it is chosen by
    // name; null or an empty text: it is drawn.
    std::string (*refusal)(const TerminalFacts& facts) = nullptr;
    // Its console on the raw terminal; null for libcaca's own console.
    std::unique_ptr<TerminalConsole> (*makeConsole)(const ConsoleRequest& request) = nullptr;
    PictureReadBack readBack = PictureReadBack::Characters;
};

// Every row, in the order --help lists them; the first is the default.
std::span<const DisplayRow> displayRows();
// The rows' names, in table order.
std::vector<std::string_view> displayNames();
// The row of that name; null when there is none.
const DisplayRow* findDisplay(std::string_view name);
// libcaca's characters: the default, and the picture every other one
// falls back to when its terminal cannot be taken over.
const DisplayRow& classicDisplay();

// The classic picture's name, and what --display takes besides the rows'
// names.
constexpr std::string_view kClassicDisplay = "caca";
constexpr std::string_view kAutoDisplay = "auto";

// The cap in force: --fps when given (above 0), else the row's own.
int framesPerSecondFor(const DisplayRow& row, int askedFps);

// The names of the rows `take` picks, in table order, joined as in a
// sentence: "kitty and sixel" with `word` "and".
std::string joinedNames(bool (*take)(const DisplayRow&), std::string_view word);
// Any words joined so: "truecolor, kitty or sixel" with `word` "or".
std::string joinedWords(const std::vector<std::string_view>& words, std::string_view word);
