#include "tools/capture/sixel_decoder.h"

#include <algorithm>
#include <array>
#include <cstdint>
#include <vector>

namespace {

constexpr int kRegisters = 1024;

struct Cursor {
    std::string_view text;
    std::size_t at = 0;
    bool done() const { return at >= text.size(); }
    char peek() const { return text[at]; }
    // A decimal number, capped; 0 when there is none.
    int number() {
        long long value = 0;
        while (!done() && peek() >= '0' && peek() <= '9') {
            value = std::min<long long>(value * 10 + (peek() - '0'), 1 << 24);
            ++at;
        }
        return static_cast<int>(value);
    }
    // Numbers separated by ';', as after '"' or '#'.
    std::vector<int> numbers() {
        std::vector<int> values{number()};
        while (!done() && peek() == ';') {
            ++at;
            values.push_back(number());
        }
        return values;
    }
};

std::uint8_t fromPercent(int percent) { return static_cast<std::uint8_t>((std::min(percent, 100) * 255 + 50) / 100); }

}  // namespace

std::optional<RgbImage> decodeSixel(std::string_view bytes) {
    const std::size_t start = bytes.find("\x1bP");
    if (start == std::string_view::npos) return std::nullopt;
    const std::size_t q = bytes.find('q', start);
    if (q == std::string_view::npos) return std::nullopt;
    Cursor in{bytes, q + 1};
    int width = 0, height = 0;
    if (!in.done() && in.peek() == '"') {
        ++in.at;
        const std::vector<int> raster = in.numbers();
        if (raster.size() >= 4) {
            width = raster[2];
            height = raster[3];
        }
    }
    if (width <= 0 || height <= 0 || std::int64_t{width} * height > kLargestPicturePixels)
        return std::nullopt;
    RgbImage image(width, height);
    std::vector<std::array<std::uint8_t, 3>> palette(kRegisters, {0, 0, 0});
    int color = 0;
    int x = 0;
    int band = 0;
    const auto paint = [&](int bits, int count) {
        for (int k = 0; k < 6; ++k) {
            const int y = band * 6 + k;
            if (!(bits >> k & 1) || y >= height) continue;
            for (int i = 0; i < count && x + i < width; ++i) {
                if (x + i < 0) continue;
                std::uint8_t* pixel = image.pixel(x + i, y);
                std::copy(palette[color].begin(), palette[color].end(), pixel);
            }
        }
        // Past the right edge nothing is drawn: x need not grow without end.
        x = std::min(x + count, width);
    };
    while (!in.done()) {
        const char c = in.peek();
        if (c == '\x1b') break;  // the string terminator
        ++in.at;
        if (c >= '?' && c <= '~') {
            paint(c - '?', 1);
        } else if (c == '!') {
            const int count = std::min(in.number(), width);
            if (!in.done() && in.peek() >= '?' && in.peek() <= '~') paint(in.text[in.at++] - '?', count);
        } else if (c == '#') {
            const std::vector<int> values = in.numbers();
            color = std::clamp(values[0], 0, kRegisters - 1);
            if (values.size() >= 5)
                palette[color] = values[1] == 2 ? std::array<std::uint8_t, 3>{fromPercent(values[2]), fromPercent(values[3]),
                                                                              fromPercent(values[4])}
                                                : std::array<std::uint8_t, 3>{0, 0, 0};
        } else if (c == '$') {
            x = 0;
        } else if (c == '-') {
            x = 0;
            ++band;
        }
    }
    return image;
}
