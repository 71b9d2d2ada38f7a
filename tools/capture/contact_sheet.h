#pragma once
// A contact sheet: a grid of cells, each the FrameBuffer and the character
// picture of one position side by side under a label.
#include <cstddef>
#include <string>
#include <vector>

#include "tools/capture/image.h"

// Indices of the frames a sheet shows: for each mark first + k * everyMs up
// to the last position, the first frame at or after it. Positions ascend.
std::vector<std::size_t> selectSheetFrames(const std::vector<int>& positions, int everyMs);

// "m:ss.mmm" then the scene's label, e.g. "1:23.456  Kuvatus2".
std::string positionLabel(int ms, const std::string& scene);

class ContactSheet {
public:
    // pictureWidth: width of each of the two pictures; height keeps 320:200.
    ContactSheet(int columns, int pictureWidth);

    void add(const RgbImage& frameBuffer, const RgbImage& characters, const std::string& label);
    std::size_t size() const { return cells_.size(); }
    RgbImage compose() const;

    int cellWidth() const;
    int cellHeight() const;

private:
    int columns_;
    int pictureWidth_;
    int pictureHeight_;
    std::vector<RgbImage> cells_;
};
