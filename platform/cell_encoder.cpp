#include "platform/cell_encoder.h"

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

char* drawCell(CellEncoder::Pen& pen, const Cell& wanted, const Utf8Glyph* glyphs,
               unsigned fullMask, char* out) {
    // A foreground shows only where the mask has bits, a background only
    // where it lacks them. The cell and its inverse (mask flipped, colours
    // swapped) look the same; draw the one that needs fewer colour changes.
    const std::uint32_t foreground = rgbOf(wanted.foreground);
    const std::uint32_t background = rgbOf(wanted.background);
    const bool anyForeground = wanted.mask != 0;
    const bool anyBackground = wanted.mask != fullMask;
    const int changes = (anyForeground && foreground != pen.foreground) +
                        (anyBackground && background != pen.background);
    const int invertedChanges = (anyBackground && background != pen.foreground) +
                                (anyForeground && foreground != pen.background);
    const bool invert = invertedChanges < changes;
    const std::uint32_t ink = invert ? background : foreground;
    const std::uint32_t paper = invert ? foreground : background;
    const unsigned mask = invert ? ~wanted.mask & fullMask : wanted.mask;
    const bool setInk = mask != 0 && ink != pen.foreground;
    const bool setPaper = mask != fullMask && paper != pen.background;
    if (setInk || setPaper) {
        out = put(out, "\x1b[");
        if (setInk) {
            out = putRgb(put(out, "38;2;"), ink);
            pen.foreground = ink;
        }
        if (setPaper) {
            if (setInk) *out++ = ';';
            out = putRgb(put(out, "48;2;"), paper);
            pen.background = paper;
        }
        *out++ = 'm';
    }
    std::memcpy(out, glyphs[mask].bytes, 4);
    out += glyphs[mask].length;
    ++pen.cursorColumn;
    return out;
}

}  // namespace

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
    const unsigned full = fullMask(picture.shape);
    const Utf8Glyph* glyphs = glyphTable(picture.shape);
    // A local pen: the bytes written through `out` cannot alias it, so it
    // stays in registers.
    Pen pen = pen_;
    for (int y = 0; y < picture.rows; ++y) {
        const Cell* wanted = &picture.at(0, y);
        Cell* shown = &shown_.at(0, y);
        for (int x = 0; x < picture.columns; ++x) {
            if (diff && shown[x] == wanted[x]) continue;
            out = moveTo(pen, column + x, row + y, out);
            out = drawCell(pen, wanted[x], glyphs, full, out);
            shown[x] = wanted[x];
        }
    }
    pen_ = pen;
    out = put(out, kEndSynchronizedUpdate);
    return {buffer_.data(), static_cast<std::size_t>(out - buffer_.data())};
}

std::string CellEncoder::standaloneText(const CellPicture& picture) {
    const unsigned full = fullMask(picture.shape);
    const Utf8Glyph* glyphs = glyphTable(picture.shape);
    std::string text(picture.cells.size() * kMaxCellBytes + picture.rows * kMaxFrameExtraBytes, '\0');
    char* cursor = text.data();
    for (int y = 0; y < picture.rows; ++y) {
        Pen pen;
        for (int x = 0; x < picture.columns; ++x)
            cursor = drawCell(pen, picture.at(x, y), glyphs, full, cursor);
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

