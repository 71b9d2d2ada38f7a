#include "tools/gen/recipe.h"

#include <cerrno>
#include <cstdlib>
#include <fstream>

namespace gen {

namespace {

// Splits at blanks; "quoted text" is one token; a "#" followed by a blank
// (or ending the line) starts a comment.
std::vector<std::string> tokenize(const std::string& line) {
    std::vector<std::string> tokens;
    size_t i = 0;
    while (i < line.size()) {
        const char c = line[i];
        if (c == ' ' || c == '\t' || c == '\r') {
            ++i;
        } else if (c == '#' && (i + 1 == line.size() || line[i + 1] == ' ' || line[i + 1] == '\t')) {
            break;  // a comment; "#rrggbb" is a colour
        } else if (c == '"') {
            const size_t end = line.find('"', i + 1);
            const size_t stop = end == std::string::npos ? line.size() : end;
            tokens.push_back(line.substr(i + 1, stop - i - 1));
            i = stop + 1;
        } else {
            size_t end = i;
            while (end < line.size() && line[end] != ' ' && line[end] != '\t' && line[end] != '\r')
                ++end;
            tokens.push_back(line.substr(i, end - i));
            i = end;
        }
    }
    return tokens;
}

int hexDigit(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

}  // namespace

bool parseNumber(const std::string& token, double& out) {
    if (token.empty()) return false;
    char* end = nullptr;
    errno = 0;
    const double value = std::strtod(token.c_str(), &end);
    if (errno != 0 || !end || *end != '\0') return false;
    out = value;
    return true;
}

bool parseHexColor(const std::string& token, Color& out) {
    if (token.size() != 7 || token[0] != '#') return false;
    float channel[3];
    for (int i = 0; i < 3; ++i) {
        const int hi = hexDigit(token[1 + 2 * i]), lo = hexDigit(token[2 + 2 * i]);
        if (hi < 0 || lo < 0) return false;
        channel[i] = static_cast<float>(hi * 16 + lo) / 255.0f;
    }
    out = {channel[0], channel[1], channel[2]};
    return true;
}

void Recipe::fail(const std::string& key, const std::string& problem) const {
    throw RecipeError(file + ":" + std::to_string(line) + ": " + name + ": \"" + key + "\" " +
                      problem);
}

const std::vector<std::string>& Recipe::values(const std::string& key) const {
    for (const auto& entry : entries)
        if (entry.first == key) return entry.second;
    fail(key, "is missing");
}

bool Recipe::has(const std::string& key) const {
    for (const auto& entry : entries)
        if (entry.first == key) return true;
    return false;
}

double Recipe::number(const std::string& key) const { return numbers(key, 1)[0]; }

int Recipe::integer(const std::string& key) const {
    const double value = number(key);
    if (value != static_cast<double>(static_cast<long>(value)) || value < -1e9 || value > 1e9)
        fail(key, "must be a whole number");
    return static_cast<int>(value);
}

std::vector<double> Recipe::numbers(const std::string& key, size_t count) const {
    const std::vector<std::string>& tokens = values(key);
    if (tokens.size() != count) fail(key, "needs " + std::to_string(count) + " number(s)");
    std::vector<double> result(count);
    for (size_t i = 0; i < count; ++i)
        if (!parseNumber(tokens[i], result[i])) fail(key, "has a bad number \"" + tokens[i] + "\"");
    return result;
}

Color Recipe::color(const std::string& key) const {
    const std::vector<std::string>& tokens = values(key);
    if (tokens.size() != 1 || tokens[0].size() != 7 || tokens[0][0] != '#')
        fail(key, "needs one colour written #rrggbb");
    Color color;
    if (!parseHexColor(tokens[0], color)) fail(key, "has a bad colour \"" + tokens[0] + "\"");
    return color;
}

std::string Recipe::text(const std::string& key) const {
    const std::vector<std::string>& tokens = values(key);
    std::string joined;
    for (const std::string& token : tokens) joined += (joined.empty() ? "" : " ") + token;
    return joined;
}

std::vector<std::string> Recipe::texts(const std::string& key) const {
    std::vector<std::string> result;
    for (const auto& entry : entries) {
        if (entry.first != key) continue;
        std::string joined;
        for (const std::string& token : entry.second) joined += (joined.empty() ? "" : " ") + token;
        result.push_back(joined);
    }
    return result;
}

std::vector<std::vector<std::string>> Recipe::all(const std::string& key) const {
    std::vector<std::vector<std::string>> result;
    for (const auto& entry : entries)
        if (entry.first == key) result.push_back(entry.second);
    return result;
}

std::vector<Recipe> readRecipes(const std::string& path, const std::string& section) {
    std::ifstream in(path);
    if (!in) throw RecipeError("cannot read " + path);
    std::vector<Recipe> recipes;
    std::string line;
    int number = 0;
    while (std::getline(in, line)) {
        ++number;
        const std::vector<std::string> tokens = tokenize(line);
        if (tokens.empty()) continue;
        const bool indented = line[0] == ' ' || line[0] == '\t';
        if (!indented) {
            if (tokens[0] != section || tokens.size() != 3)
                throw RecipeError(path + ":" + std::to_string(number) + ": expected \"" + section +
                                  " NAME KIND\"");
            Recipe recipe;
            recipe.file = path;
            recipe.line = number;
            recipe.name = tokens[1];
            recipe.kind = tokens[2];
            recipes.push_back(recipe);
        } else {
            if (recipes.empty())
                throw RecipeError(path + ":" + std::to_string(number) + ": value before any \"" +
                                  section + "\" line");
            recipes.back().entries.emplace_back(
                tokens[0], std::vector<std::string>(tokens.begin() + 1, tokens.end()));
        }
    }
    return recipes;
}

}  // namespace gen
