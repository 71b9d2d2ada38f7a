#include "tools/capture/glyph_cache.h"

#include <caca.h>

#include <cstring>
#include <stdexcept>

#include "tools/capture/image.h"

namespace {

std::uint64_t cellKey(const CharacterCell& cell) {
    return static_cast<std::uint64_t>(cell.character) << 32 | cell.attribute;
}

}  // namespace

GlyphCache::GlyphCache(const caca_font* font, int cellWidth, int cellHeight)
    : font_(font),
      fontWidth_(caca_get_font_width(font)),
      fontHeight_(caca_get_font_height(font)),
      cellWidth_(cellWidth),
      cellHeight_(cellHeight),
      oneCell_(caca_create_canvas(1, 1)) {
    if (!oneCell_) throw std::runtime_error("cannot create libcaca canvas");
}

void GlyphCache::CanvasFree::operator()(caca_canvas* canvas) const { caca_free_canvas(canvas); }

void GlyphCache::renderBlock(const CharacterCell& cell, std::uint8_t* out) {
    // put_char paints with the canvas's current colours: the cell's own go on after.
    caca_put_char(oneCell_.get(), 0, 0, cell.character);
    caca_put_attr(oneCell_.get(), 0, 0, cell.attribute);
    // The renderer leaves pixels a glyph does not cover as they were: zero,
    // as in the full picture's fresh buffer.
    std::vector<std::uint8_t> argb(static_cast<std::size_t>(fontWidth_) * fontHeight_ * 4, 0);
    caca_render_canvas(oneCell_.get(), font_, argb.data(), fontWidth_, fontHeight_, fontWidth_ * 4);
    const RgbImage glyph = resizeArea(imageFromArgbBytes(argb.data(), fontWidth_, fontHeight_),
                                      cellWidth_, cellHeight_);
    std::memcpy(out, glyph.rgb.data(), glyph.rgb.size());
}

std::size_t GlyphCache::blockIndex(const CharacterCell& cell) {
    const std::size_t blockBytes = static_cast<std::size_t>(cellWidth_) * cellHeight_ * 3;
    const auto [slot, added] = blockOffset_.try_emplace(cellKey(cell), lights_.size());
    if (added) {
        blocks_.resize(blocks_.size() + blockBytes);
        std::uint8_t* pixels = blocks_.data() + slot->second * blockBytes;
        renderBlock(cell, pixels);
        CellLight light;
        for (std::size_t i = 0; i < blockBytes; i += 3) {
            light.luminance += pixelLuminance(pixels[i], pixels[i + 1], pixels[i + 2]);
            light.luminanceThousandths += lumaThousandths(pixels[i], pixels[i + 1], pixels[i + 2]);
        }
        lights_.push_back(light);
    }
    return slot->second;
}

const std::uint8_t* GlyphCache::block(const CharacterCell& cell) {
    const std::size_t blockBytes = static_cast<std::size_t>(cellWidth_) * cellHeight_ * 3;
    // The index first: making a block may move the storage.
    const std::size_t index = blockIndex(cell);
    return blocks_.data() + index * blockBytes;
}

const CellLight& GlyphCache::light(const CharacterCell& cell) { return lights_[blockIndex(cell)]; }

RgbImage GlyphCache::draw(const std::vector<CharacterCell>& cells, int columns, int rows) {
    RgbImage image(columns * cellWidth_, rows * cellHeight_);
    const std::size_t rowBytes = static_cast<std::size_t>(cellWidth_) * 3;
    for (int row = 0; row < rows; ++row) {
        for (int column = 0; column < columns; ++column) {
            const std::uint8_t* source = block(cells[static_cast<std::size_t>(row) * columns + column]);
            for (int y = 0; y < cellHeight_; ++y)
                std::memcpy(image.pixel(column * cellWidth_, row * cellHeight_ + y),
                            source + y * rowBytes, rowBytes);
        }
    }
    return image;
}

bool drawableCellByCell(const std::vector<CharacterCell>& cells) {
    for (const CharacterCell& cell : cells)
        if (cell.character == CACA_MAGIC_FULLWIDTH || caca_utf32_is_fullwidth(cell.character))
            return false;
    return true;
}
