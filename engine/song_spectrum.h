#pragma once
// The spectrum of the song at a position, computed from the decoded song
// itself with a decoder of its own, so the same position always gives the
// same values whether or not a sound device plays along.
#include <cstdint>
#include <vector>

#include "engine/song_decoder.h"
#include "engine/spectrum.h"

class SongSpectrum {
public:
    bool open(const std::vector<std::uint8_t>* songBytes, std::string& error);
    bool isOpen() const { return decoder_.isOpen(); }
    int sampleRate() const { return decoder_.sampleRate(); }

    // The kSpectrumWindow mono samples ending just before `endFrame`
    // (frames before the start or past the end of the song are silence) into
    // `out`, in constant memory wherever the window lies.
    void monoWindow(std::int64_t endFrame, float* out);
    void spectrumAt(std::int64_t endFrame, float* out);

private:
    void restartAt(std::int64_t frame);
    void decodeUntil(std::int64_t frame);

    SongDecoder decoder_;
    SpectrumAnalyzer analyzer_;
    // Recently decoded mono samples: frames [historyStart_, historyEnd_).
    std::vector<float> history_;
    std::int64_t historyStart_ = 0;
    std::int64_t historyEnd_ = 0;
    std::vector<float> scratch_;
};
