#include "tools/gen/pictures/picture_text.h"

#include <ft2build.h>
#include FT_FREETYPE_H

#include <cmath>
#include <memory>
#include <string>
#include <vector>

namespace gen {

namespace {

// A line takes 1.2 of its size in height, 0.95 of it above the baseline:
// room for DejaVu's accents above and descenders below.
constexpr float kLineSpacing = 1.2f;
constexpr float kAboveBaseline = 0.95f;

struct TextLine {
    Color color;
    float heightShare;  // of the picture height
    std::string font;
    std::string text;
};

TextLine parseLine(const Recipe& recipe, const std::vector<std::string>& tokens) {
    TextLine line;
    double height = 0;
    if (tokens.size() != 4 || !parseHexColor(tokens[0], line.color) || !parseNumber(tokens[1], height) ||
        height <= 0 || height > 1)
        recipe.fail("line", "needs #rrggbb, a height share in 0..1, a font and \"text\"");
    for (unsigned char c : tokens[3])
        if (c < 32 || c > 126) recipe.fail("line", "text must be plain ASCII");
    line.heightShare = static_cast<float>(height);
    line.font = tokens[2];
    line.text = tokens[3];
    return line;
}

// FreeType's library and face handles, released in order.
struct FontFace {
    FT_Library library = nullptr;
    FT_Face face = nullptr;

