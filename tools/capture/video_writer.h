#pragma once
// Records the character picture as an MP4 with the song as its sound track,
// by piping raw RGB frames into the ffmpeg program.
#include <sys/types.h>

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

class VideoWriter {
public:
    // song: audio file to lay under the pictures, or empty for a silent
    // video; songOffsetMs: the song position of the first frame. ffmpeg
    // writes a temporary file of ours beside `file` (engine/output_file.h),
    // renamed to it by a successful finish and removed otherwise. A video
    // is written at its end to the front, so `file` must be a regular file
    // (or a link to one).
    VideoWriter(const std::string& ffmpeg, const std::string& file, int width, int height, int fps,
                const std::string& song, int songOffsetMs);
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
    std::string file_;
    OutputFile output_;
    int width_;
    int height_;
    int pipe_ = -1;
    pid_t child_ = -1;
    std::string error_;
};
