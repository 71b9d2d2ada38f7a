#include "platform/sixel_encoder.h"

#include <algorithm>
#include <cstdio>


namespace {

// Sixel characters are 63 plus six bits, the top row in bit 0.
constexpr char kSixelBase = 63;
constexpr int kBandRows = 6;
// Runs shorter than this are cheaper written out.
constexpr int kShortestRun = 4;

// The level nearest to a channel value, and the value a level stands for.
int levelOf(int value, int levels) { return (value * (levels - 1) + 127) / 255; }
int valueOf(int level, int levels) { return (level * 255 + (levels - 1) / 2) / (levels - 1); }
int percentOf(int value) { return (value * 100 + 127) / 255; }

char* putNumber(char* out, int value) {
    char digits[12];
    int count = 0;
    do {
        digits[count++] = static_cast<char>('0' + value % 10);
        value /= 10;
    } while (value > 0);
    while (count > 0) *out++ = digits[--count];
    return out;
}

}  // namespace

std::uint32_t SixelPalette::color(int index) const {
    const int r = index / (green * blue);
    const int g = index / blue % green;
    const int b = index % blue;
    return static_cast<std::uint32_t>(valueOf(r, red)) | static_cast<std::uint32_t>(valueOf(g, green)) << 8 |
           static_cast<std::uint32_t>(valueOf(b, blue)) << 16;
}

int SixelPalette::nearest(std::uint32_t c) const {
    return (levelOf(c & 0xFF, red) * green + levelOf(c >> 8 & 0xFF, green)) * blue + levelOf(c >> 16 & 0xFF, blue);
}

SixelPalette paletteForRegisters(int registers) {
    // Green gets a level more where there is room: the eye tells its
    // steps apart best.
    static const SixelPalette kPalettes[] = {{6, 7, 6}, {6, 6, 6}, {5, 6, 5}, {5, 5, 5}, {4, 5, 4},
                                             {4, 4, 4}, {3, 4, 3}, {3, 3, 3}, {2, 3, 2}, {2, 2, 2}};
    if (registers <= 0) registers = 256;
    for (const SixelPalette& palette : kPalettes)
        if (palette.size() <= registers) return palette;
    return kPalettes[std::size(kPalettes) - 1];
}

SixelEncoder::SixelEncoder(SixelPalette palette) : palette_(palette) {
    for (int value = 0; value < 256; ++value) {
        redEntry_[value] = static_cast<std::uint8_t>(levelOf(value, palette.red) * palette.green * palette.blue);
        greenEntry_[value] = static_cast<std::uint8_t>(levelOf(value, palette.green) * palette.blue);
        blueEntry_[value] = static_cast<std::uint8_t>(levelOf(value, palette.blue));
    }
    std::fill(std::begin(head_), std::end(head_), -1);
    std::fill(std::begin(tail_), std::end(tail_), -1);
}

void SixelEncoder::quantize(const PixelView& source) {
    std::fill(std::begin(used_), std::end(used_), false);
    sourceWidth_ = source.width;
    sourceHeight_ = source.height;
    sourceIndices_.resize(source.pixelCount());
    std::uint8_t* out = sourceIndices_.data();
    for (int y = 0; y < source.height; ++y) {
        const std::uint32_t* row = source.row(y);
        for (int x = 0; x < source.width; ++x) {
            const std::uint32_t pixel = row[x];
            const std::uint8_t entry = static_cast<std::uint8_t>(
                redEntry_[pixel & 0xFF] + greenEntry_[pixel >> 8 & 0xFF] + blueEntry_[pixel >> 16 & 0xFF]);
            *out++ = entry;
            used_[entry] = true;
        }
    }
}

void SixelEncoder::scale(int width, int height) {
    width_ = width;
    height_ = height;
    scaled_.resize(static_cast<std::size_t>(width) * height);
    std::vector<int> sourceColumn(static_cast<std::size_t>(width));
    for (int x = 0; x < width; ++x)
        sourceColumn[x] = static_cast<int>(static_cast<long long>(x) * sourceWidth_ / width);
    const auto sourceRow = [&](int y) { return static_cast<long long>(y) * sourceHeight_ / height; };
    for (int y = 0; y < height; ++y) {
        const std::uint8_t* source = &sourceIndices_[static_cast<std::size_t>(sourceRow(y)) * sourceWidth_];
        std::uint8_t* row = &scaled_[static_cast<std::size_t>(y) * width];
        // A row equal to the one above (an enlarged picture repeats each)
        // is copied whole.
        if (y > 0 && sourceRow(y) == sourceRow(y - 1)) {
            std::copy_n(row - width, width, row);
            continue;
        }
        for (int x = 0; x < width; ++x) row[x] = source[sourceColumn[x]];
    }
}