    FontFace(const std::string& path) {
        if (FT_Init_FreeType(&library) != 0) throw RecipeError("cannot start FreeType");
        if (FT_New_Face(library, path.c_str(), 0, &face) != 0) {
            FT_Done_FreeType(library);
            throw RecipeError("cannot open font " + path);
        }
    }
    ~FontFace() {
        FT_Done_Face(face);
        FT_Done_FreeType(library);
    }
    FontFace(const FontFace&) = delete;
    FontFace& operator=(const FontFace&) = delete;
};

// Walks the glyphs of `text` at the face's current size; for each one calls
// draw(bitmap, left, top) with pen positions in pixels. Returns the advance width.
template <typename Draw>
float walkGlyphs(FT_Face face, const std::string& text, float tracking, Draw draw) {
    float pen = 0;
    FT_UInt previous = 0;
    for (unsigned char ch : text) {
        const FT_UInt glyph = FT_Get_Char_Index(face, ch);
        if (previous && glyph && FT_HAS_KERNING(face)) {
            FT_Vector kern;
            FT_Get_Kerning(face, previous, glyph, FT_KERNING_DEFAULT, &kern);
            pen += static_cast<float>(kern.x) / 64.0f;
        }
        if (FT_Load_Glyph(face, glyph, FT_LOAD_RENDER) != 0) continue;
        const FT_GlyphSlot slot = face->glyph;
        draw(slot->bitmap, pen + static_cast<float>(slot->bitmap_left),
             static_cast<float>(slot->bitmap_top));
        pen += static_cast<float>(slot->advance.x) / 64.0f + tracking;
        previous = glyph;
    }
    return pen - tracking;
}

void setSize(FontFace& font, float em, float stretch) {
    FT_Set_Pixel_Sizes(font.face, static_cast<FT_UInt>(std::max(1L, std::lround(em * stretch))),
                       static_cast<FT_UInt>(std::max(1L, std::lround(em))));
}

// The largest size up to `em` at which the line fits in `width` pixels.
float fittedSize(FontFace& font, const std::string& text, float em, float stretch, float tracking,
                 float width) {
    for (int attempt = 0; attempt < 4 && em > 1.0f; ++attempt) {
        setSize(font, em, stretch);
        const float measured = walkGlyphs(font.face, text, tracking * em, [](auto&, float, float) {});
        if (measured <= width) return em;
        em = std::max(1.0f, em * width / measured * 0.98f);
    }
    return em;
}

// Renders one line into `mask`, centred, with its baseline at `baseline`.
void drawLine(FontFace& font, const std::string& text, float em, float stretch, float tracking,
              float baseline, Mask& mask) {
    setSize(font, em, stretch);
    const float width = walkGlyphs(font.face, text, tracking * em, [](auto&, float, float) {});
    const float left = std::floor((static_cast<float>(mask.width) - width) * 0.5f);
    walkGlyphs(font.face, text, tracking * em, [&](const FT_Bitmap& bitmap, float x, float top) {
        const int ox = static_cast<int>(std::lround(left + x));
        const int oy = static_cast<int>(std::lround(baseline - top));
        for (unsigned row = 0; row < bitmap.rows; ++row) {
            for (unsigned col = 0; col < bitmap.width; ++col) {
                const int px = ox + static_cast<int>(col), py = oy + static_cast<int>(row);
                if (px < 0 || py < 0 || px >= mask.width || py >= mask.height) continue;
                const float v = bitmap.buffer[row * bitmap.pitch + col] / 255.0f;
                mask.at(px, py) = std::max(mask.at(px, py), v);
            }
        }
    });
}

// A thin horizontal streak of light under the text, brightest in the middle
// and fading toward the margins: the logotype's underline. It joins the
// glowing shapes through `core`.
void addStreak(Image& canvas, Mask& core, Color color, float row, float margin, float pixelScale) {
    const float centre = 0.5f * static_cast<float>(canvas.width());
    const float half = centre - margin;
    const float thickness = 0.7f * pixelScale;
    const int top = std::max(0, static_cast<int>(row - 4.0f * thickness));
    const int bottom = std::min(canvas.height() - 1, static_cast<int>(row + 4.0f * thickness));
    for (int y = top; y <= bottom; ++y) {
        const float dy = (static_cast<float>(y) + 0.5f - row) / thickness;
        const float across = std::exp(-0.5f * dy * dy);
        for (int x = 0; x < canvas.width(); ++x) {
            const float u = std::fabs(static_cast<float>(x) + 0.5f - centre) / half;
            if (u >= 1.0f) continue;
            const float v = across * (1.0f - u) * (1.0f - u);
            canvas.at(x, y) += color * v;
            core.at(x, y) = std::max(core.at(x, y), v);
        }
    }
}

}  // namespace

void paintText(const Recipe& recipe, Image& canvas, float pixelScale) {
    const std::string fontDir = recipe.text("fonts");
    const float stretch = static_cast<float>(recipe.number("stretch"));
    const float tracking = static_cast<float>(recipe.number("tracking"));
    const std::vector<double> glow = recipe.numbers("glow", 2);  // radius, strength
    const Color glowColor = recipe.color("glow_colour");
    const float glowRadius = static_cast<float>(glow[0]) * pixelScale;
    // Text keeps three glow radii clear of the edges so the border stays black.
    const float margin = std::ceil(glowRadius * 3.0f);

    std::vector<TextLine> lines;
    for (const auto& tokens : recipe.all("line")) lines.push_back(parseLine(recipe, tokens));
    if (lines.empty()) recipe.fail("line", "is missing");

    // Each line as large as asked but no wider than the space between the
    // margins; then the whole stack no taller than that space.
    const float h = static_cast<float>(canvas.height());
    const float roomX = static_cast<float>(canvas.width()) - 2.0f * margin, roomY = h - 2.0f * margin;
    if (roomX < 1.0f || roomY < 1.0f) recipe.fail("glow", "leaves no room for the text");
    std::vector<std::unique_ptr<FontFace>> fonts;
    std::vector<float> sizes;
    float total = 0;
    for (const TextLine& line : lines) {
        fonts.push_back(std::make_unique<FontFace>(fontDir + "/" + line.font));
        sizes.push_back(fittedSize(*fonts.back(), line.text, line.heightShare * h, stretch, tracking, roomX));
        total += sizes.back() * kLineSpacing;
    }
    const float shrink = std::min(1.0f, roomY / total);
    float baseline = margin + (roomY - total * shrink) * 0.5f;

    Mask core(canvas.width(), canvas.height());
    std::vector<Mask> perLine;
    for (size_t i = 0; i < lines.size(); ++i) {
        const float em = sizes[i] * shrink;
        Mask mask(canvas.width(), canvas.height());
        baseline += em * kAboveBaseline;
        drawLine(*fonts[i], lines[i].text, em, stretch, tracking, baseline, mask);
        baseline += em * (kLineSpacing - kAboveBaseline);
        perLine.push_back(std::move(mask));
    }
    if (recipe.has("streak")) addStreak(canvas, core, recipe.color("streak"), baseline, margin, pixelScale);
    for (size_t i = 0; i < lines.size(); ++i) {
        for (size_t k = 0; k < core.values.size(); ++k) core.values[k] = std::max(core.values[k], perLine[i].values[k]);
        // Each glyph's own colour, brightening to white where the stroke is solid.
        for (int y = 0; y < canvas.height(); ++y) {
            for (int x = 0; x < canvas.width(); ++x) {
                const float v = perLine[i].at(x, y);
                if (v > 0) canvas.at(x, y) += mix(lines[i].color, Color{1, 1, 1}, 0.35f) * v;
            }
        }
    }
    const float strength = static_cast<float>(glow[1]);
    addGlow(canvas, blurred(core, glowRadius), glowColor, strength);
    addGlow(canvas, blurred(core, glowRadius * 0.35f), glowColor, strength * 0.6f);
    // Cut the faint tail of the Gaussian so the background is exact black.
    for (int y = 0; y < canvas.height(); ++y) {
        for (int x = 0; x < canvas.width(); ++x) {
            Color& c = canvas.at(x, y);
            if (c.r < 0.004f && c.g < 0.004f && c.b < 0.004f) c = Color{};
        }
    }
}

}  // namespace gen
