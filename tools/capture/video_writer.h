#pragma once
// Records the character picture as an MP4 with the song as its sound track,
// by piping raw RGB frames into the ffmpeg program.
#include <sys/types.h>

#include <string>

#include "tools/capture/image.h"

// The program as a shell would find it: a name with a slash as it stands,
// else the first executable in a PATH folder. Empty when there is none.
std::string findProgram(const std::string& program);

class VideoWriter {
public:
    // song: audio file to lay under the pictures, or empty for a silent
    // video; songOffsetMs: the song position of the first frame.
    VideoWriter(const std::string& ffmpeg, const std::string& file, int width, int height, int fps,
                const std::string& song, int songOffsetMs);
    ~VideoWriter();
    VideoWriter(const VideoWriter&) = delete;
    VideoWriter& operator=(const VideoWriter&) = delete;

    const std::string& error() const { return error_; }  // empty while all is well
    bool write(const RgbImage& frame);
    // Ends the stream and waits for ffmpeg. Returns an error text or empty.
    std::string finish();

private:
    int width_;
    int height_;
    int pipe_ = -1;
    pid_t child_ = -1;
    std::string error_;
};
