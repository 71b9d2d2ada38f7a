#pragma once
// A picture as a sixel image: scaled to the size asked for with nearest
// neighbours (crisp pixels, and long runs for the run-length code), its
// colours mapped onto a fixed palette, encoded for the terminal. A fixed
// palette keeps every colour where it was from frame to frame, so the
// picture never flashes as a per-frame palette would; and mapping onto a
// cube of levels is one table lookup per channel.
//
// Format: DCS P1=0 P2=1 q, raster attributes with square pixels and the
// size, the palette entries used (RGB in per cent), then one band of six
// rows after another: for each colour in the band "#index" and its sixel
// characters from column 0 with runs written as "!count char", "$" back to
// the band's start, "-" to the next band. ST ends it.
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "render/pixel_view.h"

// A palette of red x green x blue levels, each spread evenly from 0 to 255.
struct SixelPalette {
    int red = 6;
    int green = 7;
    int blue = 6;

    int size() const { return red * green * blue; }
    // The colour of an entry in the frame layout (red in bits 0-7).
    std::uint32_t color(int index) const;
    // The entry nearest to a colour of the frame layout.
    int nearest(std::uint32_t color) const;
};

// The largest palette that fits the terminal's colour registers (256 when
// it did not say; 8 at the least).
SixelPalette paletteForRegisters(int registers);

class SixelEncoder {
public:
    explicit SixelEncoder(SixelPalette palette);

    // The image of `source` at width x height pixels (height a multiple
    // of 6, both at least 1); nothing for an empty source. Valid until the
    // next call.
    std::string_view encodeFrame(const PixelView& source, int width, int height);

    // The scaled picture as palette indices, row after row, as the last
    // encodeFrame drew it.
    const std::vector<std::uint8_t>& indices() const { return scaled_; }
    const SixelPalette& palette() const { return palette_; }

private:
    void quantize(const PixelView& source);
    void scale(int width, int height);
    void encodeBand(int top);
    void appendRun(char sixel, int count);

    SixelPalette palette_;
    std::uint8_t redEntry_[256];
    std::uint8_t greenEntry_[256];
    std::uint8_t blueEntry_[256];
    std::vector<std::uint8_t> sourceIndices_;  // the source's palette entries
    int sourceWidth_ = 0;
    int sourceHeight_ = 0;
    std::vector<std::uint8_t> scaled_;
    int width_ = 0;
    int height_ = 0;
    bool used_[256] = {};
    // One band's sixels by colour: for each colour a list, in column
    // order, of (column, bits) entries; only colours the band uses.
    std::vector<int> entryColumn_;
    std::vector<std::uint8_t> entryBits_;
    std::vector<int> entryNext_;
    int head_[256];
    int tail_[256];
    std::vector<int> bandColors_;
    std::string bytes_;
};
