#include "tools/capture/pixel_picture.h"

#include <algorithm>
#include <string_view>

#include "engine/frame.h"
#include "platform/base64.h"
#include "platform/kitty_encoder.h"
#include "tools/capture/sixel_decoder.h"

#include <zlib.h>

namespace {

// The RGB payload of the kitty commands in `bytes`, inflated where the
// first command says o=z.
std::optional<std::string> kittyPayload(std::string_view bytes) {
    std::string base64;
    bool compressed = false;
    bool first = true;
    for (std::size_t at = bytes.find("\x1b_G"); at != std::string_view::npos; at = bytes.find("\x1b_G", at)) {
        const std::size_t end = bytes.find("\x1b\\", at);
        if (end == std::string_view::npos) return std::nullopt;
        const std::string_view body = bytes.substr(at + 3, end - at - 3);
        const std::size_t semicolon = body.find(';');
        if (semicolon == std::string_view::npos) return std::nullopt;
        if (first) compressed = body.substr(0, semicolon).find("o=z") != std::string_view::npos;
        first = false;
        base64 += body.substr(semicolon + 1);
        at = end + 2;
    }
    std::optional<std::string> payload = base64Decode(base64);
    if (!payload || !compressed) return payload;
    std::string inflated(kKittyFrameBytes, '\0');
    uLongf size = static_cast<uLongf>(inflated.size());
    if (uncompress(reinterpret_cast<Bytef*>(inflated.data()), &size, reinterpret_cast<const Bytef*>(payload->data()),
                   static_cast<uLong>(payload->size())) != Z_OK)
        return std::nullopt;
    inflated.resize(size);
    return inflated;
}

}  // namespace

std::optional<RgbImage> pictureFromBytes(PictureReadBack readBack, const std::string& bytes, const CellArea& area,
                                         PixelSize cell) {
    if (readBack == PictureReadBack::SixelImage) return decodeSixel(bytes);
    if (readBack != PictureReadBack::KittyImage) return std::nullopt;
    const std::optional<std::string> rgb = kittyPayload(bytes);
    if (!rgb || rgb->size() != kKittyFrameBytes) return std::nullopt;
    RgbImage frame(kFrameWidth, kFrameHeight);
    std::copy(rgb->begin(), rgb->end(), frame.rgb.begin());
    // The terminal scales the image to fill its box of cells.
    return resizeArea(frame, area.columns * cell.width, area.rows * cell.height);
}

RgbImage crispPicture(const RgbImage& frame, int width, int height) {
    const int factor = std::min(width / frame.width, height / frame.height);
    RgbImage picture(width, height);
    if (factor < 1) {
        const int fitWidth = std::min(width, height * frame.width / frame.height);
        const int fitHeight = std::max(1, fitWidth * frame.height / frame.width);
        blit(picture, resizeArea(frame, std::max(fitWidth, 1), fitHeight), (width - fitWidth) / 2,
             (height - fitHeight) / 2);
        return picture;
    }
    const int left = (width - frame.width * factor) / 2;
    const int top = (height - frame.height * factor) / 2;
    for (int y = 0; y < frame.height * factor; ++y) {
        std::uint8_t* row = picture.pixel(left, top + y);
        for (int x = 0; x < frame.width; ++x) {
            const std::uint8_t* source = frame.pixel(x, y / factor);
            for (int k = 0; k < factor; ++k, row += 3) std::copy(source, source + 3, row);
        }
    }
    return picture;
}

RgbImage paletteColors(const std::uint32_t* frame, const SixelPalette& palette) {
    std::vector<std::uint32_t> mapped(frame, frame + kFramePixels);
    for (std::uint32_t& pixel : mapped) pixel = palette.color(palette.nearest(pixel));
    return imageFromFrameBuffer(mapped.data(), kFrameWidth, kFrameHeight);
}
