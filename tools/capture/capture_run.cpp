#include "tools/capture/capture_run.h"

#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <memory>
#include <optional>
#include <set>

#include "engine/absolute_path.h"
#include "engine/output_file.h"
#include "engine/system_names.h"
#include "platform/cell_encoder.h"
#include "platform/signal_guard.h"
#include "tools/capture/blocks.h"
#include "tools/capture/character_picture.h"
#include "tools/capture/contact_sheet.h"
#include "tools/capture/frame_outputs.h"
#include "tools/capture/frame_pipeline.h"
#include "tools/capture/output_check.h"
#include "tools/capture/picture_figures.h"
#include "tools/capture/png_writer.h"
#include "tools/capture/progress_bar.h"
#include "tools/capture/show_session.h"
#include "tools/capture/stage_times.h"
#include "tools/capture/stats.h"
#include "tools/capture/stats_report.h"
#include "tools/capture/terminal_picture.h"
#include "tools/capture/thread_clock.h"
#include "tools/capture/video_writer.h"
#include "tools/capture/workload_check.h"
#include "tools/capture/written_summary.h"

namespace {

// Frames made but not yet written: enough to even out a slow frame on
// either side, few enough to cost little memory.
constexpr std::size_t kFramesInFlight = 4;
const char* const kSongFile = "resources/kelmuth.ogg";

int fail(int status, const std::string& message) {
    std::fprintf(stderr, "vesper-capture: %s\n", message.c_str());
    return status;
}

// As a shell reports a program its signal ended: 130 for Ctrl+C, 143 for
// SIGTERM.
int interruptedStatus() { return 128 + arrivedQuitSignal(); }

std::string describePositions(const CaptureOptions& o) {
    if (!o.atMs.empty()) return std::to_string(o.atMs.size()) + " listed positions";
    return std::to_string(o.startMs) + "-" + std::to_string(o.endMs) + " ms at " +
           std::to_string(o.fps) + " fps";
}

// Frames drawn but not kept before a listed position, so effects that fade
// or accumulate reach it as they would in a running show.
std::vector<int> warmupPositions(int target, int warmupMs, int fps) {
    std::vector<int> positions;
    const long long first = std::max(0LL, static_cast<long long>(target) - warmupMs);
    for (long long i = 0;; ++i) {
        const long long ms = first + i * 1000 / fps;
        if (ms >= target) break;
        positions.push_back(static_cast<int>(ms));
    }
    return positions;
}

class CaptureRun {
public:
    CaptureRun(const CaptureOptions& options, EffectRegistrar registrar)
        : options_(options), registrar_(registrar) {}

    int run() {
        ShowLoading loading;
        loading.registerEffects = registrar_;
        // Ctrl+C while the pictures and meshes load stops there too.
        loading.quitRequested = quitSignalArrived;
        // Quiet means nothing on the terminal but failures: not even the
        // engine's messages (which the show itself keeps).
        loading.logging = !options_.quiet;
        session_.emplace(loading);
        if (!session_->loaded()) return fail(interruptedStatus(), "interrupted while loading; nothing was written");
        rows_ = session_->timeline();
        blocks_ = findBlocks(rows_);
        if (options_.terminalPicture())
            terminal_.emplace(*options_.displayRow(), options_.cells, options_.terminalColumns,
                              options_.terminalRows, PixelSize{options_.cellWidth, options_.cellHeight});
        positions_ = framePositions(options_);
        chooseSheetFrames();
        std::unique_ptr<VideoWriter> video;
        if (!options_.videoFile.empty() && !(video = startVideo())) return 1;
        outputs_.emplace(options_, picture_, std::move(video), static_cast<int>(blocks_.size()));

        const auto begin = std::chrono::steady_clock::now();
        const int status = renderAll();
        if (options_.verbose) {
            outputs_->times().addAll(times_);
            std::fprintf(stderr, "vesper-capture: %s\n",
                         outputs_->times().summary(static_cast<long>(positions_.size())).c_str());
        }
        if (status == 0) reportWritten(std::chrono::steady_clock::now() - begin);
        return status;
    }

private:
    int renderAll() {
        FramePipeline pipeline(*outputs_, !options_.singleThread, kFramesInFlight);
        ProgressBar bar(stderr, static_cast<long>(positions_.size()), !options_.quiet);
        for (std::size_t i = 0; i < positions_.size(); ++i) {
            if (quitSignalArrived()) return interrupted(pipeline, bar);
            for (int ms : warmupPositions(positions_[i], options_.warmupMs, options_.fps)) {
                StageTimer timer(times_, Stage::ShowFrame);
                session_->renderFrame(ms);
            }
            if (!hasOutputs(i)) {
                // A contact sheet's frames between its cells: the effects must
                // still run (they carry state), the characters need not.
                StageTimer timer(times_, Stage::ShowFrame);
                session_->renderFrame(positions_[i]);
            } else if (!pipeline.submit(renderFrame(i))) {
                // An encoder that takes no frames gives way to a Ctrl+C.
                if (quitSignalArrived()) return interrupted(pipeline, bar);
                pipeline.abandon();
                bar.finish();
                return fail(1, pipeline.error());
            }
            bar.update(static_cast<long>(i + 1), positions_[i]);
        }
        const std::string error = pipeline.finish();
        if (quitSignalArrived()) return interrupted(pipeline, bar);
        bar.finish();
        if (!error.empty()) return fail(1, error);
        return finishOutputs();
    }

