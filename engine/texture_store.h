#pragma once
// Decoding pictures and the stand-in for a picture that cannot be had.
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "engine/texture.h"

// The largest picture decoded: 64 MB of pixels, far above the show's own
// (640 x 480 at most). A larger one is refused before any pixel is decoded.
constexpr int kMaxPictureSide = 4096;

// Pixels in FrameBuffer layout (red bits 0-7, green 8-15, blue 16-23).
std::unique_ptr<NORVALE_VIRELLO::Texture> decodeJpeg(const std::vector<std::uint8_t>& bytes,
                                                     std::string& error);

// 640 x 480, the size of the show's photos: a magenta and dark-grey
// checkerboard of 32-pixel squares, impossible to mistake for content.
std::unique_ptr<NORVALE_VIRELLO::Texture> makePlaceholderTexture();

constexpr unsigned int kPlaceholderWidth = 640;
constexpr unsigned int kPlaceholderHeight = 480;
