#pragma once
// The 80 x 50 character picture, made from the FrameBuffer exactly as the
// show makes it (through the show's own console bitmap), but drawn onto a
// canvas of our own so no console is needed.
#include <string>

#include <vector>

#include "tools/capture/glyph_cache.h"
#include "tools/capture/image.h"

struct caca_canvas;
struct caca_dither;
struct caca_font;

constexpr int kCharColumns = 80;
constexpr int kCharRows = 50;

class CharacterPicture {
public:
    CharacterPicture();
    ~CharacterPicture();
    CharacterPicture(const CharacterPicture&) = delete;
    CharacterPicture& operator=(const CharacterPicture&) = delete;

    // `frameBuffer` is 320 x 200 pixels in the FrameBuffer layout.
    void draw(const unsigned int* frameBuffer);

    // "ansi" or "utf8": the canvas as terminal text.
    std::string exportText(const char* format) const;

    // The canvas drawn with libcaca's first built-in font.
    RgbImage render() const;
    // The cells as they stand, for drawing elsewhere (another thread).
    std::vector<CharacterCell> cells() const;
    // A cache that draws pictures like render() does, at cellWidth x
    // cellHeight pixels a cell (the font's size for the same bytes).
    GlyphCache makeGlyphCache(int cellWidth, int cellHeight) const;
    int fontWidth() const;
    int fontHeight() const;
    int renderWidth() const;
    int renderHeight() const;

private:
    caca_canvas* canvas_;
    caca_dither* dither_;
    caca_font* font_;
};