    // What is unfinished is dropped; the encoder is ended with the video
    // writer, its temporary file removed.
    int interrupted(FramePipeline& pipeline, ProgressBar& bar) {
        pipeline.abandon();
        bar.finish();
        return fail(interruptedStatus(), "interrupted; " + std::string(dropped()));
    }

    bool hasOutputs(std::size_t index) const {
        return options_.writesPerFrameFiles() || !options_.videoFile.empty() ||
               !options_.statsFile.empty() || sheetFrames_.count(index) > 0;
    }

    const char* dropped() const {
        return options_.writesPerFrameFiles() ? "the frames written so far are kept, nothing else"
                                              : "nothing was written";
    }

    void chooseSheetFrames() {
        if (options_.sheetFile.empty()) return;
        if (!options_.atMs.empty()) {
            for (std::size_t i = 0; i < positions_.size(); ++i) sheetFrames_.insert(i);
            return;
        }
        for (std::size_t i : selectSheetFrames(positions_, options_.sheetEveryMs))
            sheetFrames_.insert(i);
    }

    std::unique_ptr<VideoWriter> startVideo() {
        std::string song;
        if (access(kSongFile, R_OK) == 0)
            song = options_.showDir + "/" + kSongFile;
        else
            std::fprintf(stderr, "vesper-capture: no %s in %s; the video will be silent\n",
                         kSongFile, options_.showDir.c_str());
        auto video = std::make_unique<VideoWriter>(options_.ffmpegProgram,
                                                   options_.videoFile, options_.videoWidth, options_.videoHeight,
                                                   options_.fps, song, options_.startMs, quitSignalArrived);
        if (!video->error().empty()) {
            fail(1, video->error());
            return nullptr;
        }
        return video;
    }

    // The show's frame and its characters, on this thread: both carry state
    // from frame to frame. What follows from them is the pipeline's.
    FrameJob renderFrame(std::size_t index) {
        FrameJob job;
        job.ms = positions_[index];
        job.block = blockIndexAt(blocks_, job.ms);
        const bool onSheet = sheetFrames_.count(index) > 0;
        if (onSheet) job.sheetLabel = positionLabel(job.ms, sceneLabel(job.ms));
        {
            StageTimer timer(times_, Stage::ShowFrame);
            job.measure.effectsMicros = session_->renderFrame(job.ms);
        }
        const double ditherCpuStart = threadMicros();
        {
            StageTimer timer(times_, Stage::Dither);
            drawPicture(job.ms);
        }
        job.measure.ditherMicros = threadMicros() - ditherCpuStart;
        job.measure.energy = session_->energy();

        StageTimer timer(times_, Stage::Conversion);
        if (terminal_) job.measure.terminalBytes = terminal_->frameByteCounts().back();
        if (terminal_ && terminal_->cells()) {
            if (needsPicture(onSheet)) job.terminalCells = *terminal_->cells();
            if (options_.terminalBytes) job.terminalBytes = terminal_->frameBytes();
        } else if (terminal_) {
            if (needsPicture(onSheet) || options_.terminalBytes) job.terminalBytes = terminal_->frameBytes();
            job.pictureArea = terminal_->area();
        } else if (!options_.characters()) {
            // The pixels picture: drawn from the frame on the output side.
        } else {
            job.cells = picture_.cells();
            if (!drawableCellByCell(job.cells)) job.fullPicture = picture_.render();
        }
        if (outputs_->needsFrameBuffer(onSheet))
            job.frameBuffer.assign(session_->frameBuffer(),
                                   session_->frameBuffer() + kFramePixels);
        if (options_.ansiText) job.ansi = ansiText();
        if (options_.utf8Text) job.utf8 = picture_.exportText("utf8");
        return job;
    }

    // The picture beside the FrameBuffer: libcaca's, or what another
    // display would send (the pixels picture is drawn from the frame).
    void drawPicture(int ms) {
        char title[32];
        std::snprintf(title, sizeof title, "time = %d", ms);
        if (terminal_) terminal_->draw(frameBufferView(), title);
        else if (options_.characters()) picture_.draw(session_->frameBuffer());
    }
    std::string ansiText() const {
        if (terminal_ && terminal_->cells()) return CellEncoder::standaloneText(*terminal_->cells());
        return picture_.exportText("ansi");
    }
    bool needsPicture(bool onSheet) const {
        return options_.charPng || onSheet || !options_.videoFile.empty() || !options_.statsFile.empty();
    }

