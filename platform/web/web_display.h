#pragma once
// The page's picture: each finished frame becomes an RGBA image (bytes red,
// green, blue, alpha; what a canvas's ImageData holds) that the page draws
// scaled onto its canvas. Three looks, switchable between frames:
//  - pixels: the 320 x 200 frame itself;
//  - cells: the truecolor terminal's upper-half-block cells, two colours
//    per cell, one image pixel per half cell;
//  - characters: libcaca's 80 x 50 character art, drawn with its own font,
//    made exactly as the terminal show makes it.
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "platform/frame_display.h"

enum class WebLook { Pixels = 0, Cells = 1, Characters = 2 };

class WebDisplay : public FrameDisplay {
public:
    // Black at `width` x `height` until the first frame.
    WebDisplay(int width, int height);
    ~WebDisplay() override;
    WebDisplay(const WebDisplay&) = delete;
    WebDisplay& operator=(const WebDisplay&) = delete;

    // `columns` x `rows`: the cell grid of the cells look (each at least 1,
    // at most 1000); the other looks ignore it.
    void setLook(WebLook look, int columns, int rows);
    WebLook look() const { return look_; }

    void setTitle(const char* title) override { title_ = title; }
    void present(const PixelView& frame) override;
    // Made again only when the look or its grid changed since.
    void presentAgain(const PixelView& frame) override;

    const std::string& title() const { return title_; }
    const std::uint8_t* image() const { return image_.data(); }
    int imageWidth() const { return width_; }
    int imageHeight() const { return height_; }
    // Counts the images made, so the page draws only a new one.
    unsigned imageSerial() const { return serial_; }

private:
    struct Cells;
    struct Characters;

    void resize(int width, int height);
    void presentPixels(const PixelView& frame);

    WebLook look_ = WebLook::Pixels;
    std::string title_;
    std::vector<std::uint8_t> image_;
    int width_ = 0;
    int height_ = 0;
    unsigned serial_ = 0;
    bool lookChanged_ = false;
    std::unique_ptr<Cells> cells_;
    std::unique_ptr<Characters> characters_;
};

// A frame pixel as RGBA bytes for the canvas: the frame keeps red in the
// lowest byte, so only the unused top byte changes, to opaque.
inline std::uint32_t opaquePixel(std::uint32_t pixel) { return pixel | 0xFF000000u; }
