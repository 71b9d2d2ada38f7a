#pragma once
#include <cstdint>
#include <vector>

namespace NORVALE_VIRELLO {

// A decoded picture. Pixels are in the FrameBuffer layout: red in bits 0-7,
// green in 8-15, blue in 16-23, bits 24-31 zero. Rows top down, no gap.
class Texture {
public:
    Texture(unsigned int width, unsigned int height, std::vector<unsigned int> pixels);

    unsigned int getWidth() const { return width_; }
    unsigned int getHeight() const { return height_; }
    unsigned int* getImgData() { return pixels_.data(); }
    const unsigned int* getImgData() const { return pixels_.data(); }

private:
    unsigned int width_;
    unsigned int height_;
    std::vector<unsigned int> pixels_;
};

}  // namespace NORVALE_VIRELLO
