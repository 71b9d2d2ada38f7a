#include "platform/web/web_display.h"

#include <caca.h>

#include <algorithm>
#include <cstring>

#include "render/cell_converter.h"

namespace {

constexpr int kCharacterColumns = 80;
constexpr int kCharacterRows = 50;
constexpr int kLargestCellGrid = 1000;

}  // namespace

struct WebDisplay::Cells {
    Cells(int columns, int rows) : converter(CellShape::HalfBlock, columns, rows) {}
    CellConverter converter;
};

// The character look takes the terminal show's console bitmap and dither
// settings, so the same frame gives the same characters.
struct WebDisplay::Characters {
    Characters()
        : canvas(caca_create_canvas(kCharacterColumns, kCharacterRows)),
          font(caca_load_font(caca_get_font_list()[0], 0)) {}
    ~Characters() {
        if (font) caca_free_font(font);
        if (dither) caca_free_dither(dither);
        if (canvas) caca_free_canvas(canvas);
    }
    bool usable() const { return canvas && font; }
    // A dither for pictures of this layout, made again when it changes.
    bool fit(const PixelView& frame) {
        if (dither && frame.width == ditherWidth && frame.height == ditherHeight && frame.pitch == ditherPitch)
            return true;
        if (dither) caca_free_dither(dither);
        dither = caca_create_dither(32, frame.width, frame.height, frame.pitch, 0xFF, 0xFF00, 0xFF0000, 0);
        ditherWidth = frame.width;
        ditherHeight = frame.height;
        ditherPitch = frame.pitch;
        return dither != nullptr;
    }
    int width() const { return kCharacterColumns * caca_get_font_width(font); }
    int height() const { return kCharacterRows * caca_get_font_height(font); }

    caca_canvas_t* canvas;
    caca_font_t* font;
    caca_dither_t* dither = nullptr;
    int ditherWidth = 0;
    int ditherHeight = 0;
    int ditherPitch = 0;
    std::vector<std::uint32_t> argb;
};

WebDisplay::WebDisplay(int width, int height) { resize(width, height); }

WebDisplay::~WebDisplay() = default;

void WebDisplay::setLook(WebLook look, int columns, int rows) {
    columns = std::clamp(columns, 1, kLargestCellGrid);
    rows = std::clamp(rows, 1, kLargestCellGrid);
    look_ = look;
    lookChanged_ = true;
    if (look == WebLook::Cells) {
        const bool sameGrid = cells_ && cells_->converter.picture().columns == columns &&
                              cells_->converter.picture().rows == rows;
        if (!sameGrid) cells_ = std::make_unique<Cells>(columns, rows);
    }
    if (look == WebLook::Characters && !characters_) {
        characters_ = std::make_unique<Characters>();
        // Without its font or canvas libcaca cannot draw; pixels still can.
        if (!characters_->usable()) look_ = WebLook::Pixels;
    }
}

void WebDisplay::resize(int width, int height) {
    width_ = width;
    height_ = height;
    image_.assign(static_cast<std::size_t>(width) * height * 4, 0);
}

void WebDisplay::presentPixels(const PixelView& frame) {
    if (width_ != frame.width || height_ != frame.height) resize(frame.width, frame.height);
    auto* out = reinterpret_cast<std::uint32_t*>(image_.data());
    for (int y = 0; y < frame.height; ++y, out += frame.width) {
        const std::uint32_t* row = frame.row(y);
        for (int x = 0; x < frame.width; ++x) out[x] = opaquePixel(row[x]);
    }
}

void WebDisplay::presentAgain(const PixelView& frame) {
    if (lookChanged_) present(frame);
}

void WebDisplay::present(const PixelView& frame) {
    lookChanged_ = false;
    ++serial_;
    switch (look_) {
        case WebLook::Pixels: presentPixels(frame); break;
        case WebLook::Cells: {
            const CellPicture& picture = cells_->converter.convert(frame.pixels);
            // Each cell is its upper and its lower half, one above the other.
            if (width_ != picture.columns || height_ != picture.rows * 2)
                resize(picture.columns, picture.rows * 2);
            auto* out = reinterpret_cast<std::uint32_t*>(image_.data());
            for (int row = 0; row < picture.rows; ++row) {
                for (int column = 0; column < picture.columns; ++column) {
                    const Cell& cell = picture.at(column, row);
                    out[(2 * row) * width_ + column] = opaquePixel(subCellColor(cell, 0));
                    out[(2 * row + 1) * width_ + column] = opaquePixel(subCellColor(cell, 1));
                }
            }
            break;
        }
        case WebLook::Characters: {
            Characters& c = *characters_;
            if (!c.fit(frame)) break;
            caca_dither_bitmap(c.canvas, 0, 0, kCharacterColumns, kCharacterRows, c.dither,
                               const_cast<std::uint32_t*>(frame.pixels));
            if (width_ != c.width() || height_ != c.height()) resize(c.width(), c.height());
            c.argb.resize(static_cast<std::size_t>(width_) * height_);
            caca_render_canvas(c.canvas, c.font, c.argb.data(), width_, height_, width_ * 4);
            // libcaca renders 0xAARRGGBB words; the canvas wants R, G, B, A bytes.
            auto* out = reinterpret_cast<std::uint32_t*>(image_.data());
            for (std::size_t i = 0; i < c.argb.size(); ++i) {
                const std::uint32_t p = c.argb[i];
                out[i] = 0xFF000000u | (p >> 16 & 0xFFu) | (p & 0xFF00u) | (p & 0xFFu) << 16;
            }
            break;
        }
    }
}
