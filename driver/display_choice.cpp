#include "driver/display_choice.h"

#include <cstdlib>

#include "platform/raw_terminal.h"

namespace {

bool asksTerminal(const DisplayRow& row) { return row.asksTerminal; }

// The row of the highest rank that `facts` show; the rows that ask the
// terminal only `withAsking`.
const DisplayRow& bestShown(const TerminalFacts& facts, bool withAsking) {
    const DisplayRow* best = &classicDisplay();
    for (const DisplayRow& row : displayRows()) {
        if (row.asksTerminal && !withAsking) continue;
        if (row.autoTakes && row.autoTakes(facts) && row.autoRank > best->autoRank) best = &row;
    }
    return *best;
}

// The best picture without the terminal's answers.
const DisplayRow& cellPicture(const TerminalFacts& facts) { return bestShown(facts, false); }

std::string insteadOf(const std::string& reason, const DisplayRow& row) {
    return reason + "; showing the " + std::string(row.title) + " picture instead";
}

}  // namespace

bool colortermSaysTruecolor(const char* colorterm) {
    const std::string_view value = colorterm ? colorterm : "";
    return value == "truecolor" || value == "24bit";
}

bool insideMultiplexer(const char* tmux, const char* sty, const char* term) {
    const std::string_view type = term ? term : "";
    return (tmux && *tmux) || (sty && *sty) || type.starts_with("screen") || type.starts_with("tmux");
}

bool needsTerminalAnswers(std::string_view choice, bool multiplexer) {
    if (choice == kAutoDisplay) return !multiplexer;
    const DisplayRow* row = findDisplay(choice);
    return row && row->asksTerminal;
}

DisplayDecision decideDisplay(std::string_view choice, const TerminalFacts& facts) {
    if (const DisplayRow* row = findDisplay(choice)) {
        const std::string refusal = row->refusal ? row->refusal(facts) : std::string();
        if (refusal.empty()) return {row, {}};
        return {&cellPicture(facts), insteadOf(refusal, cellPicture(facts))};
    }
    if (choice != kAutoDisplay) return {};
    // Where no picture asks the terminal there is nothing to leave out.
    if (facts.multiplexer && joinedNames(asksTerminal, "and").empty())
        return {&cellPicture(facts), {}};
    if (facts.multiplexer)
        return {&cellPicture(facts),
                "inside tmux or screen --display auto leaves out the " + joinedNames(asksTerminal, "and") +
                    " pictures (their passthrough is unreliable); --display " + joinedNames(asksTerminal, "or") +
                    " tries them anyway"};
    return {&bestShown(facts, true), {}};
}

DisplayDecision decideDisplayHere(std::string_view choice, TerminalProbe& probe) {
    TerminalFacts facts;
    facts.truecolor = colortermSaysTruecolor(std::getenv("COLORTERM")) || consoleTakesVirtualTerminal();
    facts.multiplexer = insideMultiplexer(std::getenv("TMUX"), std::getenv("STY"), std::getenv("TERM"));
    if (needsTerminalAnswers(choice, facts.multiplexer)) probe = probeTerminal();
    facts.asked = probe.asked;
    facts.replies = probe.replies;
    return decideDisplay(choice, facts);
}
