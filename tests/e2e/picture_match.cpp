// Compares a screenshot of a terminal with the frame it should show: finds
// the picture on the screen (the box of everything brighter than the
// terminal's black), and reports its shape and how well its light and shade
// follow the frame's: the correlation of the luminance of both, each
// averaged over the same grid of blocks (NaN, a failure, for a flat frame).
// Exit status 0 when the shape is 8 : 5 within the tolerance and the
// correlation reaches the minimum.
//
//   picture_match SCREEN.ppm FRAME.ppm [MIN_CORRELATION [SHAPE_TOLERANCE]]
//
// Both pictures are binary PPM (P6, 8 bits), as ImageMagick's
// `convert x.png ppm:x.ppm` writes them.
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "tools/capture/picture_figures.h"

namespace {

struct Gray {
    int width = 0;
    int height = 0;
    std::vector<double> light;  // 0 to 255
    double at(int x, int y) const { return light[static_cast<std::size_t>(y) * width + x]; }
};

bool readPpm(const char* path, Gray& image) {
    std::ifstream in(path, std::ios::binary);
    std::string magic;
    int maxValue = 0;
    in >> magic >> image.width >> image.height >> maxValue;
    in.get();
    if (!in || magic != "P6" || maxValue != 255 || image.width <= 0 || image.height <= 0) return false;
    std::vector<unsigned char> rgb(static_cast<std::size_t>(image.width) * image.height * 3);
    in.read(reinterpret_cast<char*>(rgb.data()), static_cast<std::streamsize>(rgb.size()));
    if (!in) return false;
    for (std::size_t i = 0; i < rgb.size(); i += 3)
        image.light.push_back(pixelLuminance(rgb[i], rgb[i + 1], rgb[i + 2]));
    return true;
}

// Mean light of the blocks of a columns x rows grid over a box.
std::vector<double> blocks(const Gray& image, int left, int top, int width, int height, int columns, int rows) {
    std::vector<double> means;
    for (int r = 0; r < rows; ++r) {
        for (int c = 0; c < columns; ++c) {
            const int x0 = left + c * width / columns, x1 = left + (c + 1) * width / columns;
            const int y0 = top + r * height / rows, y1 = top + (r + 1) * height / rows;
            double sum = 0;
            int count = 0;
            for (int y = y0; y < y1; ++y)
                for (int x = x0; x < x1; ++x, ++count) sum += image.at(x, y);
            means.push_back(count ? sum / count : 0.0);
        }
    }
    return means;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 3) {
        std::fprintf(stderr, "usage: picture_match SCREEN.ppm FRAME.ppm [MIN_CORRELATION [SHAPE_TOLERANCE]]\n");
        return 2;
    }
    const double minimum = argc > 3 ? std::atof(argv[3]) : 0.9;
    const double tolerance = argc > 4 ? std::atof(argv[4]) : 0.05;
    Gray screen, frame;
    if (!readPpm(argv[1], screen) || !readPpm(argv[2], frame)) {
        std::fprintf(stderr, "picture_match: cannot read the pictures\n");
        return 2;
    }
    // The picture: the box of the rows and columns where at least a few
    // pixels are clearly brighter than black, each in a run of several such
    // (a stray pixel, a cursor or a window's thin border does not count).
    constexpr double kBright = 24.0;
    const auto brightInRow = [&](int y) {
        int n = 0;
        for (int x = 0; x < screen.width; ++x) n += screen.at(x, y) > kBright;
        return n;
    };
    const auto brightInColumn = [&](int x) {
        int n = 0;
        for (int y = 0; y < screen.height; ++y) n += screen.at(x, y) > kBright;
        return n;
    };
    constexpr int kEnough = 8;
    constexpr int kRun = 6;
    // The first of kRun consecutive lines that qualify, from `from` in
    // steps of `step`.
    const auto firstRun = [&](auto bright, int from, int to, int step) {
        for (int at = from; at != to; at += step) {
            int run = 0;
            while (run < kRun && at + run * step != to && bright(at + run * step) >= kEnough) ++run;
            if (run == kRun) return at;
        }
        return from;
    };
    const int top = firstRun(brightInRow, 0, screen.height, 1);
    const int bottom = firstRun(brightInRow, screen.height - 1, -1, -1);
    const int left = firstRun(brightInColumn, 0, screen.width, 1);
    const int right = firstRun(brightInColumn, screen.width - 1, -1, -1);
    const int width = right - left + 1, height = bottom - top + 1;
    const double shape = static_cast<double>(width) / height;
    constexpr int kColumns = 32, kRows = 20;
    const double match = width >= kColumns && height >= kRows
                             ? cellCorrelation(blocks(frame, 0, 0, frame.width, frame.height, kColumns, kRows),
                                               blocks(screen, left, top, width, height, kColumns, kRows))
                             : 0.0;
    std::printf("picture at %d,%d size %d x %d shape %.3f (8:5 is 1.600) correlation %.3f\n", left, top, width,
                height, shape, match);
    const bool shapeGood = std::fabs(shape / 1.6 - 1.0) <= tolerance;
    return shapeGood && match >= minimum ? 0 : 1;
}