    // What the frames would have sent the terminal, one after the other at
    // the capture's frame rate.
    std::string terminalBytesLine() const {
        const FrameBytes bytes = summarizeFrameBytes(terminal_->frameByteCounts());
        char line[192];
        std::snprintf(line, sizeof line,
                      " in a %d x %d terminal: bytes per frame median %lld, p99 %lld, mean %.0f over %lld frames\n",
                      options_.terminalColumns, options_.terminalRows, bytes.median, bytes.p99, bytes.mean,
                      bytes.frames);
        return terminal_->describe() + line;
    }

    // Where the picture changes scene: every block's start but the first.
    std::vector<unsigned long> sceneChanges() const {
        std::vector<unsigned long> changes;
        for (std::size_t i = 1; i < blocks_.size(); ++i) changes.push_back(blocks_[i].start);
        return changes;
    }

    std::string sceneLabel(int ms) const {
        const int block = blockIndexAt(blocks_, ms);
        return block < 0 ? std::string() : rows_[blocks_[block].scene].label;
    }

    int finishOutputs() {
        int status = 0;
        if (outputs_->sheet()) {
            StageTimer timer(times_, Stage::Writing);
            const std::string error = writePng(options_.sheetFile, outputs_->sheet()->compose());
            if (!error.empty()) status = fail(1, error);
            else written_.push_back(options_.sheetFile);
        }
        if (outputs_->video()) {
            StageTimer timer(times_, Stage::EncoderEnd);
            const std::string error = outputs_->video()->finish();
            if (quitSignalArrived()) return fail(interruptedStatus(), "interrupted; the video was not kept");
            if (!error.empty()) status = fail(1, "video: " + error);
            else written_.push_back(options_.videoFile);
        }
        if (!options_.statsFile.empty()) {
            StatsReport report{rows_, blocks_, outputs_->stats().summarize(),
                               static_cast<int>(positions_.size()), describePositions(options_),
                               measureSongFigures(kSongFile, sceneChanges())};
            const bool json = options_.statsFile.ends_with(".json");
            const std::string error =
                writeTextFile(options_.statsFile, json ? statsJson(report) : statsCsv(report));
            if (!error.empty()) status = fail(1, error);
            else written_.push_back(options_.statsFile);
            std::fputs(statsTable(report).c_str(), stdout);
            if (terminal_) std::fputs(terminalBytesLine().c_str(), stdout);
        }
        return status;
    }

    void reportWritten(std::chrono::steady_clock::duration took) const {
        if (options_.quiet) return;
        std::string files;
        for (const std::string& path : written_)
            files += (files.empty() ? "" : ", ") + describeFile(path);
        if (options_.writesPerFrameFiles())
            files += (files.empty() ? "" : ", ") + std::to_string(positions_.size()) +
                     " frames of files in " + absolutePath(options_.outDir);
        std::fprintf(stderr, "vesper-capture: wrote %s in %s\n", files.c_str(),
                     describeDuration(took).c_str());
    }

    CaptureOptions options_;
    EffectRegistrar registrar_;
    std::optional<ShowSession> session_;
    CharacterPicture picture_;
    std::optional<TerminalPicture> terminal_;
    std::vector<TimelineRow> rows_;
    std::vector<ScheduleBlock> blocks_;
    std::vector<int> positions_;
    std::set<std::size_t> sheetFrames_;
    std::optional<FrameOutputs> outputs_;
    std::vector<std::string> written_;
    StageTimes times_;
};

}  // namespace

int runCapture(CaptureOptions options, EffectRegistrar registrar) {
    // A file-size limit must fail a write with its reason, not end the tool.
    ignoreFileSizeLimit();
    if (const std::string error = checkWorkload(options); !error.empty()) return fail(2, error);
    const std::string error = prepareOutputs(options);
    if (!error.empty()) return fail(2, error);
    if (!options.videoFile.empty()) {
        const std::string problem = programProblem(options.ffmpegProgram);
        if (!problem.empty())
            return fail(2, "cannot record video: " + problem +
                               ". Install ffmpeg (Debian package ffmpeg) or name it with "
                               "--ffmpeg PATH.");
        // Found now: a relative name would not be found from the show folder.
        options.ffmpegProgram = absolutePath(findProgram(options.ffmpegProgram));
    }
    if (std::string reason; !enterFolder(options.showDir, reason))
        return fail(2, "cannot enter the show folder " + options.showDir);
    CaptureRun run(options, registrar);
    return run.run();
}
