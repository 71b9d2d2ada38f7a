#include "tools/capture/terminal_picture.h"

#include <numeric>

#include "tools/capture/stats.h"

namespace {

// The replies of a terminal that knows synchronized update and leaves the
// rest unsaid: what every picture's terminal is taken to be.
TerminalReplies captureTerminal() {
    TerminalReplies replies;
    replies.synchronizedUpdate = true;
    return replies;
}

}  // namespace

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

TerminalPicture::TerminalPicture(const DisplayRow& row, CellShape cells, int terminalColumns,
                                 int terminalRows, PixelSize cell)
    : row_(row), console_(row.makeConsole({cells, row.defaultFps, captureTerminal()})) {
    const PixelSize window{terminalColumns * cell.width, terminalRows * cell.height};
    console_->fitWithoutTerminal({terminalColumns, terminalRows, window});
}

void TerminalPicture::draw(const PixelView& frame, const std::string& title) {
    const std::string_view bytes = console_->frameBytes(frame, title);
    bytes_.assign(bytes.data(), bytes.size());
    counts_.push_back(static_cast<long long>(bytes.size()));
}

PixelSize TerminalPicture::pictureSize(PixelSize cell) const {
    if (console_->picturePixels().known()) return console_->picturePixels();
    return {area().columns * cell.width, area().rows * cell.height};
}

std::string TerminalPicture::describe() const {
    const PixelSize pixels = console_->picturePixels();
    const CellArea cells = area();
    const std::string name(row_.name);
    if (pixels.known())
        return name + " " + std::to_string(pixels.width) + " x " + std::to_string(pixels.height) + " pixels";
    const std::string box = name + " " + std::to_string(cells.columns) + " x " + std::to_string(cells.rows) + " cells";
    return row_.readBack == PictureReadBack::KittyImage ? box + " (base64)" : box;
}
