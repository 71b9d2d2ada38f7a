// Fuzz target: decoding a picture as the engine does, bytes from an archive
// member. Every decoded pixel is read, so a short buffer shows.
#include <cstdint>
#include <string>
#include <vector>

#include "engine/texture_store.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::vector<std::uint8_t> bytes(data, data + size);
    std::string error;
    const auto texture = decodeJpeg(bytes, error);
    if (!texture) return 0;
    const std::size_t pixels = std::size_t{texture->getWidth()} * texture->getHeight();
    unsigned int mix = 0;
    for (std::size_t i = 0; i < pixels; ++i) mix ^= texture->getImgData()[i];
    // Bits 24-31 are never set in the frame buffer's layout.
    if (mix >> 24) __builtin_trap();
    return 0;
}
