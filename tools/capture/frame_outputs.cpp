#include "tools/capture/frame_outputs.h"

#include <algorithm>
#include <cstdio>

#include "engine/output_file.h"
#include "tools/capture/cell_image.h"
#include "tools/capture/character_picture.h"
#include "tools/capture/picture_figures.h"
#include "tools/capture/pixel_picture.h"
#include "tools/capture/png_writer.h"

namespace {

std::string frameFileName(const std::string& folder, const std::string& kind, int ms, const char* ext) {
    char name[32];
    std::snprintf(name, sizeof name, "-%06d.%s", ms, ext);
    return folder + "/" + kind + name;
}

// What the per-frame picture files of each display are called: after what
// the picture is made of, or the display where that is an image.
std::string pictureFileKind(const CaptureOptions& options) {
    const DisplayRow* row = options.displayRow();
    if (!row) return std::string(kPixelsDisplay);
    switch (row->readBack) {
        case PictureReadBack::Characters: return "chars";
        case PictureReadBack::Cells: return "cells";
        case PictureReadBack::KittyImage:
        case PictureReadBack::SixelImage: break;
    }
    return std::string(row->name);
}

// The pixels a picture shows without cells: the frame's own.
bool showsFramePixels(const CaptureOptions& options) {
    const DisplayRow* row = options.displayRow();
    return !row || row->readBack == PictureReadBack::KittyImage || row->readBack == PictureReadBack::SixelImage;
}

// Square character cells as large as fit the video: the default 640 x 400
// gives libcaca's 8 x 8.
int videoCharacterCell(const CaptureOptions& options) {
    return std::max(1, std::min(options.videoWidth / kCharColumns, options.videoHeight / kCharRows));
}

}  // namespace

FrameOutputs::FrameOutputs(const CaptureOptions& options, const CharacterPicture& picture,
                           std::unique_ptr<VideoWriter> video, int blockCount)
    : options_(options),
      pictureCells_(picture.makeGlyphCache(picture.fontWidth(), picture.fontHeight())),
      videoCells_(picture.makeGlyphCache(videoCharacterCell(options), videoCharacterCell(options))),
      sixelPalette_(paletteForRegisters(256)),
      video_(std::move(video)),
      stats_(blockCount) {
    if (!options.sheetFile.empty()) sheet_.emplace(options.sheetColumns, options.sheetPictureWidth);
}

bool FrameOutputs::needsFrameBuffer(bool onSheet) const {
    const bool pixelsFromFrame =
        !options_.displayRow() || (!options_.videoFile.empty() && showsFramePixels(options_));
    return options_.framePng || onSheet || !options_.statsFile.empty() || pixelsFromFrame;
}

RgbImage FrameOutputs::characters(const FrameJob& job) {
    StageTimer timer(times_, Stage::Drawing);
    if (job.fullPicture) return *job.fullPicture;
    return pictureCells_.draw(job.cells, kCharColumns, kCharRows);
}

RgbImage FrameOutputs::videoFrame(const FrameJob& job) {
    const int width = options_.videoWidth;
    const int height = options_.videoHeight;
    if (job.terminalCells) {
        // Cells of 1 : 2 as large as fit, drawn at that size: crisp edges.
        const CellPicture& cells = *job.terminalCells;
        const int cellWidth = std::max(1, std::min(width / cells.columns, height / (2 * cells.rows)));
        StageTimer timer(times_, Stage::Drawing);
        return letterbox(renderCells(cells, cellWidth, 2 * cellWidth), width, height);
    }
    if (showsFramePixels(options_)) {
        StageTimer timer(times_, Stage::Conversion);
        const DisplayRow* row = options_.displayRow();
        if (row && row->readBack == PictureReadBack::SixelImage)
            return crispPicture(paletteColors(job.frameBuffer.data(), sixelPalette_), width, height);
        return crispPicture(imageFromFrameBuffer(job.frameBuffer.data(), kFrameWidth, kFrameHeight), width, height);
    }
    if (job.fullPicture) {
        // The characters' grid at the video's cell size, as the cache draws it.
        StageTimer timer(times_, Stage::Conversion);
        const int cell = videoCharacterCell(options_);
        return letterbox(resizeArea(*job.fullPicture, kCharColumns * cell, kCharRows * cell), width, height);
    }
    StageTimer timer(times_, Stage::Drawing);
    return letterbox(videoCells_.draw(job.cells, kCharColumns, kCharRows), width, height);
}

