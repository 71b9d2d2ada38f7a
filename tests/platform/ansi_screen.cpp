#include "tests/platform/ansi_screen.h"

#include <gtest/gtest.h>

#include <charconv>

namespace {

std::vector<int> numbersOf(std::string_view parameters) {
    std::vector<int> numbers;
    std::size_t begin = 0;
    while (begin <= parameters.size()) {
        std::size_t end = parameters.find(';', begin);
        if (end == std::string_view::npos) end = parameters.size();
        int value = 0;
        if (end > begin) {
            const auto result =
                std::from_chars(parameters.data() + begin, parameters.data() + end, value);
            EXPECT_TRUE(result.ec == std::errc() && result.ptr == parameters.data() + end)
                << "bad parameter in " << parameters;
        }
        numbers.push_back(value);
        begin = end + 1;
    }
    return numbers;
}

int utf8Length(unsigned char lead) {
    if (lead < 0x80) return 1;
    if ((lead & 0xE0) == 0xC0) return 2;
    if ((lead & 0xF0) == 0xE0) return 3;
    if ((lead & 0xF8) == 0xF0) return 4;
    return 0;
}

}  // namespace

AnsiScreen::AnsiScreen(int columns, int rows)
    : columns_(columns), rows_(rows), cells_(static_cast<std::size_t>(columns) * rows) {}

void AnsiScreen::feed(std::string_view bytes) {
    std::size_t i = 0;
    while (i < bytes.size()) {
        const auto byte = static_cast<unsigned char>(bytes[i]);
        if (byte == 0x1B && i + 1 < bytes.size() && bytes[i + 1] == '[') {
            std::size_t end = i + 2;
            while (end < bytes.size() && !(bytes[end] >= 0x40 && bytes[end] <= 0x7E)) ++end;
            ASSERT_LT(end, bytes.size()) << "unfinished control sequence";
            controlSequence(bytes.substr(i + 2, end - i - 2), bytes[end]);
            i = end + 1;
        } else if (byte == 0x1B && i + 1 < bytes.size() && bytes[i + 1] == ']') {
            const std::size_t bell = bytes.find('\a', i);
            ASSERT_NE(bell, std::string_view::npos) << "unfinished title";
            const std::string_view body = bytes.substr(i + 2, bell - i - 2);
            ASSERT_TRUE(body.starts_with("2;")) << "unexpected OSC " << body;
            title_ = body.substr(2);
            i = bell + 1;
        } else if (byte == '\n') {
            // As a terminal that turns a line feed into a new line shows it.
            cursorColumn_ = 0;
            ++cursorRow_;
            ++i;
        } else if (byte < 0x20 || byte == 0x7F) {
            ADD_FAILURE() << "unexpected control byte " << int(byte);
            return;
        } else {
            const int length = utf8Length(byte);
            ASSERT_TRUE(length > 0 && i + length <= bytes.size()) << "broken UTF-8";
            put(std::string(bytes.substr(i, length)));
            i += length;
        }
    }
}

void AnsiScreen::controlSequence(std::string_view parameters, char final) {
    if (parameters == "?2026") {
        ASSERT_TRUE(final == 'h' || final == 'l');
        ASSERT_NE(synchronized_, final == 'h') << "synchronized update nested or unbalanced";
        synchronized_ = final == 'h';
        if (!synchronized_) ++synchronizedFrames_;
        return;
    }
    const std::vector<int> numbers = numbersOf(parameters);
    switch (final) {
        case 'H':
            ASSERT_EQ(numbers.size(), 2u) << "cursor position needs row and column";
            ASSERT_TRUE(numbers[0] >= 1 && numbers[0] <= rows_ && numbers[1] >= 1 &&
                        numbers[1] <= columns_)
                << "cursor moved off the screen: " << parameters;
            cursorRow_ = numbers[0] - 1;
            cursorColumn_ = numbers[1] - 1;
            return;
        case 'C':
            ASSERT_EQ(numbers.size(), 1u);
            cursorColumn_ += std::max(numbers[0], 1);
            ASSERT_LT(cursorColumn_, columns_) << "cursor moved past the right edge";
            return;
        case 'J':
            ASSERT_EQ(parameters, "2");
            for (ScreenCell& cell : cells_) cell = ScreenCell{" ", foreground_, background_};
            return;
        case 'm':
            selectGraphicRendition(parameters);
            return;
        default:
            ADD_FAILURE() << "unexpected control sequence " << parameters << final;
    }
}

void AnsiScreen::selectGraphicRendition(std::string_view parameters) {
    const std::vector<int> n = numbersOf(parameters);
    for (std::size_t i = 0; i < n.size();) {
        if (n[i] == 0) {
            foreground_ = background_ = ScreenCell::kDefault;
            ++i;
        } else if ((n[i] == 38 || n[i] == 48) && i + 4 < n.size() && n[i + 1] == 2) {
            for (int k = 2; k <= 4; ++k) ASSERT_TRUE(n[i + k] >= 0 && n[i + k] <= 255);
            const std::uint32_t color = static_cast<std::uint32_t>(n[i + 2] | n[i + 3] << 8 | n[i + 4] << 16);
            (n[i] == 38 ? foreground_ : background_) = color;
            i += 5;
        } else {
            ADD_FAILURE() << "unexpected colour parameters " << parameters;
            return;
        }
    }
}

void AnsiScreen::put(std::string glyph) {
    ASSERT_TRUE(cursorColumn_ < columns_ && cursorRow_ < rows_) << "wrote past the screen's edge";
    cells_[cursorRow_ * columns_ + cursorColumn_] = ScreenCell{std::move(glyph), foreground_, background_};
    ++cursorColumn_;
    ++glyphsWritten_;
}
