#include "platform/cell_encoder.h"

#include <algorithm>
#include <array>
#include <charconv>
#include <cstring>

namespace {

// The most one cell can take: a cursor position, both colours, a glyph.
constexpr std::size_t kMaxCellBytes = 64;
constexpr std::size_t kMaxFrameExtraBytes = 64;  // brackets, reset, clear, title

// Decimal text of 0 to 255, padded to four bytes so it copies in one go.
struct Decimal {
    char text[4];
    std::uint8_t length;
};

constexpr std::array<Decimal, 256> makeDecimals() {
    std::array<Decimal, 256> table{};
    for (unsigned value = 0; value < 256; ++value) {
        Decimal& decimal = table[value];
        if (value >= 100) decimal.text[decimal.length++] = static_cast<char>('0' + value / 100);
        if (value >= 10) decimal.text[decimal.length++] = static_cast<char>('0' + value / 10 % 10);
        decimal.text[decimal.length++] = static_cast<char>('0' + value % 10);
    }
    return table;
}

constexpr std::array<Decimal, 256> kDecimals = makeDecimals();

char* put(char* out, std::string_view text) {
    std::memcpy(out, text.data(), text.size());
    return out + text.size();
}

char* putNumber(char* out, unsigned value) { return std::to_chars(out, out + 10, value).ptr; }

// "r;g;b" of a colour in the frame layout.
char* putRgb(char* out, std::uint32_t color) {
    for (int channel = 0; channel < 3; ++channel) {
        const Decimal& decimal = kDecimals[color >> (8 * channel) & 0xFF];
        std::memcpy(out, decimal.text, 4);
        out += decimal.length;
        *out++ = ';';
    }
    return out - 1;
}

std::uint32_t rgbOf(std::uint32_t color) { return color & 0xFFFFFFu; }

unsigned fullMask(CellShape shape) {
    return (1u << (subCellColumns(shape) * subCellRows(shape))) - 1;
}

char* moveTo(CellEncoder::Pen& pen, int column, int row, char* out) {
    if (pen.cursorKnown && pen.cursorRow == row && pen.cursorColumn == column) return out;
    out = put(out, "\x1b[");
    if (pen.cursorKnown && pen.cursorRow == row && pen.cursorColumn < column) {
        if (column - pen.cursorColumn > 1)
            out = putNumber(out, static_cast<unsigned>(column - pen.cursorColumn));
        *out++ = 'C';
    } else {
        out = putNumber(out, static_cast<unsigned>(row + 1));
        *out++ = ';';
        out = putNumber(out, static_cast<unsigned>(column + 1));
        *out++ = 'H';
    }
    pen.cursorKnown = true;
    pen.cursorColumn = column;
    pen.cursorRow = row;
    return out;
}

// Whether two colours are within `tolerance` steps of each other in every
// channel.
bool near(std::uint32_t a, std::uint32_t b, int tolerance) {
    if (rgbOf(a) == rgbOf(b)) return true;
    for (int channel = 0; channel < 3; ++channel) {
        const int difference = static_cast<int>(a >> (8 * channel) & 0xFF) -
                               static_cast<int>(b >> (8 * channel) & 0xFF);
        if (difference > tolerance || difference < -tolerance) return false;
    }
    return true;
}

// Writes one planned cell: the pen's new colours, then the glyph.
char* writeCell(const PenPlan& plan, const PlannedCell& cell, const Utf8Glyph* glyphs, char* out) {
    if (cell.startsInk || cell.startsPaper) {
        out = put(out, "\x1b[");
        if (cell.startsInk) out = putRgb(put(out, "38;2;"), plan.colorOf(cell.inkRun));
        if (cell.startsInk && cell.startsPaper) *out++ = ';';
        if (cell.startsPaper) out = putRgb(put(out, "48;2;"), plan.colorOf(cell.paperRun));
        *out++ = 'm';
    }
    std::memcpy(out, glyphs[cell.mask].bytes, 4);
    return out + glyphs[cell.mask].length;
}

// What the terminal shows of a planned cell, in the one form every equal
// look has.
Cell shownCell(const PenPlan& plan, const PlannedCell& cell, unsigned fullMask) {
    if (cell.mask == 0) return solidCell(plan.colorOf(cell.paperRun));
    if (cell.mask == fullMask) return solidCell(plan.colorOf(cell.inkRun));
    return Cell{plan.colorOf(cell.inkRun), plan.colorOf(cell.paperRun),
                static_cast<std::uint8_t>(cell.mask)};
}

// Whether the terminal's cell passes for the wanted one: every sub-cell
// within the tolerance.
bool passesFor(const Cell& shown, const Cell& wanted, int subCells, int tolerance) {
    if (shown == wanted) return true;
    for (int i = 0; i < subCells; ++i)
        if (!near(subCellColor(shown, i), subCellColor(wanted, i), tolerance)) return false;
    return true;
}

}  // namespace

