#include "tools/capture/capture_run.h"

#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <csignal>
#include <cstdio>
#include <cstring>
#include <memory>
#include <optional>
#include <set>

#include "tools/capture/blocks.h"
#include "tools/capture/character_picture.h"
#include "tools/capture/contact_sheet.h"
#include "tools/capture/output_check.h"
#include "tools/capture/output_file.h"
#include "tools/capture/picture_figures.h"
#include "tools/capture/png_writer.h"
#include "tools/capture/progress_bar.h"
#include "tools/capture/show_session.h"
#include "tools/capture/stage_times.h"
#include "tools/capture/stats.h"
#include "tools/capture/stats_report.h"
#include "tools/capture/video_writer.h"
#include "tools/capture/workload_check.h"

namespace {

// The video shows the characters as an 80 x 50 console of 8 x 8 cells would.
constexpr int kVideoWidth = 640;
constexpr int kVideoHeight = 400;
const char* const kSongFile = "resources/kelmuth.ogg";

int fail(int status, const std::string& message) {
    std::fprintf(stderr, "vesper-capture: %s\n", message.c_str());
    return status;
}

std::string frameFileName(const std::string& folder, const char* kind, int ms, const char* ext) {
    char name[64];
    std::snprintf(name, sizeof name, "/%s-%06d.%s", kind, ms, ext);
    return folder + name;
}

std::string writeText(const std::string& path, const std::string& text) {
    return writeThroughTemporary(path, [&](std::FILE* file) -> std::string {
        if (std::fwrite(text.data(), 1, text.size(), file) == text.size()) return {};
        return std::strerror(errno);
    });
}

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
        session_.emplace(registrar_);
        rows_ = session_->timeline();
        blocks_ = findBlocks(rows_);
        stats_.emplace(static_cast<int>(blocks_.size()));
        positions_ = framePositions(options_);
        chooseSheetFrames();
        if (!options_.sheetFile.empty())
            sheet_.emplace(options_.sheetColumns, options_.sheetPictureWidth);
        if (!options_.videoFile.empty() && !startVideo()) return 1;

        ProgressBar bar(stderr, static_cast<long>(positions_.size()), !options_.quiet);
        for (std::size_t i = 0; i < positions_.size(); ++i) {
            for (int ms : warmupPositions(positions_[i], options_.warmupMs, options_.fps)) {
                StageTimer timer(times_, Stage::ShowFrame);
                session_->renderFrame(ms);
            }
            const std::string error = captureFrame(i);
            if (!error.empty()) {
                bar.finish();
                return fail(1, error);
            }
            bar.update(static_cast<long>(i + 1), positions_[i]);
        }
        bar.finish();
        const int status = finishOutputs();
        if (options_.verbose)
            std::fprintf(stderr, "vesper-capture: %s\n",
                         times_.summary(static_cast<long>(positions_.size())).c_str());
        return status;
    }

