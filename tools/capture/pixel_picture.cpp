#include "tools/capture/pixel_picture.h"

#include <algorithm>
#include <charconv>
#include <string_view>

#include "engine/frame.h"
#include "platform/base64.h"
#include "tools/capture/sixel_decoder.h"

#include <zlib.h>

namespace {

// The image the kitty commands in `bytes` carry: its size from the first
// command's s= and v=, its RGB payload inflated where that command says o=z.
struct KittyImage {
    int width = 0;
    int height = 0;
    std::string rgb;
};

// The value of `key` among a command's comma-separated keys; 0 without it.
int keyValue(std::string_view keys, char key) {
    for (std::size_t at = 0; at < keys.size();) {
        const std::size_t comma = std::min(keys.find(',', at), keys.size());
        const std::string_view item = keys.substr(at, comma - at);
        if (item.size() > 2 && item[0] == key && item[1] == '=') {
            int value = 0;
            std::from_chars(item.data() + 2, item.data() + item.size(), value);
            return value;
        }
        at = comma + 1;
    }
    return 0;
}

std::optional<KittyImage> kittyImage(std::string_view bytes) {
    KittyImage image;
    std::string base64;
    bool compressed = false;
    bool first = true;
    for (std::size_t at = bytes.find("\x1b_G"); at != std::string_view::npos; at = bytes.find("\x1b_G", at)) {
        const std::size_t end = bytes.find("\x1b\\", at);
        if (end == std::string_view::npos) return std::nullopt;
        const std::string_view body = bytes.substr(at + 3, end - at - 3);
        const std::size_t semicolon = body.find(';');
        if (semicolon == std::string_view::npos) return std::nullopt;
        if (first) {
            const std::string_view keys = body.substr(0, semicolon);
            compressed = keys.find("o=z") != std::string_view::npos;
            image.width = keyValue(keys, 's');
            image.height = keyValue(keys, 'v');
        }
        first = false;
        base64 += body.substr(semicolon + 1);
        at = end + 2;
    }
    // Larger than any picture a console sends: not ours to inflate.
    constexpr long long kLargestPixels = 1LL << 26;
    if (image.width <= 0 || image.height <= 0 ||
        static_cast<long long>(image.width) * image.height > kLargestPixels)
        return std::nullopt;
    const std::size_t size = static_cast<std::size_t>(image.width) * static_cast<std::size_t>(image.height) * 3;
    std::optional<std::string> payload = base64Decode(base64);
    if (!payload) return std::nullopt;
    if (!compressed) {
        image.rgb = std::move(*payload);
    } else {
        image.rgb.assign(size, '\0');
        uLongf inflated = static_cast<uLongf>(size);
        if (uncompress(reinterpret_cast<Bytef*>(image.rgb.data()), &inflated,
                       reinterpret_cast<const Bytef*>(payload->data()), static_cast<uLong>(payload->size())) != Z_OK)
            return std::nullopt;
        image.rgb.resize(inflated);
    }
    if (image.rgb.size() != size) return std::nullopt;
    return image;
}

}  // namespace

std::optional<RgbImage> pictureFromBytes(PictureReadBack readBack, const std::string& bytes, const CellArea& area,
                                         PixelSize cell) {
    if (readBack == PictureReadBack::SixelImage) return decodeSixel(bytes);
    if (readBack != PictureReadBack::KittyImage) return std::nullopt;
    const std::optional<KittyImage> image = kittyImage(bytes);
    if (!image) return std::nullopt;
    RgbImage frame(image->width, image->height);
    std::copy(image->rgb.begin(), image->rgb.end(), frame.rgb.begin());
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
