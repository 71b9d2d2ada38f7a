#include "engine/texture_store.h"

#include <turbojpeg.h>

using NORVALE_VIRELLO::Texture;

namespace {

// turbojpeg's RGBX puts red in the lowest byte of a little-endian word,
// which is the FrameBuffer's layout; only the X byte needs clearing.
unsigned int packedFromRgbx(std::uint32_t rgbx) { return rgbx & 0x00FFFFFFu; }

}  // namespace

std::unique_ptr<Texture> decodeJpeg(const std::vector<std::uint8_t>& bytes, std::string& error) {
    tjhandle decoder = tjInitDecompress();
    if (!decoder) {
        error = "cannot start the JPEG decoder";
        return nullptr;
    }
    int width = 0, height = 0, subsampling = 0, colorspace = 0;
    std::unique_ptr<Texture> texture;
    if (tjDecompressHeader3(decoder, bytes.data(), static_cast<unsigned long>(bytes.size()), &width,
                            &height, &subsampling, &colorspace) != 0) {
        error = tjGetErrorStr2(decoder);
    } else if (width <= 0 || height <= 0 || width > kMaxPictureSide || height > kMaxPictureSide) {
        error = "the picture is " + std::to_string(width) + " x " + std::to_string(height) +
                ", larger than the " + std::to_string(kMaxPictureSide) + " x " +
                std::to_string(kMaxPictureSide) + " accepted";
    } else {
        std::vector<unsigned int> pixels(static_cast<std::size_t>(width) * height);
        if (tjDecompress2(decoder, bytes.data(), static_cast<unsigned long>(bytes.size()),
                          reinterpret_cast<unsigned char*>(pixels.data()), width, width * 4, height,
                          TJPF_RGBX, TJFLAG_ACCURATEDCT) != 0) {
            error = tjGetErrorStr2(decoder);
        } else {
            for (unsigned int& p : pixels) p = packedFromRgbx(p);
            texture = std::make_unique<Texture>(width, height, std::move(pixels));
        }
    }
    tjDestroy(decoder);
    return texture;
}

std::unique_ptr<Texture> makePlaceholderTexture() {
    std::vector<unsigned int> pixels(kPlaceholderWidth * kPlaceholderHeight);
    for (unsigned int y = 0; y < kPlaceholderHeight; ++y)
        for (unsigned int x = 0; x < kPlaceholderWidth; ++x)
            pixels[y * kPlaceholderWidth + x] = ((x / 32 + y / 32) % 2) ? 0xFF00FFu : 0x303030u;
    return std::make_unique<Texture>(kPlaceholderWidth, kPlaceholderHeight, std::move(pixels));
}
