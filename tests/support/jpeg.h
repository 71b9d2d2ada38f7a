#pragma once
// Test pictures as JPEG files, encoded with the library the engine decodes
// them with.
#include <turbojpeg.h>

#include <cstdint>
#include <stdexcept>
#include <vector>

// `pixels` in the frame buffer's layout (red in the low byte), width *
// height of them; by default quality 100 with no chroma subsampling, so flat
// colours come back exact.
inline std::vector<std::uint8_t> encodeJpeg(const std::vector<unsigned int>& pixels, int width, int height,
                                            int subsampling = TJSAMP_444, int quality = 100,
                                            int flags = TJFLAG_ACCURATEDCT) {
    tjhandle encoder = tjInitCompress();
    unsigned char* jpeg = nullptr;
    unsigned long size = 0;
    if (tjCompress2(encoder, reinterpret_cast<const unsigned char*>(pixels.data()), width, 0, height, TJPF_RGBX,
                    &jpeg, &size, subsampling, quality, flags) != 0) {
        tjDestroy(encoder);
        throw std::runtime_error("cannot encode a test picture");
    }
    std::vector<std::uint8_t> bytes(jpeg, jpeg + size);
    tjFree(jpeg);
    tjDestroy(encoder);
    return bytes;
}

// A picture of one colour.
inline std::vector<std::uint8_t> flatJpeg(int width, int height, unsigned int pixel) {
    return encodeJpeg(std::vector<unsigned int>(static_cast<std::size_t>(width) * height, pixel), width, height);
}
