#include "tools/capture/character_picture.h"

#include "platform/caca_console.h"

#include <cstdlib>
#include <stdexcept>
#include <vector>

#include "engine/frame.h"

namespace {

caca_font_t* loadFirstBuiltInFont() {
    const char* const* fonts = caca_get_font_list();
    if (!fonts || !fonts[0]) throw std::runtime_error("libcaca has no built-in font");
    caca_font_t* font = caca_load_font(fonts[0], 0);
    if (!font) throw std::runtime_error("cannot load libcaca font");
    return font;
}

}  // namespace

CharacterPicture::CharacterPicture()
    : canvas_(caca_create_canvas(kCharColumns, kCharRows)),
      // The very bitmap the show makes, so both draw the same characters.
      dither_(caca_create_bitmap(32, kFrameWidth, kFrameHeight, kFrameBytesPerRow, 0xFF, 0xFF00, 0xFF0000, 0)),
      font_(loadFirstBuiltInFont()) {
    if (!canvas_ || !dither_) throw std::runtime_error("cannot create libcaca canvas or bitmap");
}

CharacterPicture::~CharacterPicture() {
    caca_free_font(font_);
    caca_free_bitmap(dither_);
    caca_free_canvas(canvas_);
}

void CharacterPicture::draw(const unsigned int* frameBuffer) {
    caca_dither_bitmap(canvas_, 0, 0, kCharColumns, kCharRows, dither_, frameBuffer);
}

std::string CharacterPicture::exportText(const char* format) const {
    std::size_t size = 0;
    void* bytes = caca_export_canvas_to_memory(canvas_, format, &size);
    if (!bytes) return {};
    std::string text(static_cast<const char*>(bytes), size);
    std::free(bytes);
    return text;
}

std::vector<CharacterCell> CharacterPicture::cells() const {
    const std::uint32_t* characters = caca_get_canvas_chars(canvas_);
    const std::uint32_t* attributes = caca_get_canvas_attrs(canvas_);
    std::vector<CharacterCell> cells(kCharColumns * kCharRows);
    for (std::size_t i = 0; i < cells.size(); ++i) cells[i] = {characters[i], attributes[i]};
    return cells;
}

GlyphCache CharacterPicture::makeGlyphCache(int cellWidth, int cellHeight) const {
    return GlyphCache(font_, cellWidth, cellHeight);
}

int CharacterPicture::fontWidth() const { return caca_get_font_width(font_); }

int CharacterPicture::fontHeight() const { return caca_get_font_height(font_); }

int CharacterPicture::renderWidth() const { return kCharColumns * caca_get_font_width(font_); }

int CharacterPicture::renderHeight() const { return kCharRows * caca_get_font_height(font_); }

RgbImage CharacterPicture::render() const {
    const int width = renderWidth();
    const int height = renderHeight();
    std::vector<std::uint8_t> argb(static_cast<std::size_t>(width) * height * 4);
    caca_render_canvas(canvas_, font_, argb.data(), width, height, width * 4);
    return imageFromArgbBytes(argb.data(), width, height);
}
