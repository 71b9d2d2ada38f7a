#pragma once
// Draws character cells from a cache instead of rasterising the font every
// frame. Each (character, colours) pair a picture uses is rendered once by
// the console font renderer itself and resampled to the cell size asked
// for, so a cached picture has the very bytes a full render would give.
#include <cstdint>
#include <memory>
#include <unordered_map>
#include <vector>

#include "tools/capture/image.h"

struct caca_canvas;
struct caca_font;

// One cell of the picture as the dither left it.
struct CharacterCell {
    std::uint32_t character = 0;
    std::uint32_t attribute = 0;  // the console's colour pair and style
};

// The light of one drawn cell, for the picture figures: the sum of its
// pixels' luminance added row by row (as over a whole picture, so the same
// double), and the same in exact thousandths.
struct CellLight {
    double luminance = 0.0;
    std::uint64_t luminanceThousandths = 0;
};

class GlyphCache {
public:
    // cellWidth x cellHeight: the pixels of one cell in the pictures drawn,
    // the font's own size or any other (area resampled, cell by cell).
    GlyphCache(const caca_font* font, int cellWidth, int cellHeight);

    // A picture of columns x rows cells, row after row.
    RgbImage draw(const std::vector<CharacterCell>& cells, int columns, int rows);
    // The light of each cell as draw() would show it, without drawing.
    const CellLight& light(const CharacterCell& cell);
    int cellWidth() const { return cellWidth_; }
    int cellHeight() const { return cellHeight_; }
    std::size_t size() const { return blockOffset_.size(); }

private:
    const std::uint8_t* block(const CharacterCell& cell);
    std::size_t blockIndex(const CharacterCell& cell);
    void renderBlock(const CharacterCell& cell, std::uint8_t* out);

    const caca_font* font_;
    int fontWidth_;
    int fontHeight_;
    int cellWidth_;
    int cellHeight_;
    struct CanvasFree {
        void operator()(caca_canvas* canvas) const;
    };
    std::unique_ptr<caca_canvas, CanvasFree> oneCell_;
    std::vector<std::uint8_t> blocks_;  // RGB cells, one after another
    std::vector<CellLight> lights_;     // one a block, in the same order
    std::unordered_map<std::uint64_t, std::size_t> blockOffset_;  // key to block index
};

// Characters a cell cannot draw alone (those two cells wide): a picture
// holding one is drawn by the full renderer instead.
bool drawableCellByCell(const std::vector<CharacterCell>& cells);
