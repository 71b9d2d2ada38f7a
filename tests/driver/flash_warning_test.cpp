// The flash warning says the same everywhere a viewer may meet it first:
// the show's help, the README and the web page's start screen.
#include "driver/flash_warning.h"

#include <gtest/gtest.h>

#include <fstream>
#include <sstream>
#include <string>

#include "driver/show_options.h"
#include "tests/support/build_paths.h"

namespace {

// Runs of spaces and line breaks as one space: each place wraps it its own way.
std::string oneLine(const std::string& text) {
    std::string out;
    for (char c : text) {
        const bool space = c == ' ' || c == '\n';
        if (space && (out.empty() || out.back() == ' ')) continue;
        out += space ? ' ' : c;
    }
    return out;
}

std::string sourceFile(const std::string& path) {
    std::ifstream in(build_paths::sourceDir() + "/" + path);
    std::stringstream text;
    text << in.rdbuf();
    return text.str();
}

TEST(FlashWarning, TheHelpTheReadmeAndTheWebPageCarryTheSameWarning) {
    const std::string warning = flashWarning();
    EXPECT_NE(oneLine(parseShowCommandLine({"--help"}).print).find(warning), std::string::npos);
    for (const char* file : {"README.md", "web/index.html"})
        EXPECT_NE(oneLine(sourceFile(file)).find(warning), std::string::npos) << file;
}

}  // namespace
