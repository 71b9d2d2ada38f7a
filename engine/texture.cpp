#include "engine/texture.h"

#include <utility>

namespace NORVALE_VIRELLO {

Texture::Texture(unsigned int width, unsigned int height, std::vector<unsigned int> pixels)
    : width_(width), height_(height), pixels_(std::move(pixels)) {
    pixels_.resize(static_cast<std::size_t>(width_) * height_, 0u);
}

}  // namespace NORVALE_VIRELLO
