#include "tools/capture/text_label.h"

#include <caca.h>

#include <memory>
#include <vector>

namespace {

struct FontDeleter {
    void operator()(caca_font_t* font) const { caca_free_font(font); }
};
struct CanvasDeleter {
    void operator()(caca_canvas_t* canvas) const { caca_free_canvas(canvas); }
};

// Loaded once; the font is read-only afterwards.
caca_font_t* labelFont() {
    static std::unique_ptr<caca_font_t, FontDeleter> font(
        caca_load_font(caca_get_font_list()[0], 0));
    return font.get();
}

}  // namespace

int labelHeight() { return labelFont() ? caca_get_font_height(labelFont()) : 0; }

RgbImage renderLabel(const std::string& text) {
    caca_font_t* font = labelFont();
    if (!font || text.empty()) return RgbImage(0, 0);
    std::unique_ptr<caca_canvas_t, CanvasDeleter> canvas(
        caca_create_canvas(static_cast<int>(text.size()), 1));
    if (!canvas) return RgbImage(0, 0);
    caca_set_color_ansi(canvas.get(), CACA_LIGHTGRAY, CACA_BLACK);
    caca_put_str(canvas.get(), 0, 0, text.c_str());
    const int width = static_cast<int>(text.size()) * caca_get_font_width(font);
    const int height = caca_get_font_height(font);
    std::vector<std::uint8_t> argb(static_cast<std::size_t>(width) * height * 4);
    caca_render_canvas(canvas.get(), font, argb.data(), width, height, width * 4);
    return imageFromArgbBytes(argb.data(), width, height);
}