void SixelEncoder::appendRun(char sixel, int count) {
    if (count >= kShortestRun) {
        char text[16];
        text[0] = '!';
        char* end = putNumber(text + 1, count);
        *end++ = sixel;
        bytes_.append(text, static_cast<std::size_t>(end - text));
    } else {
        bytes_.append(static_cast<std::size_t>(count), sixel);
    }
}

void SixelEncoder::encodeBand(int top) {
    entryColumn_.clear();
    entryBits_.clear();
    entryNext_.clear();
    bandColors_.clear();
    const int rows = std::min(kBandRows, height_ - top);
    for (int x = 0; x < width_; ++x) {
        const std::uint8_t* pixel = &scaled_[static_cast<std::size_t>(top) * width_ + x];
        for (int k = 0; k < rows; ++k, pixel += width_) {
            const int color = *pixel;
            const int last = tail_[color];
            if (last >= 0 && entryColumn_[last] == x) {
                entryBits_[last] |= static_cast<std::uint8_t>(1 << k);
                continue;
            }
            const int entry = static_cast<int>(entryColumn_.size());
            entryColumn_.push_back(x);
            entryBits_.push_back(static_cast<std::uint8_t>(1 << k));
            entryNext_.push_back(-1);
            if (last >= 0) {
                entryNext_[last] = entry;
            } else {
                head_[color] = entry;
                bandColors_.push_back(color);
            }
            tail_[color] = entry;
        }
    }
    for (std::size_t i = 0; i < bandColors_.size(); ++i) {
        const int color = bandColors_[i];
        if (i > 0) bytes_ += '$';
        bytes_ += '#';
        char number[12];
        bytes_.append(number, static_cast<std::size_t>(putNumber(number, color) - number));
        int column = 0;  // where the next sixel lands
        for (int entry = head_[color]; entry >= 0;) {
            if (entryColumn_[entry] > column) appendRun(kSixelBase, entryColumn_[entry] - column);
            // Equal bits in consecutive columns make one run.
            const std::uint8_t bits = entryBits_[entry];
            int end = entryColumn_[entry] + 1;
            int next = entryNext_[entry];
            while (next >= 0 && entryColumn_[next] == end && entryBits_[next] == bits) {
                ++end;
                next = entryNext_[next];
            }
            appendRun(static_cast<char>(kSixelBase + bits), end - entryColumn_[entry]);
            column = end;
            entry = next;
        }
        head_[color] = -1;
        tail_[color] = -1;
    }
    bytes_ += '-';
}

std::string_view SixelEncoder::encodeFrame(const PixelView& source, int width, int height) {
    bytes_.clear();
    if (source.width <= 0 || source.height <= 0) return bytes_;
    quantize(source);
    scale(std::max(width, 1), std::max(height, 1));
    char header[64];
    const int length = std::snprintf(header, sizeof header, "\x1bP0;1q\"1;1;%d;%d", width_, height_);
    bytes_.append(header, static_cast<std::size_t>(length));
    for (int entry = 0; entry < palette_.size(); ++entry) {
        if (!used_[entry]) continue;
        const std::uint32_t c = palette_.color(entry);
        char text[32];
        char* out = text;
        *out++ = '#';
        out = putNumber(out, entry);
        *out++ = ';';
        *out++ = '2';
        for (int shift : {0, 8, 16}) {
            *out++ = ';';
            out = putNumber(out, percentOf(static_cast<int>(c >> shift & 0xFF)));
        }
        bytes_.append(text, static_cast<std::size_t>(out - text));
    }
    for (int top = 0; top < height_; top += kBandRows) encodeBand(top);
    if (!bytes_.empty() && bytes_.back() == '-') bytes_.pop_back();
    bytes_ += "\x1b\\";
    return bytes_;
}
