#pragma once
// Random 256 x 256 windows out of the show's five photographs.
#include <array>
#include <span>

#include "engine/frame.h"
#include "engine/texture.h"

// A window buffer is kTextureSide x kTextureSide pixels.
constexpr int kPhotoWidth = 640;  // the size every photograph of the show has
constexpr int kPhotoHeight = 480;

// The photographs, in the order the random pick indexes them.
inline constexpr std::array<const char*, 5> kPhotoTable = {
    "kuva1.jpg", "kuva4.jpg", "kuva20.jpg", "kuva24.jpg", "kuva25.jpg"};

// One of the five photographs, chosen by one draw of the show's generator.
NORVALE_VIRELLO::Texture* randomPhoto();

// A float in [0, 1) from one draw: (draw % 32767) / 32767.
float randomUnit();

// Copies the 256 x 256 window whose top-left corner is (x, y) out of a
// 640 x 480 photo into `window`, wrapping around the photo's edges.
void copyPhotoWindow(int x, int y, const unsigned int* photo, unsigned int* window);

// The same for a photo of any size: the window wraps around the photo's own
// edges, so a picture smaller than 640 x 480 is repeated instead of being
// read past its end. An empty photo gives a black window.
void copyPhotoWindow(int x, int y, const unsigned int* photo, unsigned int* window,
                     int photoWidth, int photoHeight);

// The same for a texture, at its own size: the form to use for anything
// fetched by name, since a replaced picture may be smaller than 640 x 480.
void copyPhotoWindow(int x, int y, const NORVALE_VIRELLO::Texture& photo, unsigned int* window);

// Only some texels of that window: out[i * columns.size() + j] is row
// rows[i], column columns[j] (each 0..255) of what copyPhotoWindow(x, y,
// photo) gives, fallback included. For a caller that draws the window small
// and so needs a few thousand of its 65536 texels.
void copyPhotoWindowTexels(int x, int y, const NORVALE_VIRELLO::Texture& photo, std::span<const int> rows,
                           std::span<const int> columns, unsigned int* out);

// Fills an effect's window buffer from a random photo at a random place:
// randomPhoto(), then x = draw % 640, then y = draw % 480.
void grabRandomWindow(unsigned int* window);
