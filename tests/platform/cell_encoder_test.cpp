#include "platform/cell_encoder.h"

#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

#include "render/cell_picture.h"
#include "tests/platform/ansi_screen.h"

namespace {

std::uint32_t rgb(std::uint32_t r, std::uint32_t g, std::uint32_t b) { return r | g << 8 | b << 16; }

int maskOfGlyph(CellShape shape, const std::string& glyph) {
    const int masks = 1 << (subCellColumns(shape) * subCellRows(shape));
    for (int mask = 0; mask < masks; ++mask)
        if (cellGlyph(shape, static_cast<std::uint8_t>(mask)) == glyph) return mask;
    return -1;
}

// Every sub-cell the screen shows has the colour the picture asks for.
void expectScreenShows(const AnsiScreen& screen, const CellPicture& picture, int column, int row) {
    const int subCells = subCellColumns(picture.shape) * subCellRows(picture.shape);
    for (int y = 0; y < picture.rows; ++y) {
        for (int x = 0; x < picture.columns; ++x) {
            const ScreenCell& shown = screen.at(column + x, row + y);
            const int mask = maskOfGlyph(picture.shape, shown.glyph);
            ASSERT_GE(mask, 0) << "unknown glyph at " << x << ", " << y;
            const Cell seen{shown.foreground, shown.background, static_cast<std::uint8_t>(mask)};
            for (int i = 0; i < subCells; ++i)
                ASSERT_EQ(subCellColor(seen, i), subCellColor(picture.at(x, y), i))
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

TEST(CellEncoder, OutputParsedBackReproducesTheCells) {
    std::mt19937 random(11);
    for (CellShape shape : {CellShape::HalfBlock, CellShape::Quadrant, CellShape::Sextant}) {
        AnsiScreen screen(23, 9);
        CellEncoder encoder;
        CellPicture picture = randomPicture(random, shape, 21, 7, 3);
        std::string bytes(encoder.encodeFrame(picture, 1, 2, "time = 0"));
        screen.feed(bytes);
        expectScreenShows(screen, picture, 1, 2);
        EXPECT_EQ(screen.at(0, 0).background, ScreenCell::kDefault) << "outside the picture";
        EXPECT_EQ(screen.at(22, 8).background, ScreenCell::kDefault);
        EXPECT_EQ(screen.title(), "time = 0");
        // Later frames change some cells; the screen follows each one.
        for (int frame = 1; frame < 30; ++frame) {
            const CellPicture next = randomPicture(random, shape, 21, 7, 3);
            for (std::size_t i = 0; i < picture.cells.size(); ++i)
                if (random() % 4 == 0) picture.cells[i] = next.cells[i];
            bytes = encoder.encodeFrame(picture, 1, 2, "time = " + std::to_string(frame));
            screen.feed(bytes);
            expectScreenShows(screen, picture, 1, 2);
            ASSERT_FALSE(screen.insideSynchronizedUpdate());
        }
        EXPECT_EQ(screen.synchronizedFrames(), 30);
        EXPECT_EQ(screen.title(), "time = 29");
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

TEST(CellEncoder, ResizeOrInvalidateRedrawsEverything) {
    std::mt19937 random(5);
    CellEncoder encoder;
    const CellPicture small = randomPicture(random, CellShape::HalfBlock, 10, 3, 4);
    std::string bytes(encoder.encodeFrame(small, 0, 0, "x"));
    // The terminal grew and the picture with it.
    const CellPicture large = randomPicture(random, CellShape::HalfBlock, 16, 5, 4);
    AnsiScreen screen(16, 5);
    bytes = encoder.encodeFrame(large, 0, 0, "x");
    screen.feed(bytes);
    expectScreenShows(screen, large, 0, 0);
    // After invalidate the same picture is sent again in full, with the
    // screen cleared and colours set from scratch.
    encoder.invalidate();
    AnsiScreen fresh(16, 5);
    bytes = encoder.encodeFrame(large, 0, 0, "x");
    fresh.feed(bytes);
    EXPECT_EQ(fresh.glyphsWritten(), 16 * 5);
    expectScreenShows(fresh, large, 0, 0);
}

TEST(CellEncoder, StandaloneTextShowsThePictureRowByRow) {
    std::mt19937 random(9);
    for (CellShape shape : {CellShape::HalfBlock, CellShape::Sextant}) {
        const CellPicture picture = randomPicture(random, shape, 12, 4, 2);
        const std::string text = CellEncoder::standaloneText(picture);
        AnsiScreen screen(12, 5);
        screen.feed(text);
        expectScreenShows(screen, picture, 0, 0);
        // Each line stands alone: it starts with its colours and ends reset.
        std::size_t lineStart = 0;
        for (int row = 0; row < 4; ++row) {
            const std::size_t lineEnd = text.find('\n', lineStart);
            ASSERT_NE(lineEnd, std::string::npos);
            EXPECT_EQ(text.compare(lineStart, 2, "\x1b["), 0) << "row " << row;
            EXPECT_EQ(text.compare(lineEnd - 4, 4, "\x1b[0m"), 0) << "row " << row;
            lineStart = lineEnd + 1;
        }
        EXPECT_EQ(lineStart, text.size());
    }
}

TEST(CellEncoder, TitleDropsControlCharacters) {
    CellEncoder encoder;
    CellPicture picture(CellShape::HalfBlock, 1, 1);
    const std::string_view bytes = encoder.encodeFrame(picture, 0, 0, "a\x1b]0;evil\a\x07\x7fz");
    AnsiScreen screen(1, 1);
    screen.feed(bytes);
    EXPECT_EQ(screen.title(), "a]0;evilz");
    EXPECT_EQ(bytes.find('\x7f'), std::string_view::npos) << "DEL reached the terminal";
}

}  // namespace
