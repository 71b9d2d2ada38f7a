#pragma once
// The outputs of a capture run that take a finished frame: per-frame files,
// the contact sheet, the video and the statistics. They need nothing of the
// show but what a FrameJob carries, so they can run on a thread of their
// own beside the next frame.
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "engine/frame.h"
#include "platform/sixel_encoder.h"
#include "render/cell_fit.h"
#include "render/cell_picture.h"
#include "tools/capture/contact_sheet.h"
#include "tools/capture/flash_meter.h"
#include "tools/capture/glyph_cache.h"
#include "tools/capture/image.h"
#include "tools/capture/options.h"
#include "tools/capture/stage_times.h"
#include "tools/capture/stats.h"
#include "tools/capture/video_writer.h"

class CharacterPicture;

// The default video shows the characters as an 80 x 50 console of 8 x 8
// cells would.
constexpr int kVideoWidth = 640;
constexpr int kVideoHeight = 400;
// The crisp pixels picture's size: the frame twice over.
constexpr int kPixelsPictureWidth = 640;
constexpr int kPixelsPictureHeight = 400;

// One rendered frame, as the show and the dither left it.
struct FrameJob {
    int ms = 0;
    int block = -1;          // schedule block, for the statistics
    std::string sheetLabel;  // empty: not on the contact sheet
    FrameMeasure measure;    // costs and loudness; the picture figures follow
    std::vector<CharacterCell> cells;
    // Drawn by the full renderer when the cells cannot be drawn one by one.
    std::optional<RgbImage> fullPicture;
    // A picture of cells on the raw terminal: its cells, drawn into
    // fullPicture on the output side.
    std::optional<CellPicture> terminalCells;
    // What the frame sends the raw terminal, where it is saved or the
    // picture is made back from it; and the picture's box of cells.
    std::string terminalBytes;
    CellArea pictureArea;
    std::vector<std::uint32_t> frameBuffer;  // only when an output needs it
    std::string ansi;                        // only when asked for
    std::string utf8;
};

class FrameOutputs {
public:
    // `video` may be null. The caches are made from `picture`'s font.
    FrameOutputs(const CaptureOptions& options, const CharacterPicture& picture,
                 std::unique_ptr<VideoWriter> video, int blockCount);

    bool needsFrameBuffer(bool onSheet) const;
    // Writes what this frame contributes; an error text or empty.
    std::string take(FrameJob& job);
    // The summaries that need every frame; the video is committed here.
    std::optional<ContactSheet>& sheet() { return sheet_; }
    std::unique_ptr<VideoWriter>& video() { return video_; }
    StatsCollector& stats() { return stats_; }
    StageTimes& times() { return times_; }

private:
    RgbImage characters(const FrameJob& job);
    RgbImage videoFrame(const FrameJob& job);
    std::string makePicture(FrameJob& job);
    void measureCharacters(FrameJob& job);
    void measure(FrameJob& job, const RgbImage& picture, bool fromPicture);

    const CaptureOptions& options_;
    GlyphCache pictureCells_;
    GlyphCache videoCells_;
    SixelPalette sixelPalette_;
    std::optional<ContactSheet> sheet_;
    std::unique_ptr<VideoWriter> video_;
    StatsCollector stats_;
    FlashMeter flashes_;
    StageTimes times_;
};
