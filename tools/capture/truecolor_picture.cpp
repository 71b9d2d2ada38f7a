#include "tools/capture/truecolor_picture.h"

#include <numeric>

#include "tools/capture/cell_image.h"
#include "tools/capture/stats.h"

FrameBytes summarizeFrameBytes(const std::vector<long long>& bytes) {
    FrameBytes summary;
    if (bytes.empty()) return summary;
    const std::vector<double> values(bytes.begin(), bytes.end());
    summary.median = static_cast<long long>(percentile(values, 50));
    summary.p99 = static_cast<long long>(percentile(values, 99));
    summary.mean = std::accumulate(values.begin(), values.end(), 0.0) / values.size();
    summary.frames = static_cast<long long>(bytes.size());
    return summary;
}

TruecolorPicture::TruecolorPicture(CellShape shape, int terminalColumns, int terminalRows, PixelSize cell)
    : area_(fitPicture(terminalColumns, terminalRows, {terminalColumns * cell.width, terminalRows * cell.height})),
      converter_(shape, area_.columns, area_.rows) {}

void TruecolorPicture::draw(const std::uint32_t* frame, const std::string& title) {
    const std::string_view bytes =
        encoder_.encodeFrame(converter_.convert(frame), area_.column, area_.row, title);
    frameBytes_.push_back(static_cast<long long>(bytes.size()));
    lastBytes_.assign(bytes.data(), bytes.size());
}

RgbImage TruecolorPicture::render() const { return renderCells(cells()); }

std::string TruecolorPicture::ansiText() const { return CellEncoder::standaloneText(cells()); }
