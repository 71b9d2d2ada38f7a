#include "tools/capture/frame_outputs.h"

#include <cstdio>

#include "engine/output_file.h"
#include "tools/capture/cell_image.h"
#include "tools/capture/character_picture.h"
#include "tools/capture/picture_figures.h"
#include "tools/capture/png_writer.h"

namespace {

std::string frameFileName(const std::string& folder, const char* kind, int ms, const char* ext) {
    char name[64];
    std::snprintf(name, sizeof name, "/%s-%06d.%s", kind, ms, ext);
    return folder + name;
}

}  // namespace

FrameOutputs::FrameOutputs(const CaptureOptions& options, const CharacterPicture& picture,
                           std::unique_ptr<VideoWriter> video, int blockCount)
    : options_(options),
      pictureCells_(picture.makeGlyphCache(picture.fontWidth(), picture.fontHeight())),
      videoCells_(picture.makeGlyphCache(kVideoWidth / kCharColumns, kVideoHeight / kCharRows)),
      video_(std::move(video)),
      stats_(blockCount) {
    if (!options.sheetFile.empty()) sheet_.emplace(options.sheetColumns, options.sheetPictureWidth);
}

bool FrameOutputs::needsFrameBuffer(bool onSheet) const {
    return options_.framePng || onSheet || !options_.statsFile.empty();
}

RgbImage FrameOutputs::characters(const FrameJob& job) {
    StageTimer timer(times_, Stage::Drawing);
    if (job.fullPicture) return *job.fullPicture;
    return pictureCells_.draw(job.cells, kCharColumns, kCharRows);
}

RgbImage FrameOutputs::videoFrame(const FrameJob& job) {
    if (job.fullPicture) {
        StageTimer timer(times_, Stage::Conversion);
        return resizeArea(*job.fullPicture, kVideoWidth, kVideoHeight);
    }
    StageTimer timer(times_, Stage::Drawing);
    return videoCells_.draw(job.cells, kCharColumns, kCharRows);
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
    if (job.truecolorCells) {
        StageTimer timer(times_, Stage::Drawing);
        job.fullPicture = renderCells(*job.truecolorCells);
    }
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
        // The truecolor picture's files are named apart from libcaca's.
        const char* kind = options_.truecolor ? "cells" : "chars";
        if (error.empty() && options_.charPng)
            error = writePng(frameFileName(options_.outDir, kind, job.ms, "png"), picture);
        if (error.empty() && options_.ansiText)
            error = writeTextFile(frameFileName(options_.outDir, kind, job.ms, "ans"), job.ansi);
        if (error.empty() && options_.utf8Text)
            error = writeTextFile(frameFileName(options_.outDir, "chars", job.ms, "txt"), job.utf8);
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
    if (!options_.statsFile.empty()) {
        StageTimer timer(times_, Stage::Conversion);
        job.measure.frameLuminance = meanLuminance(job.frameBuffer.data(), kFramePixels);
        if (statsFromPicture) {
            job.measure.characterLuminance = meanLuminance(picture);
            job.measure.structure = structureKept(job.frameBuffer.data(), picture);
        } else {
            measureCharacters(job);
        }
        stats_.add(job.block, job.measure);
    }
    return {};
}
