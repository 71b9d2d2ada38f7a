#include "driver/display_choice.h"

#include <cstdlib>
#include <string_view>

namespace {

// The best picture without the frame's own pixels.
DisplayKind cellPicture(const TerminalFacts& facts) {
    return facts.truecolor ? DisplayKind::Truecolor : DisplayKind::Caca;
}

std::string insteadOf(const std::string& reason, DisplayKind kind) {
    return reason + "; showing the " + displayName(kind) + " picture instead";
}

bool enoughRegisters(const TerminalReplies& replies) {
    // A terminal that does not say has its own default, 256 or more in
    // every sixel terminal that leaves the question unanswered.
    return replies.colorRegisters == 0 || replies.colorRegisters >= kFewestSixelRegisters;
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

bool needsTerminalAnswers(DisplayChoice choice, bool multiplexer) {
    if (choice == DisplayChoice::Auto) return !multiplexer;
    return choice == DisplayChoice::Kitty || choice == DisplayChoice::Sixel;
}

const char* displayName(DisplayKind kind) {
    switch (kind) {
        case DisplayKind::Caca: return "libcaca";
        case DisplayKind::Truecolor: return "truecolor";
        case DisplayKind::Kitty: return "kitty";
        case DisplayKind::Sixel: return "sixel";
    }
    return "libcaca";
}

DisplayDecision decideDisplay(DisplayChoice choice, const TerminalFacts& facts) {
    const TerminalReplies& replies = facts.replies;
    switch (choice) {
        case DisplayChoice::Caca: return {DisplayKind::Caca, {}};
        case DisplayChoice::Truecolor: return {DisplayKind::Truecolor, {}};
        case DisplayChoice::Kitty:
            // Without a terminal to ask, opening it says what is missing.
            if (!facts.asked || replies.kittyGraphics) return {DisplayKind::Kitty, {}};
            return {cellPicture(facts), insteadOf("the terminal did not answer the kitty graphics query",
                                                  cellPicture(facts))};
        case DisplayChoice::Sixel:
            if (!facts.asked || replies.sixel) return {DisplayKind::Sixel, {}};
            return {cellPicture(facts),
                    insteadOf(replies.deviceAttributes ? "the terminal does not report sixel graphics"
                                                       : "the terminal did not answer its device attributes",
                              cellPicture(facts))};
        case DisplayChoice::Auto:
            break;
    }
    if (facts.multiplexer)
        return {cellPicture(facts),
                "inside tmux or screen --display auto leaves out the kitty and sixel pictures (their "
                "passthrough is unreliable); --display kitty or sixel tries them anyway"};
    if (facts.asked && replies.kittyGraphics) return {DisplayKind::Kitty, {}};
    if (facts.asked && replies.sixel && enoughRegisters(replies)) return {DisplayKind::Sixel, {}};
    return {cellPicture(facts), {}};
}

DisplayDecision decideDisplayHere(DisplayChoice choice, TerminalProbe& probe) {
    TerminalFacts facts;
    facts.truecolor = colortermSaysTruecolor(std::getenv("COLORTERM"));
    facts.multiplexer = insideMultiplexer(std::getenv("TMUX"), std::getenv("STY"), std::getenv("TERM"));
    if (needsTerminalAnswers(choice, facts.multiplexer)) probe = probeTerminal();
    facts.asked = probe.asked;
    facts.replies = probe.replies;
    return decideDisplay(choice, facts);
}
