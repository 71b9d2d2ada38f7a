#include "engine/song_spectrum.h"

#include <algorithm>

namespace {
// Decoding forward is much cheaper than seeking as long as the frame loop
// moves on by less than this; further jumps seek.
constexpr std::int64_t kMaxForwardDecode = 44100;
constexpr std::size_t kHistoryKeep = 4 * kSpectrumWindow;
constexpr long kChunkFrames = 1024;
}  // namespace

bool SongSpectrum::open(const std::vector<std::uint8_t>* songBytes, std::string& error) {
    if (!decoder_.open(songBytes, error)) return false;
    history_.clear();
    historyStart_ = historyEnd_ = 0;
    scratch_.resize(2 * kChunkFrames);
    return true;
}

void SongSpectrum::restartAt(std::int64_t frame) {
    frame = std::clamp<std::int64_t>(frame, 0, decoder_.lengthFrames());
    decoder_.seek(frame);
    history_.clear();
    historyStart_ = historyEnd_ = frame;
}

void SongSpectrum::decodeUntil(std::int64_t frame) {
    while (historyEnd_ < frame) {
        const long got = decoder_.readStereo(scratch_.data(), kChunkFrames);
        if (got <= 0) {
            // The stream ended before its stated length: silence.
            history_.insert(history_.end(), static_cast<std::size_t>(frame - historyEnd_), 0.0f);
            historyEnd_ = frame;
            break;
        }
        for (long i = 0; i < got; ++i)
            history_.push_back((scratch_[2 * i] + scratch_[2 * i + 1]) * 0.5f);
        historyEnd_ += got;
    }
    if (history_.size() > 2 * kHistoryKeep) {
        const std::size_t drop = history_.size() - kHistoryKeep;
        history_.erase(history_.begin(), history_.begin() + static_cast<std::ptrdiff_t>(drop));
        historyStart_ += static_cast<std::int64_t>(drop);
    }
}

void SongSpectrum::monoWindow(std::int64_t endFrame, float* out) {
    const std::int64_t startFrame = endFrame - kSpectrumWindow;
    // Before the start and past the end is silence, never decoded: a window
    // far past the end costs no more than one inside the song.
    const std::int64_t length = decoder_.lengthFrames();
    const std::int64_t firstReal = std::clamp<std::int64_t>(startFrame, 0, length);
    const std::int64_t endReal = std::clamp<std::int64_t>(endFrame, 0, length);
    if (endReal > firstReal) {
        const bool usable = firstReal >= historyStart_ && endReal - historyEnd_ <= kMaxForwardDecode;
        if (!usable) restartAt(firstReal);
        decodeUntil(endReal);
    }
    for (int i = 0; i < kSpectrumWindow; ++i) {
        const std::int64_t frame = startFrame + i;
        const bool real = frame >= firstReal && frame < endReal;
        out[i] = real ? history_[static_cast<std::size_t>(frame - historyStart_)] : 0.0f;
    }
}

void SongSpectrum::spectrumAt(std::int64_t endFrame, float* out) {
    float mono[kSpectrumWindow];
    monoWindow(endFrame, mono);
    analyzer_.analyze(mono, out);
}
