#include "tools/capture/video_writer.h"

#include <fcntl.h>
#include <poll.h>
#include <spawn.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <csignal>
#include <cstdlib>
#include <cstring>
#include <thread>
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

// How often a wait for the encoder looks at a stop request: well inside
// the second a Ctrl+C may take.
constexpr int kPollMs = 20;
constexpr int kQuotedLines = 4;

// The last `count` lines of what was written to `fd`, each on a line of its
// own and indented; empty when nothing was.
std::string lastLines(int fd, int count) {
    struct stat info {};
    if (fd < 0 || fstat(fd, &info) != 0 || info.st_size <= 0) return {};
    // Only the end is read: an encoder may have said a great deal.
    constexpr off_t kTail = 2048;
    const off_t from = std::max<off_t>(0, info.st_size - kTail);
    std::string tail(static_cast<std::size_t>(info.st_size - from), '\0');
    const ssize_t got = pread(fd, tail.data(), tail.size(), from);
    tail.resize(got > 0 ? static_cast<std::size_t>(got) : 0);
    std::vector<std::string> lines;
    for (std::size_t at = 0; at < tail.size();) {
        std::size_t end = tail.find('\n', at);
        if (end == std::string::npos) end = tail.size();
        // A line cut by the start of the tail is left out.
        if (end > at && !(at == 0 && from > 0)) lines.push_back(tail.substr(at, end - at));
        at = end + 1;
    }
    std::string quoted;
    for (std::size_t i = lines.size() > static_cast<std::size_t>(count) ? lines.size() - count : 0;
         i < lines.size(); ++i)
        quoted += "\n    " + lines[i];
    return quoted;
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
                         int fps, const std::string& song, int songOffsetMs,
                         std::function<bool()> stopRequested, std::chrono::milliseconds stallLimit)
    : file_(file), width_(width), height_(height), stopRequested_(std::move(stopRequested)),
      stallLimit_(stallLimit) {
    std::string reason;
    // Its index goes to the front at the end, so the file must be seekable.
    if (!output_.open(file, NotRegular::FollowLink, reason)) {
        error_ = "cannot write " + file + ": " + reason;
        return;
    }
    int fds[2];
    if (pipe2(fds, O_CLOEXEC) != 0) {
        error_ = std::string("cannot make a pipe for ffmpeg: ") + std::strerror(errno);
        return;
    }
    // Its error output goes to a file in memory that has no name, so its
    // last lines can be quoted when it fails.
    messages_ = memfd_create("encoder messages", MFD_CLOEXEC);
    const std::vector<std::string> args =
        ffmpegArguments(ffmpeg, output_.writtenName(), width, height, fps, song, songOffsetMs);
    std::vector<char*> argv;
    for (const std::string& arg : args) argv.push_back(const_cast<char*>(arg.c_str()));
    argv.push_back(nullptr);

    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, fds[0], STDIN_FILENO);
    if (messages_ >= 0) posix_spawn_file_actions_adddup2(&actions, messages_, STDERR_FILENO);
    // A group of its own: Ctrl+C at the terminal reaches only us, and we
    // decide whether the encoder finishes or is stopped — with whatever it
    // started, which would otherwise keep the pipe open.
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
    // Never blocked in write(): an encoder that stops reading must not keep
    // us from seeing a Ctrl+C.
    fcntl(fds[1], F_SETFL, fcntl(fds[1], F_GETFL) | O_NONBLOCK);
    pipe_ = fds[1];
}

// A run that stops before finish() made no whole video: nothing is kept,
// and the encoder need not finish a file that will be removed.
VideoWriter::~VideoWriter() {
    if (error_.empty()) error_ = "abandoned";
    killEncoder();
    finish();
    if (messages_ >= 0) close(messages_);
}

void VideoWriter::killEncoder() {
    if (child_ > 0) kill(-child_, SIGKILL);
}

