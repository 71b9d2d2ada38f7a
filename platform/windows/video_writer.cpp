// The Windows side of tools/capture/video_writer.h, for now: the Windows
// capture tool does not start ffmpeg (the Linux one forks and execs it with
// pipes), so --video is refused before the first frame with the reason;
// pictures, text, sheets and statistics are written as on Linux.
#include "tools/capture/video_writer.h"

namespace {

const char* const kNoVideo = "the Windows build of vesper-capture does not record video yet";

}  // namespace

std::string programProblem(const std::string&) { return kNoVideo; }

std::string findProgram(const std::string&) { return {}; }

VideoWriter::VideoWriter(const std::string&, const std::string& file, int width, int height, int, const std::string&,
                         int, std::function<bool()> stopRequested, std::chrono::milliseconds stallLimit)
    : file_(file), width_(width), height_(height), stopRequested_(std::move(stopRequested)), stallLimit_(stallLimit),
      error_(kNoVideo) {}

VideoWriter::~VideoWriter() = default;

bool VideoWriter::write(const RgbImage&) { return false; }

std::string VideoWriter::finish() { return error_; }
