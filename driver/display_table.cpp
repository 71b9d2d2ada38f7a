#include "driver/display_table.h"


#include "platform/kitty_console.h"
#include "platform/raw_terminal.h"
#include "platform/sixel_console.h"
#include "platform/terminal_console.h"
#include "platform/truecolor_console.h"

namespace {

// Fewer colour registers than this make a poor sixel picture: auto then
// passes sixel by.
constexpr int kFewestSixelRegisters = 64;

bool always(const TerminalFacts&) { return true; }

bool colortermTruecolor(const TerminalFacts& facts) { return facts.truecolor; }

bool answeredKitty(const TerminalFacts& facts) { return facts.asked && facts.replies.kittyGraphics; }

bool enoughRegisters(const TerminalReplies& replies) {
    // A terminal that does not say has its own default, 256 or more in
    // every sixel terminal that leaves the question unanswered.
    return replies.colorRegisters == 0 || replies.colorRegisters >= kFewestSixelRegisters;
}

bool answeredSixel(const TerminalFacts& facts) {
    return facts.asked && facts.replies.sixel && enoughRegisters(facts.replies);
}

// Without a terminal to ask, opening the picture says what is missing.
std::string kittyRefusal(const TerminalFacts& facts) {
    if (!facts.asked || facts.replies.kittyGraphics) return {};
    return "the terminal did not answer the kitty graphics query";
}

std::string sixelRefusal(const TerminalFacts& facts) {
    if (!facts.asked || facts.replies.sixel) return {};
    return facts.replies.deviceAttributes ? "the terminal does not report sixel graphics"
                                          : "the terminal did not answer its device attributes";
}

std::unique_ptr<TerminalConsole> truecolorConsole(const ConsoleRequest& request) {
    return std::make_unique<TruecolorConsole>(request.cells, request.framesPerSecond, request.replies);
}

std::unique_ptr<TerminalConsole> kittyConsole(const ConsoleRequest& request) {
    return std::make_unique<KittyConsole>(request.framesPerSecond, request.replies, KittyTransfer::Direct);
}

std::unique_ptr<TerminalConsole> sixelConsole(const ConsoleRequest& request) {
    return std::make_unique<SixelConsole>(request.framesPerSecond, request.replies);
}

const DisplayRow kRows[] = {
    {.name = kClassicDisplay,
     .title = "libcaca",
     .help = "libcaca's characters",
     .autoRule = "caca",
     .autoRank = 1,
     .autoTakes = always,
     .readBack = PictureReadBack::Characters},
    {.name = "truecolor",
     .title = "truecolor",
     .help = "24-bit colour cells filling the terminal",
     .autoRule = "truecolor when COLORTERM is truecolor or 24bit",
     .defaultFps = 60,
     .autoRank = 2,
     .autoTakes = colortermTruecolor,
     .makeConsole = truecolorConsole,
     .readBack = PictureReadBack::Cells},
    {.name = "kitty",
     .title = "kitty",
     .help = "the frame's pixels through the terminal graphics protocol",
     .autoRule = "kitty where it answers the graphics query",
     .defaultFps = 60,
     .asksTerminal = true,
     .autoRank = 4,
     .autoTakes = answeredKitty,
     .refusal = kittyRefusal,
     .makeConsole = kittyConsole,
     .readBack = PictureReadBack::KittyImage},
    {.name = "sixel",
     .title = "sixel",
     .help = "the frame's pixels as sixel images",
     .autoRule = "sixel where it reports sixel graphics with enough colour registers",
     .defaultFps = 30,
     .asksTerminal = true,
     .autoRank = 3,
     .autoTakes = answeredSixel,
     .refusal = sixelRefusal,
     .makeConsole = sixelConsole,
     .readBack = PictureReadBack::SixelImage},
};

}  // namespace

// Every row where this system's raw terminal draws images, else libcaca's
// and the truecolor cells, which come first.
std::span<const DisplayRow> displayRows() {
    const std::span<const DisplayRow> rows = kRows;
    return rawTerminalDrawsImages() ? rows : rows.first(2);
}

std::vector<std::string_view> displayNames() {
    std::vector<std::string_view> names;
    for (const DisplayRow& row : displayRows()) names.push_back(row.name);
    return names;
}

const DisplayRow* findDisplay(std::string_view name) {
    for (const DisplayRow& row : displayRows())
        if (row.name == name) return &row;
    return nullptr;
}

const DisplayRow& classicDisplay() { return kRows[0]; }

int framesPerSecondFor(const DisplayRow& row, int askedFps) { return askedFps > 0 ? askedFps : row.defaultFps; }

std::string joinedNames(bool (*take)(const DisplayRow&), std::string_view word) {
    std::vector<std::string_view> names;
    for (const DisplayRow& row : displayRows())
        if (take(row)) names.push_back(row.name);
    return joinedWords(names, word);
}

std::string joinedWords(const std::vector<std::string_view>& words, std::string_view word) {
    std::string text;
    for (std::size_t i = 0; i < words.size(); ++i) {
        if (i > 0 && i + 1 == words.size()) text.append(" ").append(word).append(" ");
        else if (i > 0) text.append(", ");
        text.append(words[i]);
    }
    return text;
}
