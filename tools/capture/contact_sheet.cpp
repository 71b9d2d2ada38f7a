#include "tools/capture/contact_sheet.h"

#include <cstdio>

#include "engine/frame.h"
#include "tools/capture/text_label.h"

namespace {

constexpr int kMargin = 8;      // around the sheet and between cells
constexpr int kPictureGap = 4;  // between the two pictures of a cell
constexpr int kLabelGap = 2;    // between label and pictures
constexpr std::uint8_t kBackground = 24;

}  // namespace

std::vector<std::size_t> selectSheetFrames(const std::vector<int>& positions, int everyMs) {
    std::vector<std::size_t> chosen;
    if (positions.empty() || everyMs <= 0) return chosen;
    long long mark = positions.front();
    for (std::size_t i = 0; i < positions.size(); ++i) {
        if (positions[i] < mark) continue;
        chosen.push_back(i);
        // The next mark after this position; marks without a frame are skipped.
        while (mark <= positions[i]) mark += everyMs;
    }
    return chosen;
}

std::string positionLabel(int ms, const std::string& scene) {
    char text[64];
    std::snprintf(text, sizeof text, "%d:%02d.%03d", ms / 60000, ms / 1000 % 60, ms % 1000);
    return scene.empty() ? std::string(text) : std::string(text) + "  " + scene;
}

ContactSheet::ContactSheet(int columns, int pictureWidth)
    : columns_(columns < 1 ? 1 : columns),
      pictureWidth_(pictureWidth),
      pictureHeight_(pictureWidth * kFrameHeight / kFrameWidth) {}

int ContactSheet::cellWidth() const { return 2 * pictureWidth_ + kPictureGap; }

int ContactSheet::cellHeight() const { return labelHeight() + kLabelGap + pictureHeight_; }

void ContactSheet::add(const RgbImage& frameBuffer, const RgbImage& characters,
                       const std::string& label) {
    RgbImage cell(cellWidth(), cellHeight());
    fill(cell, kBackground, kBackground, kBackground);
    blit(cell, renderLabel(label), 0, 0);
    const int top = labelHeight() + kLabelGap;
    blit(cell, resizeArea(frameBuffer, pictureWidth_, pictureHeight_), 0, top);
    blit(cell, resizeArea(characters, pictureWidth_, pictureHeight_), pictureWidth_ + kPictureGap,
         top);
    cells_.push_back(std::move(cell));
}

RgbImage ContactSheet::compose() const {
    const int count = static_cast<int>(cells_.size());
    const int columns = count < columns_ ? (count > 0 ? count : 1) : columns_;
    const int rows = (count + columns - 1) / columns;
    RgbImage sheet(kMargin + columns * (cellWidth() + kMargin),
                   kMargin + (rows > 0 ? rows : 1) * (cellHeight() + kMargin));
    fill(sheet, kBackground, kBackground, kBackground);
    for (int i = 0; i < count; ++i)
        blit(sheet, cells_[i], kMargin + (i % columns) * (cellWidth() + kMargin),
             kMargin + (i / columns) * (cellHeight() + kMargin));
    return sheet;
}