// The eye misses a small change where the picture around it varies, and
// sees it on a flat field: each cell may be off by half the spread of the
// colours of it and its four neighbours, at least one step (the frame's
// own rounding) and at most the tolerance.
void CellEncoder::measureTolerances(const CellPicture& picture) {
    tolerances_.resize(picture.cells.size());
    if (tolerance_ == 0) {
        std::fill(tolerances_.begin(), tolerances_.end(), 0);
        return;
    }
    const unsigned full = fullMask(picture.shape);
    spreads_.resize(picture.cells.size());
    for (std::size_t i = 0; i < picture.cells.size(); ++i) {
        const Cell& cell = picture.cells[i];
        // A cell shows its foreground, its background or both.
        spreads_[i] = ColorBox::around(cell.mask == 0 ? cell.background : cell.foreground, 0);
        if (cell.mask != 0 && cell.mask != full)
            spreads_[i] = spreads_[i].including(ColorBox::around(cell.background, 0));
    }
    const int columns = picture.columns;
    for (int y = 0; y < picture.rows; ++y) {
        const ColorBox* row = &spreads_[static_cast<std::size_t>(y) * columns];
        int* tolerance = &tolerances_[static_cast<std::size_t>(y) * columns];
        for (int x = 0; x < columns; ++x) {
            ColorBox spread = row[x];
            if (x > 0) spread = spread.including(row[x - 1]);
            if (x + 1 < columns) spread = spread.including(row[x + 1]);
            if (y > 0) spread = spread.including(row[x - columns]);
            if (y + 1 < picture.rows) spread = spread.including(row[x + columns]);
            tolerance[x] = std::clamp(spread.widest() / 2, 1, tolerance_);
        }
    }
}

void CellEncoder::invalidate() {
    valid_ = false;
    pen_ = Pen{};
    titleSent_ = false;  // a terminal given back meanwhile shows another
}

bool CellEncoder::showsSameLayout(const CellPicture& picture, int column, int row) const {
    return valid_ && shown_.shape == picture.shape && shown_.columns == picture.columns &&
           shown_.rows == picture.rows && shownColumn_ == column && shownRow_ == row;
}

std::string_view CellEncoder::encodeFrame(const CellPicture& picture, int column, int row,
                                          std::string_view title) {
    // Written through a pointer into room kept for the worst case: adding
    // piece by piece to a string costs more than the encoding itself.
    const std::size_t room =
        picture.cells.size() * kMaxCellBytes + title.size() + kMaxFrameExtraBytes;
    if (buffer_.size() < room) buffer_.resize(room);
    char* out = put(buffer_.data(), kBeginSynchronizedUpdate);
    out = encodeTitle(title, out);
    const bool diff = showsSameLayout(picture, column, row);
    if (!diff) {
        // Default colours first, so the cleared screen is the terminal's own.
        out = put(out, "\x1b[0m\x1b[2J");
        pen_ = Pen{};
        shown_ = picture;
        shownColumn_ = column;
        shownRow_ = row;
        valid_ = true;
    }
    measureTolerances(picture);
    const unsigned full = fullMask(picture.shape);
    const Utf8Glyph* glyphs = glyphTable(picture.shape);
    // A local pen: the bytes written through `out` cannot alias it, so it
    // stays in registers.
    Pen pen = pen_;
    const int subCells = subCellColumns(picture.shape) * subCellRows(picture.shape);
    for (int y = 0; y < picture.rows; ++y) {
        const Cell* wanted = &picture.at(0, y);
        Cell* shown = &shown_.at(0, y);
        plan_.begin(pen.foreground, pen.background, picture.shape);
        const int* tolerance = &tolerances_[static_cast<std::size_t>(y) * picture.columns];
        for (int x = 0; x < picture.columns; ++x)
            if (!diff || !passesFor(shown[x], wanted[x], subCells, tolerance[x]))
                plan_.add(x, wanted[x], tolerance[x]);
        for (const PlannedCell& cell : plan_.cells()) {
            out = moveTo(pen, column + cell.column, row + y, out);
            out = writeCell(plan_, cell, glyphs, out);
            ++pen.cursorColumn;
            shown[cell.column] = shownCell(plan_, cell, full);
        }
        pen.foreground = plan_.ink();
        pen.background = plan_.paper();
    }
    pen_ = pen;
    out = put(out, kEndSynchronizedUpdate);
    return {buffer_.data(), static_cast<std::size_t>(out - buffer_.data())};
}

std::string CellEncoder::standaloneText(const CellPicture& picture) {
    const Utf8Glyph* glyphs = glyphTable(picture.shape);
    std::string text(picture.cells.size() * kMaxCellBytes + picture.rows * kMaxFrameExtraBytes, '\0');
    char* cursor = text.data();
    PenPlan plan;
    for (int y = 0; y < picture.rows; ++y) {
        plan.begin(Pen::kUnknownColor, Pen::kUnknownColor, picture.shape);
        for (int x = 0; x < picture.columns; ++x) plan.add(x, picture.at(x, y), 0);
        for (const PlannedCell& cell : plan.cells()) cursor = writeCell(plan, cell, glyphs, cursor);
        cursor = put(cursor, "\x1b[0m\n");
    }
    text.resize(static_cast<std::size_t>(cursor - text.data()));
    return text;
}

char* CellEncoder::encodeTitle(std::string_view title, char* out) {
    if (titleSent_ && title == title_) return out;
    title_.assign(title);
    titleSent_ = true;
    out = put(out, "\x1b]2;");
    // Control characters would end or break the sequence.
    for (char c : title)
        if (static_cast<unsigned char>(c) >= 0x20 && c != 0x7F) *out++ = c;
    *out++ = '\a';
    return out;
}

