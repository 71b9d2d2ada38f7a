#include "render/cell_picture.h"

#include <array>

namespace {

constexpr char32_t kFullBlock = 0x2588;
constexpr char32_t kLeftHalf = 0x258C;
constexpr char32_t kRightHalf = 0x2590;

// Masks with bit 0 top left, 1 top right, 2 bottom left, 3 bottom right.
constexpr std::array<char32_t, 16> kQuadrants = {
    U' ',    0x2598, 0x259D, 0x2580, 0x2596, 0x258C, 0x259E, 0x259B,
    0x2597, 0x259A, 0x2590, 0x259C, 0x2584, 0x2599, 0x259F, 0x2588,
};

// The sextant block runs through the masks 1 to 62 in order, leaving out
// the two half blocks that existed before it.
char32_t sextantCodePoint(unsigned mask) {
    constexpr unsigned kLeftColumn = 1 | 4 | 16;
    constexpr unsigned kRightColumn = 2 | 8 | 32;
    if (mask == 0) return U' ';
    if (mask == 63) return kFullBlock;
    if (mask == kLeftColumn) return kLeftHalf;
    if (mask == kRightColumn) return kRightHalf;
    return 0x1FB00 + mask - 1 - (mask > kLeftColumn) - (mask > kRightColumn);
}

Utf8Glyph utf8(char32_t code) {
    Utf8Glyph glyph{};
    auto add = [&](unsigned byte) { glyph.bytes[glyph.length++] = static_cast<char>(byte); };
    if (code < 0x80) {
        add(code);
    } else if (code < 0x800) {
        add(0xC0 | code >> 6);
        add(0x80 | (code & 0x3F));
    } else if (code < 0x10000) {
        add(0xE0 | code >> 12);
        add(0x80 | (code >> 6 & 0x3F));
        add(0x80 | (code & 0x3F));
    } else {
        add(0xF0 | code >> 18);
        add(0x80 | (code >> 12 & 0x3F));
        add(0x80 | (code >> 6 & 0x3F));
        add(0x80 | (code & 0x3F));
    }
    return glyph;
}

struct GlyphTables {
    std::array<Utf8Glyph, 4> halfBlocks;
    std::array<Utf8Glyph, 16> quadrants;
    std::array<Utf8Glyph, 64> sextants;

    GlyphTables() {
        const std::array<char32_t, 4> halves = {U' ', 0x2580, 0x2584, kFullBlock};
        for (unsigned i = 0; i < halves.size(); ++i) halfBlocks[i] = utf8(halves[i]);
        for (unsigned i = 0; i < kQuadrants.size(); ++i) quadrants[i] = utf8(kQuadrants[i]);
        for (unsigned i = 0; i < sextants.size(); ++i) sextants[i] = utf8(sextantCodePoint(i));
    }
};

const GlyphTables& glyphTables() {
    static const GlyphTables tables;
    return tables;
}

}  // namespace

int subCellColumns(CellShape shape) { return shape == CellShape::HalfBlock ? 1 : 2; }

int subCellRows(CellShape shape) { return shape == CellShape::Sextant ? 3 : 2; }

Cell invertedCell(const Cell& cell, CellShape shape) {
    const unsigned all = (1u << (subCellColumns(shape) * subCellRows(shape))) - 1;
    return Cell{cell.background, cell.foreground, static_cast<std::uint8_t>(~cell.mask & all)};
}

std::uint32_t subCellColor(const Cell& cell, int subCell) {
    return cell.mask >> subCell & 1 ? cell.foreground : cell.background;
}

const Utf8Glyph* glyphTable(CellShape shape) {
    const GlyphTables& tables = glyphTables();
    switch (shape) {
        case CellShape::HalfBlock: return tables.halfBlocks.data();
        case CellShape::Quadrant: return tables.quadrants.data();
        case CellShape::Sextant: return tables.sextants.data();
    }
    return tables.halfBlocks.data();
}

std::string_view cellGlyph(CellShape shape, std::uint8_t mask) {
    const unsigned all = (1u << (subCellColumns(shape) * subCellRows(shape))) - 1;
    return glyphTable(shape)[mask & all].view();
}
