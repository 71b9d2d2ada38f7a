#pragma once
// Records the character picture as an MP4 with the song as its sound track,
// by piping raw RGB frames into the ffmpeg program.
#include <sys/types.h>

#include <chrono>
#include <functional>
#include <optional>
#include <string>

#include "engine/output_file.h"
#include "tools/capture/image.h"

// The program as a shell would find it: a name with a slash as it stands,
// else the first executable in a PATH folder. Empty when there is none.
std::string findProgram(const std::string& program);
// Why findProgram finds nothing, in words: "PATH is a folder, not a
// program", "... is not executable", "... does not exist", or no such name
// in PATH. Empty when the program can be run.
std::string programProblem(const std::string& program);

// How long the encoder may take no frame before it is given up: far above
// any pause of a working encoder (the end of a long video included).
constexpr std::chrono::milliseconds kEncoderStallLimit{30000};

class VideoWriter {
public:
    // song: audio file to lay under the pictures, or empty for a silent
    // video; songOffsetMs: the song position of the first frame. ffmpeg
    // writes a temporary file of ours beside `file` (engine/output_file.h),
    // renamed to it by a successful finish and removed otherwise. A video
    // is written at its end to the front, so `file` must be a regular file
    // (or a link to one). While the encoder takes no frame or has not
    // ended, `stopRequested` is asked every few milliseconds: true ends the
    // wait and the encoder at once, as does a stall longer than `stallLimit`.
    VideoWriter(const std::string& ffmpeg, const std::string& file, int width, int height, int fps,
                const std::string& song, int songOffsetMs, std::function<bool()> stopRequested = {},
                std::chrono::milliseconds stallLimit = kEncoderStallLimit);
    ~VideoWriter();
    VideoWriter(const VideoWriter&) = delete;
    VideoWriter& operator=(const VideoWriter&) = delete;

    const std::string& error() const { return error_; }  // empty while all is well
    bool write(const RgbImage& frame);
    // Ends the stream and waits for ffmpeg; the video takes its name only
    // now, and only when all went well. Returns an error text or empty.
    // Destroying the writer without finish() discards the video.
    std::string finish();

private:
    bool waitForPipe(std::chrono::steady_clock::time_point lastProgress);
    int waitForEncoder(std::optional<std::chrono::milliseconds> limit);
    void killEncoder();
    std::string encoderEnding(int status) const;

    std::string file_;
    OutputFile output_;
    int width_;
    int height_;
    int pipe_ = -1;
    pid_t child_ = -1;
    int messages_ = -1;  // the encoder's error output, kept to quote it
    std::function<bool()> stopRequested_;
    std::chrono::milliseconds stallLimit_;
    std::string error_;
};
