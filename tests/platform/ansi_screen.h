#pragma once
// A small terminal for tests: it interprets the escape sequences the cell
// encoder may send (cursor position and forward, 24-bit colours, reset,
// clear, title, synchronized update, and a line feed as a new line) and
// fails the test on anything else.
#include <cstdint>
#include <string>
#include <string_view>

#include <vector>

struct ScreenCell {
    std::string glyph = " ";
    std::uint32_t foreground = kDefault;
    std::uint32_t background = kDefault;
    static constexpr std::uint32_t kDefault = 0xFF000000u;  // the terminal's own colour
};

class AnsiScreen {
public:
    AnsiScreen(int columns, int rows);
    void feed(std::string_view bytes);

    const ScreenCell& at(int column, int row) const { return cells_[row * columns_ + column]; }
    const std::string& title() const { return title_; }
    int glyphsWritten() const { return glyphsWritten_; }
    int synchronizedFrames() const { return synchronizedFrames_; }
    bool insideSynchronizedUpdate() const { return synchronized_; }

private:
    void controlSequence(std::string_view parameters, char final);
    void selectGraphicRendition(std::string_view parameters);
    void put(std::string glyph);

    int columns_;
    int rows_;
    std::vector<ScreenCell> cells_;
    int cursorColumn_ = 0;
    int cursorRow_ = 0;
    std::uint32_t foreground_ = ScreenCell::kDefault;
    std::uint32_t background_ = ScreenCell::kDefault;
    std::string title_;
    int glyphsWritten_ = 0;
    int synchronizedFrames_ = 0;
    bool synchronized_ = false;
};
