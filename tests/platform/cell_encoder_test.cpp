#include "platform/cell_encoder.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <charconv>
#include <cstdlib>
#include <random>
#include <string>
#include <vector>

#include "render/cell_picture.h"

namespace {

std::uint32_t rgb(std::uint32_t r, std::uint32_t g, std::uint32_t b) { return r | g << 8 | b << 16; }

// Just enough of a 24-bit terminal to tell which glyph lands where, in
// which colours: the sequences the encoder may send, and nothing else.
struct Screen {
    static constexpr std::uint32_t kDefault = 0xFF000000u;  // the terminal's own colour
    struct Shown {
        std::string glyph = " ";
        std::uint32_t ink = kDefault, paper = kDefault;
    };
    Screen(int columns, int rows) : columns(columns), cells(std::size_t(columns * rows)) {}
    Shown& at(int x, int y) { return cells.at(static_cast<std::size_t>(y) * columns + x); }

    void feed(std::string_view bytes) {
        for (std::size_t i = 0; i < bytes.size();) {
            if (bytes.substr(i, 4) == "\x1b]2;") {
                const std::size_t bell = bytes.find('\a', i);
                ASSERT_NE(bell, std::string_view::npos);
                title = bytes.substr(i + 4, bell - i - 4);
                i = bell + 1;
            } else if (bytes.substr(i, 2) == "\x1b[") {
                std::size_t end = i + 2;
                while (end < bytes.size() && (bytes[end] < 0x40 || bytes[end] > 0x7E)) ++end;
                ASSERT_LT(end, bytes.size()) << "unfinished sequence";
                control(bytes.substr(i + 2, end - i - 2), bytes[end]);
                i = end + 1;
            } else if (bytes[i] == '\n') {
                column = 0;
                ++row;
                ++i;
            } else {
                ASSERT_GE(static_cast<unsigned char>(bytes[i]), 0x20) << "a control byte";
                ASSERT_LT(column, columns) << "a glyph past the right edge";
                const auto lead = static_cast<unsigned char>(bytes[i]);
                const std::size_t length = lead < 0x80 ? 1 : lead < 0xE0 ? 2 : lead < 0xF0 ? 3 : 4;
                at(column++, row) = {std::string(bytes.substr(i, length)), ink, paper};
                i += length;
            }
        }
    }

    void control(std::string_view parameters, char final) {
        if (parameters == "?2026") return;  // synchronized update
        std::vector<int> n;
        for (const char* at = parameters.data(); at < parameters.data() + parameters.size(); ++at)
            at = std::from_chars(at, parameters.data() + parameters.size(), n.emplace_back()).ptr;
        if (final == 'H') {
            row = n.at(0) - 1;
            column = n.at(1) - 1;
        } else if (final == 'C') {
            column += n.empty() ? 1 : n[0];
        } else if (final == 'J') {
            // As xterm clears: in the current background.
            for (Shown& cell : cells) cell = {" ", ink, paper};
        } else if (final == 'm') {
            for (std::size_t k = 0; k < n.size(); k += n[k] == 0 ? 1 : 5) {
                if (n[k] == 0) ink = paper = kDefault;
                else if (n[k] != 38 && n[k] != 48) return ADD_FAILURE() << parameters;
                else (n[k] == 38 ? ink : paper) = rgb(n.at(k + 2), n.at(k + 3), n.at(k + 4));
            }
        } else {
            ADD_FAILURE() << "unexpected sequence " << parameters << final;
        }
    }

