#pragma once
// What a viewer gets of a frame: whether it is black, how much of the
// frame's light and shade the character picture keeps, and how far a
// picture's colours are from the frame's.
#include <cstdint>
#include <vector>

#include "tools/capture/image.h"

// A frame whose mean luminance (0..255) is under this reads as a black screen.
constexpr double kBlackFrameLuminance = 6.0;

inline bool isBlackFrame(double meanLuminance) { return meanLuminance < kBlackFrameLuminance; }

// Luminance of each of the 80 x 50 character cells, row after row: the mean
// over the 4 x 4 FrameBuffer pixels (320 x 200) a cell stands for.
std::vector<double> frameCellLuminance(const std::uint32_t* frameBuffer);

// The same cells of the rendered character picture: the mean over each
// cell's share of the image (glyph and background together).
std::vector<double> characterCellLuminance(const RgbImage& characters);

// Pearson correlation of the two, over the cells. NaN when the frame's cells
// are all alike (a flat frame has no structure to keep); 0 when the frame
// has structure and the characters show none of it.
double cellCorrelation(const std::vector<double>& frame, const std::vector<double>& characters);

// How far the picture's colours are from the frame's: the mean over the
// frame's pixels and channels of the absolute difference (0 to 1) between
// the pixel and the picture at the middle of that pixel's place in it.
// Averaging shows in it as well as colour: a picture of cells is far from
// the noise in the frame while its cells' colours are exact.
double pictureError(const std::uint32_t* frameBuffer, const RgbImage& picture);

// "Structure kept" of one frame: cellCorrelation of the FrameBuffer and the
// character picture it was dithered into.
double structureKept(const std::uint32_t* frameBuffer, const RgbImage& characters);
