#include "render/cell_converter.h"

#include <gtest/gtest.h>

#include <sys/mman.h>
#include <unistd.h>

#include <algorithm>
#include <bit>
#include <cmath>
#include <random>
#include <set>
#include <string_view>
#include <tuple>
#include <vector>

#include "render/area_average.h"
#include "render/cell_fit.h"
#include "render/cell_picture.h"

namespace {

constexpr int kWidth = 320;
constexpr int kHeight = 200;

std::uint32_t rgb(std::uint32_t r, std::uint32_t g, std::uint32_t b) { return r | g << 8 | b << 16; }

std::vector<std::uint32_t> flatFrame(std::uint32_t color) { return std::vector<std::uint32_t>(kWidth * kHeight, color); }

// The colour a picture shows at sub-cell (x, y) of its whole sub-cell grid.
std::uint32_t shownAt(const CellPicture& picture, int x, int y) {
    const int across = subCellColumns(picture.shape);
    const int down = subCellRows(picture.shape);
    const Cell& cell = picture.at(x / across, y / down);
    return subCellColor(cell, (y % down) * across + x % across);
}

const CellShape kShapes[] = {CellShape::HalfBlock, CellShape::Quadrant, CellShape::Sextant};

TEST(CellConverter, FlatFrameIsOneSolidColourAtAnySize) {
    // The top byte is not a colour and must not leak into the cells.
    const std::vector<std::uint32_t> frame = flatFrame(0xAB000000u | rgb(12, 200, 77));
    for (CellShape shape : kShapes) {
        for (auto [columns, rows] : {std::pair{80, 25}, {77, 31}, {1, 1}, {200, 60}, {401, 133}}) {
            CellConverter converter(shape, columns, rows);
            const CellPicture& picture = converter.convert(frame.data());
            ASSERT_EQ(picture.cells.size(), static_cast<std::size_t>(columns * rows));
            for (const Cell& cell : picture.cells)
                ASSERT_EQ(cell, solidCell(rgb(12, 200, 77))) << columns << " x " << rows;
        }
    }
}

TEST(CellConverter, EdgeAtACellsMiddleGivesExactlyItsTwoColours) {
    // 25 rows of cells: cell row 12 covers frame rows 96 to 103.
    const std::uint32_t upper = rgb(250, 10, 30);
    const std::uint32_t lower = rgb(5, 60, 240);
    std::vector<std::uint32_t> frame = flatFrame(upper);
    std::fill(frame.begin() + 100 * kWidth, frame.end(), lower);
    for (CellShape shape : {CellShape::HalfBlock, CellShape::Quadrant}) {
        CellConverter converter(shape, 80, 25);
        const CellPicture& picture = converter.convert(frame.data());
        for (int column = 0; column < 80; ++column) {
            EXPECT_EQ(picture.at(column, 11), solidCell(upper));
            EXPECT_EQ(picture.at(column, 13), solidCell(lower));
            for (int x = column * subCellColumns(shape); x < (column + 1) * subCellColumns(shape); ++x)
                EXPECT_EQ(std::pair(shownAt(picture, x, 24), shownAt(picture, x, 25)), std::pair(upper, lower));
            if (shape == CellShape::HalfBlock) {
                EXPECT_EQ(picture.at(column, 12), (Cell{upper, lower, 1}));
            }
        }
    }
    // A vertical edge in the middle of a cell splits quadrants, not half blocks.
    std::vector<std::uint32_t> sides = flatFrame(upper);
    for (int y = 0; y < kHeight; ++y)
        std::fill(sides.begin() + y * kWidth + 162, sides.begin() + (y + 1) * kWidth, lower);
    CellConverter quadrants(CellShape::Quadrant, 80, 25);
    const CellPicture& picture = quadrants.convert(sides.data());
    EXPECT_EQ(shownAt(picture, 80, 3), upper);  // cell 40 covers frame columns 160-163
    EXPECT_EQ(shownAt(picture, 81, 3), lower);
}

TEST(CellConverter, AveragesEveryPixelOfEachSubCell) {
    // 80 x 50 half blocks: every sub-cell is a 4 x 2 block of the frame.
    std::vector<std::uint32_t> frame(kWidth * kHeight);
    for (int y = 0; y < kHeight; ++y)
        for (int x = 0; x < kWidth; ++x)
            frame[y * kWidth + x] = rgb(x % 4 * 20 + y % 2 * 100, (x / 4) % 3 * 7, y % 2 ? 255 : 0);
    CellConverter converter(CellShape::HalfBlock, 80, 50);
    const CellPicture& picture = converter.convert(frame.data());
    // Red: (0 + 20 + 40 + 60) / 4 + 100 / 2 = 80; green exact per block;
    // blue: half 255, half 0, rounds 127.5 up.
    for (int y = 0; y < 100; ++y)
        for (int x = 0; x < 80; ++x) ASSERT_EQ(shownAt(picture, x, y), rgb(80, x % 3 * 7, 128));
}

TEST(CellConverter, NeverReadsPastTheFramesLastRow) {
    // The frame ends where an unreadable page begins: a read past its last
    // row stops the test.
    const std::size_t page = static_cast<std::size_t>(sysconf(_SC_PAGESIZE));
    const std::size_t bytes = kWidth * kHeight * 4, mapped = (bytes + page - 1) / page * page;
    auto* base = static_cast<std::uint8_t*>(
        mmap(nullptr, mapped + page, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0));
    ASSERT_NE(base, MAP_FAILED);
    ASSERT_EQ(mprotect(base + mapped, page, PROT_NONE), 0);
    auto* frame = reinterpret_cast<std::uint32_t*>(base + mapped - bytes);
    std::fill(frame, frame + kWidth * kHeight, rgb(10, 20, 30));
    for (auto [width, height] : {std::pair{80, 25}, {80, 50}, {77, 31}, {1, 1}, {641, 401}}) {
        AreaAverager averager(kWidth, kHeight, width, height);
        std::vector<std::uint32_t> out(width * height);
        averager.run(frame, out.data());
        EXPECT_EQ(std::count(out.begin(), out.end(), rgb(10, 20, 30)), width * height) << width << " x " << height;
    }
    munmap(base, mapped + page);
}

// Overlap of target pixel t (spanning sourceSize units) with source pixel s
// (spanning targetSize units) along one axis.
long long overlap(int t, int sourceSize, int s, int targetSize) {
    const long long begin = std::max(1LL * t * sourceSize, 1LL * s * targetSize);
    const long long end = std::min((t + 1LL) * sourceSize, (s + 1LL) * targetSize);
    return std::max(0LL, end - begin);
}

TEST(CellConverter, RandomFramesMatchADirectAverage) {
    // Sizes whose sub-cells do not line up with frame pixels, a few source
    // pixels shared between targets, pixels repeated, everything in one.
    struct Sizes {
        int sourceWidth, sourceHeight, width, height;
    };
    const Sizes sizes[] = {{kWidth, kHeight, 77, 31}, {kWidth, kHeight, 123, 199}, {kWidth, kHeight, 641, 401},
                           {3, 1, 2, 1}, {2, 1, 4, 3}, {kWidth, kHeight, 1, 1}};
    std::mt19937 random(7);
    for (const auto [sourceWidth, sourceHeight, width, height] : sizes) {
        std::vector<std::uint32_t> frame(sourceWidth * sourceHeight);
        for (auto& pixel : frame) pixel = random();
        AreaAverager averager(sourceWidth, sourceHeight, width, height);
        std::vector<std::uint32_t> out(width * height);
        averager.run(frame.data(), out.data());
        for (int trial = 0; trial < 100; ++trial) {
            const int tx = static_cast<int>(random() % width);
            const int ty = static_cast<int>(random() % height);
            unsigned long long sums[3] = {0, 0, 0};
            for (int y = 0; y < sourceHeight; ++y) {
                const long long wy = overlap(ty, sourceHeight, y, height);
                for (int x = 0; wy && x < sourceWidth; ++x) {
                    const long long w = wy * overlap(tx, sourceWidth, x, width);
                    for (int c = 0; c < 3; ++c)
                        sums[c] += static_cast<unsigned long long>(w) * (frame[y * sourceWidth + x] >> (8 * c) & 0xFF);
                }
            }
            // The weights of every target pixel sum to the source's area.
            const unsigned long long area = sourceWidth * sourceHeight;
            for (int c = 0; c < 3; ++c)
                ASSERT_EQ(out[ty * width + tx] >> (8 * c) & 0xFF, (sums[c] + area / 2) / area)
                    << width << " x " << height << " at " << tx << ", " << ty;
        }
    }
}

TEST(CellConverter, ExactDividerMatchesDivisionOverItsRange) {
    for (std::uint32_t divisor : {1u, 3u, 64000u, 65536u, 1u << 20}) {
        const int bits = std::bit_width(256ull * divisor);
        const ExactDivider divider(divisor, bits);
        const std::uint64_t limit = 1ull << bits;
        const std::uint64_t step = divisor == 64000 ? 1 : 4099;
        for (std::uint64_t n = 0; n < limit; n += step)
            ASSERT_EQ(divider.divide(n), n / divisor) << n << " / " << divisor;
        ASSERT_EQ(divider.divide(limit - 1), (limit - 1) / divisor);
    }
}

TEST(CellConverter, TwoColoursSplitTheWidestChannel) {
    // Dark left column, light right column: the light side is drawn.
    const std::uint32_t colors[6] = {rgb(10, 0, 0), rgb(200, 0, 0), rgb(20, 0, 0),
                                     rgb(210, 0, 0), rgb(12, 0, 0), rgb(190, 0, 0)};
    EXPECT_EQ(twoColorCell(colors, 6), (Cell{rgb(200, 0, 0), rgb(14, 0, 0), 2 | 8 | 32}));
    const std::uint32_t same[4] = {rgb(1, 2, 3), rgb(1, 2, 3), rgb(1, 2, 3), rgb(1, 2, 3)};
    EXPECT_EQ(twoColorCell(same, 4), solidCell(rgb(1, 2, 3)));
    // A sub-cell exactly at the midpoint of the widest channel stays dark.
    const std::uint32_t tie[4] = {rgb(0, 0, 0), rgb(1, 0, 0), rgb(2, 0, 0), rgb(2, 0, 0)};
    EXPECT_EQ(twoColorCell(tie, 4), (Cell{rgb(2, 0, 0), rgb(1, 0, 0), 4 | 8}));
    // Means round to nearest for every count of sub-cells on each side.
    std::mt19937 random(4);
    for (int trial = 0; trial < 20000; ++trial) {
        const int count = trial % 2 ? 6 : 4;
        std::uint32_t mixed[6];
        for (int i = 0; i < count; ++i) mixed[i] = random() & 0xFFFFFF;
        const Cell split = twoColorCell(mixed, count);
        for (int c = 0; c < 3; ++c) {
            unsigned sums[2] = {0, 0}, counts[2] = {0, 0};
            for (int i = 0; i < count; ++i) {
                const int side = split.mask >> i & 1;
                sums[side] += mixed[i] >> (8 * c) & 0xFF;
                ++counts[side];
            }
            ASSERT_TRUE(counts[0] && counts[1]) << "a side with no sub-cell";
            ASSERT_EQ(split.foreground >> (8 * c) & 0xFF, (sums[1] + counts[1] / 2) / counts[1]);
            ASSERT_EQ(split.background >> (8 * c) & 0xFF, (sums[0] + counts[0] / 2) / counts[0]);
        }
    }
}

TEST(CellPicture, GlyphsCoverEveryMaskOnce) {
    // Quadrant 6: top right and bottom left; sextant 21: the left column.
    const std::tuple<CellShape, int, std::string_view> glyphs[] = {
        {CellShape::HalfBlock, 0, " "},           {CellShape::HalfBlock, 1, "\u2580"},
        {CellShape::HalfBlock, 2, "\u2584"},      {CellShape::HalfBlock, 3, "\u2588"},
        {CellShape::Quadrant, 1, "\u2598"},       {CellShape::Quadrant, 6, "\u259E"},
        {CellShape::Quadrant, 14, "\u259F"},      {CellShape::Sextant, 1, "\U0001FB00"},
        {CellShape::Sextant, 21, "\u258C"},       {CellShape::Sextant, 22, "\U0001FB14"},
        {CellShape::Sextant, 42, "\u2590"},       {CellShape::Sextant, 62, "\U0001FB3B"}};
    for (const auto& [shape, mask, glyph] : glyphs)
        EXPECT_EQ(cellGlyph(shape, static_cast<std::uint8_t>(mask)), glyph) << mask;
    for (CellShape shape : kShapes) {
        const int masks = 1 << (subCellColumns(shape) * subCellRows(shape));
        std::set<std::string_view> glyphs;
        for (int mask = 0; mask < masks; ++mask) glyphs.insert(cellGlyph(shape, static_cast<std::uint8_t>(mask)));
        EXPECT_EQ(glyphs.size(), static_cast<std::size_t>(masks));
    }
    // Inverting flips every sub-cell and swaps colours: it shows the same.
    const Cell cell{rgb(1, 2, 3), rgb(4, 5, 6), 0b100110};
    const Cell inverse = invertedCell(cell, CellShape::Sextant);
    EXPECT_EQ(inverse.mask, 0b011001);
    for (int i = 0; i < 6; ++i) EXPECT_EQ(subCellColor(inverse, i), subCellColor(cell, i));
}

// Where the terminal reports its pixels, the picture is 8 : 5 in pixels
// whatever the cells' shape; cells of exactly 1 : 2 give what the guess
// gives, and a report of nothing (or of nonsense) falls back to the guess.
TEST(CellFit, KeepsTheFramesShapeCentredInAnyTerminal) {
    struct Case {
        int columns, rows;
        PixelSize pixels;
        CellArea expected;
    };
    const Case cases[] = {
        {80, 50, {}, {0, 12, 80, 25}},    // the classic console: width decides
        {80, 25, {}, {0, 0, 80, 25}},     // exactly the shape
        {200, 60, {}, {4, 0, 192, 60}},   // wide: height decides
        {100, 56, {}, {0, 12, 100, 31}},  // 31.25 rows round down
        {81, 24, {}, {2, 0, 76, 24}},     // odd sizes: the spare column goes right
        {1, 1, {}, {0, 0, 1, 1}},
        {1, 40, {}, {0, 19, 1, 1}},
        {300, 1, {}, {148, 0, 3, 1}},
        {0, 0, {}, {0, 0, 1, 1}},         // a terminal that reports nothing
        {-5, 7, {}, {0, 3, 1, 1}},
        {1000000, 1000000, {}, {0, 343750, 1000000, 312500}},
        {100, 56, {1000, 1120}, {0, 12, 100, 31}},  // 10 x 20 cells: the guess
        {100, 50, {900, 850}, {0, 8, 100, 33}},     // 9 x 17: 33.09 rows
        {80, 50, {800, 500}, {0, 0, 80, 50}},       // square cells
        {80, 24, {640, 384}, {2, 0, 76, 24}},       // 8 x 16, height decides
        {200, 60, {1400, 1020}, {0, 4, 200, 51}},   // 7 x 17: 51.47 rows
        {100, 56, {0, 1120}, {0, 12, 100, 31}},     // half a report: the guess
        {100, 56, {70000, 1120}, {0, 12, 100, 31}}, // more than the kernel can say
    };
    for (const Case& c : cases) {
        const CellArea area = fitPicture(c.columns, c.rows, c.pixels);
        EXPECT_TRUE(area == c.expected) << c.columns << " x " << c.rows << " got " << area.column << ","
                                        << area.row << " " << area.columns << " x " << area.rows;
    }
    // Any cell shape (0 x 0: none reported, taken as 1 : 2): inside the
    // terminal, and 8 : 5 in pixels to within half a row.
    std::vector<std::pair<int, int>> cellShapes = {{0, 0}};
    for (int cellWidth = 4; cellWidth <= 24; cellWidth += 5)
        for (int cellHeight = 6; cellHeight <= 40; cellHeight += 7) cellShapes.push_back({cellWidth, cellHeight});
    for (const auto& [reportedWidth, reportedHeight] : cellShapes) {
        const int cellWidth = reportedWidth ? reportedWidth : 1, cellHeight = reportedWidth ? reportedHeight : 2;
        for (int columns = 1; columns < 300; columns += reportedWidth ? 37 : 7) {
            for (int rows = 1; rows < 90; rows += reportedWidth ? 11 : 3) {
                const PixelSize pixels{columns * reportedWidth, rows * reportedHeight};
                const CellArea area = fitPicture(columns, rows, pixels);
                ASSERT_LE(area.column + area.columns, columns);
                ASSERT_LE(area.row + area.rows, rows);
                const double wantedRows = area.columns * cellWidth * 5.0 / 8.0 / cellHeight;
                // (A picture forced to one column may not fit at all.)
                if (wantedRows >= 1.0 && area.columns * cellWidth * 5 <= rows * cellHeight * 8) {
                    ASSERT_LE(std::abs(area.rows - wantedRows), 0.5)
                        << cellWidth << "x" << cellHeight << " cells, " << columns << " x " << rows;
                }
                ASSERT_TRUE(area.columns == columns || (area.columns + 1) * cellWidth * 5 > rows * cellHeight * 8)
                    << "the picture could be wider: " << cellWidth << "x" << cellHeight << " cells, " << columns
                    << " x " << rows;
            }
        }
    }
}

}  // namespace