    int columns;
    std::vector<Shown> cells;
    std::string title;
    int column = 0, row = 0;
    std::uint32_t ink = kDefault, paper = kDefault;
};

int largestChannelStep(std::uint32_t a, std::uint32_t b) {
    int largest = 0;
    for (int c = 0; c < 3; ++c)
        largest = std::max(largest, std::abs(int(a >> (8 * c) & 0xFF) - int(b >> (8 * c) & 0xFF)));
    return largest;
}

// Every sub-cell the screen shows has the colour the picture asks for, or
// one within `tolerance` steps of it in every channel.
void expectScreenShows(Screen& screen, const CellPicture& picture, int column, int row,
                       int tolerance = 0) {
    const int subCells = subCellColumns(picture.shape) * subCellRows(picture.shape);
    for (int y = 0; y < picture.rows; ++y) {
        for (int x = 0; x < picture.columns; ++x) {
            const Screen::Shown& shown = screen.at(column + x, row + y);
            int mask = 0;
            while (mask < 1 << subCells && cellGlyph(picture.shape, std::uint8_t(mask)) != shown.glyph)
                ++mask;
            ASSERT_LT(mask, 1 << subCells) << "unknown glyph at " << x << ", " << y;
            const Cell seen{shown.ink, shown.paper, static_cast<std::uint8_t>(mask)};
            for (int i = 0; i < subCells; ++i)
                ASSERT_LE(largestChannelStep(subCellColor(seen, i), subCellColor(picture.at(x, y), i)),
                          tolerance)
                    << "cell " << x << ", " << y << " sub-cell " << i;
        }
    }
}

CellPicture randomPicture(std::mt19937& random, CellShape shape, int columns, int rows, int colors) {
    CellPicture picture(shape, columns, rows);
    const int masks = 1 << (subCellColumns(shape) * subCellRows(shape));
    // Few colours, so runs of equal colours (and inverted reuse) happen.
    for (Cell& cell : picture.cells)
        cell = Cell{rgb(random() % colors * 40, 7, 9), rgb(3, random() % colors * 50, 1),
                    static_cast<std::uint8_t>(random() % masks)};
    return picture;
}

TEST(CellEncoder, TheTerminalShowsEachFrameWhereverItMovesAndAfterAnInvalidate) {
    std::mt19937 random(11);
    for (CellShape shape : {CellShape::HalfBlock, CellShape::Quadrant, CellShape::Sextant}) {
        Screen screen(23, 9);
        CellEncoder encoder;
        CellPicture picture = randomPicture(random, shape, 21, 7, 3);
        int column = 1, row = 2;
        for (int frame = 0; frame < 20; ++frame) {
            if (frame == 10) {  // the terminal was resized: another size and place
                picture = randomPicture(random, shape, 20, 8, 3);
                column = 2;
                row = 1;
            }
            if (frame == 15) {  // stopped and continued: the shell wrote over all of it
                encoder.invalidate();
                screen = Screen(23, 9);
            }
            const CellPicture next = randomPicture(random, shape, picture.columns, picture.rows, 3);
            for (std::size_t i = 0; i < picture.cells.size(); ++i)
                if (random() % 4 == 0) picture.cells[i] = next.cells[i];
            const std::string title = "time = " + std::to_string(frame / 4);
            screen.feed(encoder.encodeFrame(picture, column, row, title));
            expectScreenShows(screen, picture, column, row);
            ASSERT_EQ(screen.title, title) << "frame " << frame;
            if (frame == 10) {
                EXPECT_EQ(screen.at(0, 0).paper, Screen::kDefault) << "cleared in a picture's colour";
            }
        }
    }
}

TEST(CellEncoder, ColoursAndMovesOnlyWhereNeeded) {
    CellPicture picture(CellShape::HalfBlock, 6, 1);
    const std::uint32_t a = rgb(1, 1, 1), b = rgb(2, 2, 2);
    picture.at(0, 0) = Cell{a, b, 1};
    picture.at(1, 0) = Cell{a, b, 1};  // same colours: glyph only
    picture.at(2, 0) = Cell{b, a, 1};  // swapped: drawn as the lower half, no colour
    picture.at(3, 0) = solidCell(b);   // the background alone
    picture.at(4, 0) = solidCell(a);   // a is the foreground: a full block
    picture.at(5, 0) = solidCell(a);
    CellEncoder encoder;
    std::string bytes(encoder.encodeFrame(picture, 0, 0, ""));
    const std::string body = bytes.substr(bytes.find("\x1b[2J") + 4);
    EXPECT_EQ(body, "\x1b[1;1H\x1b[38;2;1;1;1;48;2;2;2;2m\u2580\u2580\u2584 \u2588\u2588" +
                        std::string(kEndSynchronizedUpdate));

    // Changes at 0, 2 and 5 of the same row: forward moves over the gaps.
    for (int x : {0, 2, 5}) picture.at(x, 0) = solidCell(rgb(9, 9, 9));
    bytes = encoder.encodeFrame(picture, 3, 2, "");  // moved: everything again
    // The same picture: nothing but the brackets, and a new title alone.
    bytes = encoder.encodeFrame(picture, 3, 2, "time = 6");
    EXPECT_EQ(bytes, std::string(kBeginSynchronizedUpdate) + "\x1b]2;time = 6\a" + std::string(kEndSynchronizedUpdate));
    bytes = encoder.encodeFrame(picture, 3, 2, "time = 6");
    EXPECT_EQ(bytes, std::string(kBeginSynchronizedUpdate) + std::string(kEndSynchronizedUpdate));
    for (int x : {0, 2, 5}) picture.at(x, 0) = solidCell(rgb(8, 8, 8));
    bytes = encoder.encodeFrame(picture, 3, 2, "time = 6");
    EXPECT_EQ(bytes, std::string(kBeginSynchronizedUpdate) + "\x1b[3;4H\x1b[48;2;8;8;8m \x1b[C \x1b[2C " +
                         std::string(kEndSynchronizedUpdate));
}

TEST(CellEncoder, WithAToleranceTheScreenNeverStraysFurtherWhateverTheColoursDo) {
    constexpr int kTolerance = 4;
    std::mt19937 random(5);
    for (CellShape shape : {CellShape::HalfBlock, CellShape::Sextant}) {
        Screen screen(16, 6);
        CellEncoder exact, tolerant(kTolerance);
        CellPicture picture = randomPicture(random, shape, 16, 6, 6);
        std::size_t exactBytes = 0, tolerantBytes = 0;
        for (int frame = 0; frame < 40; ++frame) {
            // Most cells creep one step a frame the same way, which would pile
            // up if skipped steps were never measured against the picture
            // (no foreground channel reaches 255 in 40 frames); some jump.
            for (Cell& cell : picture.cells) {
                if (random() % 8 == 0) cell = randomPicture(random, shape, 1, 1, 6).cells[0];
                else cell.foreground += 0x010101;
            }
            const std::string_view bytes = tolerant.encodeFrame(picture, 0, 0, "");
            tolerantBytes += bytes.size();
            screen.feed(bytes);
            expectScreenShows(screen, picture, 0, 0, kTolerance);
            // What the encoder says the terminal shows is what it shows.
            expectScreenShows(screen, tolerant.shown(), 0, 0);
            exactBytes += exact.encodeFrame(picture, 0, 0, "").size();
        }
        EXPECT_LT(tolerantBytes * 2, exactBytes);
    }
}

TEST(CellEncoder, CellsShareAPenColourByTheToleranceWhereThePictureIsBusyLessWhereItIsFlat) {
    CellEncoder encoder(4);
    // Cells split into light and dark halves creeping 2 steps a cell: a busy
    // picture, so 4 steps off; 204 and 4 pass for the first five.
    CellPicture busy(CellShape::HalfBlock, 6, 1);
    for (int x = 0; x < 6; ++x) {
        const std::uint32_t light = 200 + 2 * x, dark = 2 * x;
        busy.at(x, 0) = Cell{rgb(light, light, light), rgb(dark, dark, dark), 1};
    }
    std::string bytes(encoder.encodeFrame(busy, 0, 0, ""));
    EXPECT_NE(bytes.find("\x1b[38;2;204;204;204;48;2;4;4;4m\u2580\u2580\u2580\u2580\u2580"
                         "\x1b[38;2;210;210;210;48;2;10;10;10m\u2580"),
              std::string::npos)
        << bytes;
    // The same grey steps as a flat gradient spread 4 steps around a cell,
    // so 2 off at most (1 at the ends): three colours, each the asked
    // colour where one passes for its cells.
    CellPicture gradient(CellShape::HalfBlock, 6, 1);
    for (int x = 0; x < 6; ++x) gradient.at(x, 0) = solidCell(rgb(10 + 2 * x, 10 + 2 * x, 10 + 2 * x));
    encoder.invalidate();
    bytes = encoder.encodeFrame(gradient, 0, 0, "");
    EXPECT_NE(bytes.find("\x1b[1;1H\x1b[48;2;10;10;10m  \x1b[48;2;16;16;16m   \x1b[48;2;20;20;20m "),
              std::string::npos)
        << bytes;
    // Near white a colour's box is cut at 255: the box's middle (254) would
    // be off where the asked colour itself passes.
    for (int x = 0; x < 6; ++x) {
        const std::uint32_t grey = 245 + 2 * x;
        gradient.at(x, 0) = solidCell(rgb(grey, grey, grey));
    }
    encoder.invalidate();
    bytes = encoder.encodeFrame(gradient, 0, 0, "");
    EXPECT_NE(bytes.find("\x1b[48;2;251;251;251m   \x1b[48;2;255;255;255m "), std::string::npos)
        << bytes;
}

TEST(CellEncoder, StandaloneTextShowsThePictureAndEndsEachRowReset) {
    std::mt19937 random(9);
    for (CellShape shape : {CellShape::HalfBlock, CellShape::Sextant}) {
        const CellPicture picture = randomPicture(random, shape, 12, 4, 2);
        const std::string text = CellEncoder::standaloneText(picture);
        Screen screen(12, 5);
        screen.feed(text);
        expectScreenShows(screen, picture, 0, 0);
        // A row's colours must not run on into what follows it in a file.
        for (std::size_t end = text.find('\n'); end != text.npos; end = text.find('\n', end + 1))
            EXPECT_EQ(text.substr(end - 4, 4), "\x1b[0m");
    }
}

TEST(CellEncoder, TitleDropsControlCharacters) {
    CellEncoder encoder;
    CellPicture picture(CellShape::HalfBlock, 1, 1);
    const std::string_view bytes = encoder.encodeFrame(picture, 0, 0, "a\x1b]0;evil\a\x07\x7fz");
    Screen screen(1, 1);
    screen.feed(bytes);
    EXPECT_EQ(screen.title, "a]0;evilz");
    EXPECT_EQ(bytes.find('\x7f'), std::string_view::npos) << "DEL reached the terminal";
}

}  // namespace