// Waits until the pipe takes bytes again; false, with the reason, when a
// stop was asked for or the encoder has taken nothing for too long.
bool VideoWriter::waitForPipe(std::chrono::steady_clock::time_point lastProgress) {
    for (;;) {
        if (stopRequested_ && stopRequested_()) {
            error_ = "interrupted";
            return false;
        }
        const auto stalled = std::chrono::steady_clock::now() - lastProgress;
        if (stalled >= stallLimit_) {
            error_ = "ffmpeg took no frame for " +
                     std::to_string(std::chrono::duration_cast<std::chrono::seconds>(stalled).count()) +
                     " s; it was stopped";
            return false;
        }
        pollfd ready{pipe_, POLLOUT, 0};
        if (poll(&ready, 1, kPollMs) != 0) return true;
    }
}

// The encoder's wait status, or -1 when it has not ended within `limit`
// (if any) or a stop was asked for.
int VideoWriter::waitForEncoder(std::optional<std::chrono::milliseconds> limit) {
    const auto start = std::chrono::steady_clock::now();
    for (;;) {
        int status = 0;
        const pid_t ended = waitpid(child_, &status, WNOHANG);
        if (ended == child_) return status;
        if (ended < 0 && errno != EINTR) return -1;
        if ((stopRequested_ && stopRequested_()) || (limit && std::chrono::steady_clock::now() - start >= *limit))
            return -1;
        std::this_thread::sleep_for(std::chrono::milliseconds(kPollMs));
    }
}

// "ffmpeg ended with status 1" and the last lines it wrote, indented.
std::string VideoWriter::encoderEnding(int status) const {
    std::string text = WIFEXITED(status) ? "ffmpeg ended with status " + std::to_string(WEXITSTATUS(status))
                                         : "ffmpeg was ended by signal " + std::to_string(WTERMSIG(status));
    const std::string said = lastLines(messages_, kQuotedLines);
    if (!said.empty()) text += ", saying:" + said;
    return text;
}

bool VideoWriter::write(const RgbImage& frame) {
    if (pipe_ < 0) return false;
    if (frame.width != width_ || frame.height != height_) {
        error_ = "video frame has the wrong size";
        return false;
    }
    const std::uint8_t* data = frame.rgb.data();
    std::size_t left = frame.rgb.size();
    auto lastProgress = std::chrono::steady_clock::now();
    while (left > 0) {
        const ssize_t written = ::write(pipe_, data, left);
        if (written > 0) {
            data += written;
            left -= static_cast<std::size_t>(written);
            lastProgress = std::chrono::steady_clock::now();
            continue;
        }
        if (written < 0 && errno == EINTR) continue;
        const bool full = written < 0 && (errno == EAGAIN || errno == EWOULDBLOCK);
        if (full && waitForPipe(lastProgress)) continue;
        if (!full) {
            // It closed its input: most likely it failed, and says why.
            const std::string reason = std::strerror(errno);
            const int status = waitForEncoder(std::chrono::seconds(1));
            error_ = status >= 0 && !(WIFEXITED(status) && WEXITSTATUS(status) == 0)
                         ? encoderEnding(status)
                         : "ffmpeg stopped taking frames: " + reason;
            killEncoder();
            if (status >= 0) child_ = -1;
        }
        killEncoder();
        close(pipe_);
        pipe_ = -1;
        return false;
    }
    return true;
}

std::string VideoWriter::finish() {
    if (pipe_ >= 0) {
        close(pipe_);
        pipe_ = -1;
    }
    if (child_ > 0) {
        int status = waitForEncoder(std::nullopt);
        if (status < 0) {
            // Asked to stop while the encoder finishes: it is not waited for.
            killEncoder();
            while (waitpid(child_, &status, 0) < 0 && errno == EINTR) {
            }
            if (error_.empty()) error_ = "interrupted";
        }
        child_ = -1;
        if (error_.empty() && !(WIFEXITED(status) && WEXITSTATUS(status) == 0)) error_ = encoderEnding(status);
        if (error_.empty()) {
            const std::string reason = output_.commit();
            if (!reason.empty()) error_ = "cannot write " + file_ + ": " + reason;
        }
    }
    output_.discard();
    return error_;
}