private:
    void chooseSheetFrames() {
        if (options_.sheetFile.empty()) return;
        if (!options_.atMs.empty()) {
            for (std::size_t i = 0; i < positions_.size(); ++i) sheetFrames_.insert(i);
            return;
        }
        for (std::size_t i : selectSheetFrames(positions_, options_.sheetEveryMs))
            sheetFrames_.insert(i);
    }

    bool startVideo() {
        std::string song;
        if (access(kSongFile, R_OK) == 0)
            song = options_.showDir + "/" + kSongFile;
        else
            std::fprintf(stderr, "vesper-capture: no %s in %s; the video will be silent\n",
                         kSongFile, options_.showDir.c_str());
        video_ = std::make_unique<VideoWriter>(findProgram(options_.ffmpegProgram),
                                               options_.videoFile, kVideoWidth, kVideoHeight,
                                               options_.fps, song, options_.startMs);
        if (!video_->error().empty()) {
            fail(1, video_->error());
            return false;
        }
        return true;
    }

    bool needsRenderedCharacters(bool onSheet) const {
        return options_.charPng || onSheet || video_ || !options_.statsFile.empty();
    }

    std::string captureFrame(std::size_t index) {
        const int ms = positions_[index];
        const bool onSheet = sheetFrames_.count(index) > 0;
        FrameMeasure measure;
        {
            StageTimer timer(times_, Stage::ShowFrame);
            measure.effectsMicros = session_->renderFrame(ms);
        }
        const auto ditherStart = std::chrono::steady_clock::now();
        picture_.draw(session_->frameBuffer());
        const auto ditherEnd = std::chrono::steady_clock::now();
        times_.add(Stage::Dither, ditherEnd - ditherStart);
        measure.ditherMicros =
            std::chrono::duration<double, std::micro>(ditherEnd - ditherStart).count();

        RgbImage frame;
        if (options_.framePng || onSheet) {
            StageTimer timer(times_, Stage::Conversion);
            frame = imageFromFrameBuffer(session_->frameBuffer(), 320, 200);
        }
        RgbImage characters;
        if (needsRenderedCharacters(onSheet)) {
            StageTimer timer(times_, Stage::Drawing);
            characters = picture_.render();
        }

        std::string error;
        {
            StageTimer timer(times_, Stage::Writing);
            if (options_.framePng)
                error = writePng(frameFileName(options_.outDir, "frame", ms, "png"), frame);
            if (error.empty() && options_.charPng)
                error = writePng(frameFileName(options_.outDir, "chars", ms, "png"), characters);
            if (error.empty() && options_.ansiText)
                error = writeText(frameFileName(options_.outDir, "chars", ms, "ans"),
                                  picture_.exportText("ansi"));
            if (error.empty() && options_.utf8Text)
                error = writeText(frameFileName(options_.outDir, "chars", ms, "txt"),
                                  picture_.exportText("utf8"));
        }
        if (!error.empty()) return error;

        if (onSheet) {
            StageTimer timer(times_, Stage::Conversion);
            sheet_->add(frame, characters, positionLabel(ms, sceneLabel(ms)));
        }
        if (video_) {
            RgbImage videoFrame;
            {
                StageTimer timer(times_, Stage::Conversion);
                videoFrame = resizeArea(characters, kVideoWidth, kVideoHeight);
            }
            StageTimer timer(times_, Stage::Writing);
            if (!video_->write(videoFrame)) return "video: " + video_->error();
        }
        if (!options_.statsFile.empty()) {
            StageTimer timer(times_, Stage::Conversion);
            measure.frameLuminance = meanLuminance(session_->frameBuffer(), 320 * 200);
            measure.characterLuminance = meanLuminance(characters);
            measure.energy = session_->energy();
            measure.structure = structureKept(session_->frameBuffer(), characters);
            stats_->add(blockIndexAt(blocks_, ms), measure);
        }
        return {};
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
        if (sheet_) {
            const std::string error = writePng(options_.sheetFile, sheet_->compose());
            if (!error.empty()) status = fail(1, error);
        }
        if (video_) {
            StageTimer timer(times_, Stage::EncoderEnd);
            const std::string error = video_->finish();
            if (!error.empty()) status = fail(1, "video: " + error);
        }
        if (!options_.statsFile.empty()) {
            StatsReport report{rows_, blocks_, stats_->summarize(),
                               static_cast<int>(positions_.size()), describePositions(options_),
                               measureSongFigures(kSongFile, sceneChanges())};
            const bool json = options_.statsFile.ends_with(".json");
            const std::string error =
                writeText(options_.statsFile, json ? statsJson(report) : statsCsv(report));
            if (!error.empty()) status = fail(1, error);
            std::fputs(statsTable(report).c_str(), stdout);
        }
        return status;
    }

    CaptureOptions options_;
    EffectRegistrar registrar_;
    std::optional<ShowSession> session_;
    CharacterPicture picture_;
    std::vector<TimelineRow> rows_;
    std::vector<ScheduleBlock> blocks_;
    std::vector<int> positions_;
    std::set<std::size_t> sheetFrames_;
    std::optional<ContactSheet> sheet_;
    std::unique_ptr<VideoWriter> video_;
    std::optional<StatsCollector> stats_;
    StageTimes times_;
};

}  // namespace

int runCapture(CaptureOptions options, EffectRegistrar registrar) {
    // A file-size limit must fail a write with its reason, not end the tool.
    std::signal(SIGXFSZ, SIG_IGN);
    if (const std::string error = checkWorkload(options); !error.empty()) return fail(2, error);
    const std::string error = prepareOutputs(options);
    if (!error.empty()) return fail(2, error);
    if (!options.videoFile.empty()) {
        const std::string problem = programProblem(options.ffmpegProgram);
        if (!problem.empty())
            return fail(2, "cannot record video: " + problem +
                               ". Install ffmpeg (Debian package ffmpeg) or name it with "
                               "--ffmpeg PATH.");
    }
    if (chdir(options.showDir.c_str()) != 0)
        return fail(2, "cannot enter the show folder " + options.showDir);
    CaptureRun run(options, registrar);
    return run.run();
}
