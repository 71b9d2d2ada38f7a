#include "tools/capture/video_writer.h"

#include <spawn.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <csignal>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "engine/output_file.h"

extern char** environ;

namespace {

bool isExecutableFile(const std::string& path) {
    struct stat info;
    return stat(path.c_str(), &info) == 0 && S_ISREG(info.st_mode) &&
           access(path.c_str(), X_OK) == 0;
}

// Encoder settings for character art, chosen by size and time over three
// 6 s stretches of the show (notes of the speed work): veryfast keeps the
// encoder under 7 ms a frame, so it keeps pace with the show on the second
// core; stillimage keeps the glyph edges for fewer bits than the default;
// CRF 32 brings the whole show at 60 fps under 100 MB (30 made 122 MB).
constexpr const char* kPreset = "veryfast";
constexpr const char* kTune = "stillimage";
constexpr const char* kQuality = "32";
// x264's bytes depend on its thread count: fixed, so every machine makes
// the same file with the same encoder version.
constexpr const char* kEncoderThreads = "3";

std::vector<std::string> ffmpegArguments(const std::string& ffmpeg, const std::string& file,
                                         int width, int height, int fps, const std::string& song,
                                         int songOffsetMs) {
    std::vector<std::string> args = {
        ffmpeg,      "-hide_banner",
        "-loglevel", "error",
        "-nostdin",  "-y",
        "-f",        "rawvideo",
        "-pix_fmt",  "rgb24",
        "-s",        std::to_string(width) + "x" + std::to_string(height),
        "-r",        std::to_string(fps),
        "-i",        "pipe:0"};
    if (!song.empty()) {
        char offset[32];
        std::snprintf(offset, sizeof offset, "%d.%03d", songOffsetMs / 1000, songOffsetMs % 1000);
        args.insert(args.end(), {"-ss", offset, "-i", song, "-map", "0:v", "-map", "1:a", "-c:a",
                                 "aac", "-b:a", "128k", "-flags:a", "+bitexact", "-shortest"});
    }
    args.insert(args.end(), {"-c:v", "libx264", "-preset", kPreset, "-tune", kTune, "-crf",
                             kQuality, "-threads", kEncoderThreads, "-pix_fmt", "yuv420p",
                             "-flags:v", "+bitexact", "-fflags", "+bitexact", "-movflags",
                             "+faststart", file});
    return args;
}

std::string fileProblem(const std::string& path) {
    struct stat info;
    if (stat(path.c_str(), &info) != 0) return path + ": " + std::strerror(errno);
    if (S_ISDIR(info.st_mode)) return path + " is a folder, not a program";
    if (!S_ISREG(info.st_mode)) return path + " is not a regular file";
    if (access(path.c_str(), X_OK) != 0)
        return path + " is not executable (" + std::strerror(errno) + ")";
    return {};
}

}  // namespace

std::string programProblem(const std::string& program) {
    if (program.find('/') != std::string::npos) return fileProblem(program);
    if (!findProgram(program).empty()) return {};
    return "the program \"" + program + "\" was not found in PATH";
}

std::string findProgram(const std::string& program) {
    if (program.empty()) return {};
    if (program.find('/') != std::string::npos) return isExecutableFile(program) ? program : "";
    const char* path = std::getenv("PATH");
    std::string folders = path ? path : "/usr/bin:/bin";
    std::size_t begin = 0;
    while (begin <= folders.size()) {
        std::size_t colon = folders.find(':', begin);
        if (colon == std::string::npos) colon = folders.size();
        std::string candidate = colon > begin ? folders.substr(begin, colon - begin) : ".";
        candidate.append("/").append(program);
        if (isExecutableFile(candidate)) return candidate;
        begin = colon + 1;
    }
    return {};
}

VideoWriter::VideoWriter(const std::string& ffmpeg, const std::string& file, int width, int height,
                         int fps, const std::string& song, int songOffsetMs)
    : file_(file), width_(width), height_(height) {
    std::string reason;
    // Its index goes to the front at the end, so the file must be seekable.
    if (!output_.open(file, NotRegular::FollowLink, reason)) {
        error_ = "cannot write " + file + ": " + reason;
        return;
    }
    int fds[2];
    if (pipe(fds) != 0) {
        error_ = std::string("cannot make a pipe for ffmpeg: ") + std::strerror(errno);
        return;
    }
    const std::vector<std::string> args =
        ffmpegArguments(ffmpeg, output_.writtenName(), width, height, fps, song, songOffsetMs);
    std::vector<char*> argv;
    for (const std::string& arg : args) argv.push_back(const_cast<char*>(arg.c_str()));
    argv.push_back(nullptr);

    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, fds[0], STDIN_FILENO);
    posix_spawn_file_actions_addclose(&actions, fds[1]);
    // A group of its own: Ctrl+C at the terminal reaches only us, and we
    // decide whether the encoder finishes or is stopped.
    posix_spawnattr_t attributes;
    posix_spawnattr_init(&attributes);
    posix_spawnattr_setflags(&attributes, POSIX_SPAWN_SETPGROUP);
    posix_spawnattr_setpgroup(&attributes, 0);
    const int failed =
        posix_spawn(&child_, ffmpeg.c_str(), &actions, &attributes, argv.data(), environ);
    posix_spawnattr_destroy(&attributes);
    posix_spawn_file_actions_destroy(&actions);
    close(fds[0]);
    if (failed != 0) {
        close(fds[1]);
        child_ = -1;
        error_ = "cannot start " + ffmpeg + ": " + std::strerror(failed);
        return;
    }
    pipe_ = fds[1];
}

// A run that stops before finish() made no whole video: nothing is kept,
// and the encoder need not finish a file that will be removed.
VideoWriter::~VideoWriter() {
    if (error_.empty()) error_ = "abandoned";
    if (child_ > 0) kill(child_, SIGTERM);
    finish();
}

bool VideoWriter::write(const RgbImage& frame) {
    if (pipe_ < 0) return false;
    if (frame.width != width_ || frame.height != height_) {
        error_ = "video frame has the wrong size";
        return false;
    }
    const std::uint8_t* data = frame.rgb.data();
    std::size_t left = frame.rgb.size();
    while (left > 0) {
        const ssize_t written = ::write(pipe_, data, left);
        if (written < 0 && errno == EINTR) continue;
        if (written <= 0) {
            error_ = std::string("ffmpeg stopped taking frames: ") + std::strerror(errno);
            close(pipe_);
            pipe_ = -1;
            return false;
        }
        data += written;
        left -= static_cast<std::size_t>(written);
    }
    return true;
}

std::string VideoWriter::finish() {
    if (pipe_ >= 0) {
        close(pipe_);
        pipe_ = -1;
    }
    if (child_ > 0) {
        int status = 0;
        while (waitpid(child_, &status, 0) < 0 && errno == EINTR) {
        }
        child_ = -1;
        if (!WIFEXITED(status) || WEXITSTATUS(status) != 0)
            if (error_.empty()) error_ = "ffmpeg failed (see its messages above)";
        if (error_.empty()) {
            const std::string reason = output_.commit();
            if (!reason.empty()) error_ = "cannot write " + file_ + ": " + reason;
        }
    }
    output_.discard();
    return error_;
}