// The picture beside the FrameBuffer, where it is not libcaca's cells: an
// error text when the bytes a frame sends cannot be read back.
std::string FrameOutputs::makePicture(FrameJob& job) {
    StageTimer timer(times_, Stage::Drawing);
    if (job.terminalCells) job.fullPicture = renderCells(*job.terminalCells, options_.cellWidth, options_.cellHeight);
    const DisplayRow* row = options_.displayRow();
    if (!row)
        job.fullPicture = crispPicture(imageFromFrameBuffer(job.frameBuffer.data(), kFrameWidth, kFrameHeight),
                                       kPixelsPictureWidth, kPixelsPictureHeight);
    if (row && showsFramePixels(options_) && !job.terminalBytes.empty()) {
        std::optional<RgbImage> picture = pictureFromBytes(row->readBack, job.terminalBytes, job.pictureArea,
                                                           {options_.cellWidth, options_.cellHeight});
        if (!picture) return "the picture of the frame at " + std::to_string(job.ms) + " ms cannot be read back";
        job.fullPicture = std::move(*picture);
    }
    return {};
}

// The picture figures from the cache's cell lights: the very doubles that
// measuring the drawn picture gives, without drawing it.
void FrameOutputs::measureCharacters(FrameJob& job) {
    const int cellPixels = pictureCells_.cellWidth() * pictureCells_.cellHeight();
    std::vector<double> cells(job.cells.size());
    std::uint64_t thousandths = 0;
    for (std::size_t i = 0; i < job.cells.size(); ++i) {
        const CellLight& light = pictureCells_.light(job.cells[i]);
        cells[i] = light.luminance / cellPixels;
        thousandths += light.luminanceThousandths;
    }
    const double pixels = static_cast<double>(cellPixels) * static_cast<double>(job.cells.size());
    job.measure.characterLuminance = static_cast<double>(thousandths) / 1000.0 / pixels;
    job.measure.structure = cellCorrelation(frameCellLuminance(job.frameBuffer.data()), cells);
}

std::string FrameOutputs::take(FrameJob& job) {
    if (const std::string error = makePicture(job); !error.empty()) return error;
    const bool onSheet = !job.sheetLabel.empty();
    RgbImage frame;
    if (options_.framePng || onSheet) {
        StageTimer timer(times_, Stage::Conversion);
        frame = imageFromFrameBuffer(job.frameBuffer.data(), kFrameWidth, kFrameHeight);
    }
    RgbImage picture;
    const bool statsFromPicture = !options_.statsFile.empty() && job.fullPicture;
    if (options_.charPng || onSheet || statsFromPicture) picture = characters(job);

    std::string error;
    {
        StageTimer timer(times_, Stage::Writing);
        if (options_.framePng)
            error = writePng(frameFileName(options_.outDir, "frame", job.ms, "png"), frame);
        // Each picture's files are named apart from libcaca's.
        const std::string kind = pictureFileKind(options_);
        if (error.empty() && options_.charPng)
            error = writePng(frameFileName(options_.outDir, kind, job.ms, "png"), picture);
        if (error.empty() && options_.ansiText)
            error = writeTextFile(frameFileName(options_.outDir, kind, job.ms, "ans"), job.ansi);
        if (error.empty() && options_.utf8Text)
            error = writeTextFile(frameFileName(options_.outDir, "chars", job.ms, "txt"), job.utf8);
        if (error.empty() && options_.terminalBytes)
            error = writeTextFile(frameFileName(options_.outDir, options_.display, job.ms, "bin"),
                                  job.terminalBytes);
    }
    if (!error.empty()) return error;

    if (onSheet) {
        StageTimer timer(times_, Stage::Conversion);
        sheet_->add(frame, picture, job.sheetLabel);
    }
    if (video_) {
        const RgbImage still = videoFrame(job);
        StageTimer timer(times_, Stage::Writing);
        if (!video_->write(still)) return "video: " + video_->error();
    }
    if (!options_.statsFile.empty()) measure(job, picture, statsFromPicture);
    return {};
}

void FrameOutputs::measure(FrameJob& job, const RgbImage& picture, bool fromPicture) {
    StageTimer timer(times_, Stage::Conversion);
    const std::uint32_t* frame = job.frameBuffer.data();
    job.measure.ms = job.ms;
    job.measure.frameLuminance = meanLuminance(frame, kFramePixels);
    if (fromPicture) {
        job.measure.characterLuminance = meanLuminance(picture);
        job.measure.structure = structureKept(frame, picture);
        job.measure.pictureError = pictureError(frame, picture);
    } else {
        measureCharacters(job);
    }
    // Flashes need the frames one after the other; listed positions are not.
    if (options_.atMs.empty()) job.measure.flashes = flashes_.add(job.ms, frame);
    stats_.add(job.block, job.measure);
}
