#include "driver/command_line.h"

#include <algorithm>
#include <charconv>

namespace {

bool contains(const std::string& text, const char* part) { return text.find(part) != std::string::npos; }

// CLI11 words a missing value as "--start: 1 required TEXT missing" and a
// value given to a flag as "frames was given a disallowed flag override".
std::string describeMismatch(const std::string& text) {
    if (contains(text, "required") && contains(text, "missing"))
        return "option " + text.substr(0, text.find(':')) + " needs a value";
    if (contains(text, "disallowed flag override"))
        return "option --" + text.substr(0, text.find(' ')) + " takes no value";
    return text;
}

// A value echoed in a message is cut: a pasted file must not fill the
// terminal. The cut never splits a UTF-8 character.
std::string shortened(const std::string& text) {
    constexpr std::size_t kShown = 60;
    if (text.size() <= kShown) return text;
    std::size_t cut = kShown;
    while (cut > 0 && (static_cast<unsigned char>(text[cut]) & 0xC0) == 0x80) --cut;
    return text.substr(0, cut) + "... (" + std::to_string(text.size()) + " bytes)";
}

std::string describeLeftover(const std::string& argument) {
    if (argument.size() > 1 && argument.front() == '-')
        return "unknown option \"" + shortened(argument) + "\"";
    return "unexpected argument \"" + shortened(argument) + "\"";
}

}  // namespace

CommandLineOutcome parseCommandLine(CLI::App& app, const std::vector<std::string>& args) {
    // Leftovers are collected and worded here, not by CLI11.
    app.allow_extras();
    // "--" ends the options, as everywhere; neither program takes an
    // argument after it.
    const auto end = std::find(args.begin(), args.end(), "--");
    if (end != args.end() && end + 1 != args.end()) return {{}, describeLeftover(*(end + 1))};
    // CLI11 takes its argument vector last argument first.
    std::vector<std::string> reversed(std::make_reverse_iterator(end), args.rend());
    try {
        app.parse(reversed);
    } catch (const CLI::CallForHelp&) {
        return {app.help(), {}};
    } catch (const CLI::CallForVersion& version) {
        return {std::string(version.what()) + "\n", {}};
    } catch (const CLI::ArgumentMismatch& mismatch) {
        return {{}, describeMismatch(mismatch.what())};
    } catch (const CLI::ParseError& error) {
        return {{}, error.what()};
    }
    const std::vector<std::string> leftovers = app.remaining();
    if (!leftovers.empty()) return {{}, describeLeftover(leftovers.front())};
    return {};
}

void refuseValue(const std::string& message) { throw CLI::ValidationError(message); }

void refuseChoice(const std::string& option, const std::string& name, const std::vector<std::string_view>& names) {
    std::string list;
    for (std::size_t i = 0; i < names.size(); ++i) {
        if (i > 0) list += i + 1 == names.size() ? " or " : ", ";
        list += names[i];
    }
    refuseValue("option " + option + " takes " + list + ", not \"" + shortened(name) + "\"");
}

CellShape parseCellShape(const std::string& name) {
    return chooseValue<CellShape>(
        "--cells", name,
        {{"half", CellShape::HalfBlock}, {"quadrant", CellShape::Quadrant}, {"sextant", CellShape::Sextant}});
}

std::string parseWholeNumber(const std::string& name, const std::string& text, int low, int high,
                             int& value) {
    const char* first = text.data();
    const char* last = first + text.size();
    if (first != last && *first == '+') ++first;
    int parsed = 0;
    auto [end, ec] = std::from_chars(first, last, parsed);
    if (ec != std::errc() || end != last || first == last)
        return "option " + name + " needs a whole number, not \"" + shortened(text) + "\"";
    if (parsed < low || parsed > high)
        return "option " + name + " must be between " + std::to_string(low) + " and " +
               std::to_string(high) + ", not " + shortened(text);
    value = parsed;
    return {};
}
