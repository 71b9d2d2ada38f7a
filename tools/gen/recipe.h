#pragma once
// Readable recipes for generated content. A recipe file holds blocks like
//
//   picture kuva1.jpg mountains      <- header: section word, file name, kind
//       seed 1001                    <- indented "key value..." lines
//       line "vesper glint"          <- quoted text keeps its spaces
//
// "# " starts a comment ("#rrggbb" is a colour). Keys may repeat (text lines); order is kept.
#include <map>
#include <stdexcept>
#include <string>
#include <utility>
#include <vector>

#include "tools/gen/gen_math.h"

namespace gen {

// Thrown for a missing or malformed value; the message names file, line and key.
class RecipeError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

class Recipe {
public:
    std::string file;     // recipe file, for messages
    int line = 0;         // line of the header
    std::string name;     // output file name
    std::string kind;     // what makes it (scene, symbol, text ...)
    std::vector<std::pair<std::string, std::vector<std::string>>> entries;

    bool has(const std::string& key) const;
    double number(const std::string& key) const;
    int integer(const std::string& key) const;
    std::vector<double> numbers(const std::string& key, size_t count) const;
    Color color(const std::string& key) const;  // "#rrggbb"
    std::string text(const std::string& key) const;
    std::vector<std::string> texts(const std::string& key) const;  // every occurrence
    // The raw tokens of every occurrence of a repeated key.
    std::vector<std::vector<std::string>> all(const std::string& key) const;

    // Throws a RecipeError that names the file, the block and the key.
    [[noreturn]] void fail(const std::string& key, const std::string& problem) const;

private:
    const std::vector<std::string>& values(const std::string& key) const;
};

// Reads "#rrggbb"; false (and `out` untouched) for anything else.
bool parseHexColor(const std::string& token, Color& out);

// Reads a whole token as a decimal number; false for trailing junk.
bool parseNumber(const std::string& token, double& out);

// Reads every block whose header starts with `section`. Throws RecipeError
// for unreadable files or lines that fit no block.
std::vector<Recipe> readRecipes(const std::string& path, const std::string& section);

}  // namespace gen
