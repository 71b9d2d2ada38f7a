#pragma once
// One Ogg Vorbis decoder over the song's bytes in memory. The song is
// decoded as it is needed, never whole: the player and the spectrum each
// keep their own decoder over the same bytes.
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include <vorbis/vorbisfile.h>

class SongDecoder {
public:
    // The bytes must outlive the decoder.
    SongDecoder() = default;
    ~SongDecoder();
    SongDecoder(const SongDecoder&) = delete;
    SongDecoder& operator=(const SongDecoder&) = delete;

    bool open(const std::vector<std::uint8_t>* bytes, std::string& error);
    bool isOpen() const { return open_; }
    int sampleRate() const { return rate_; }
    int channels() const { return channels_; }
    std::int64_t lengthFrames() const { return length_; }

    // Sample-exact: the same frame always decodes to the same values.
    bool seek(std::int64_t frame);
    // Reads up to `frames` frames as interleaved stereo floats (a mono song
    // is doubled). Returns the frames read; 0 at the end.
    long readStereo(float* out, long frames);

private:
    static size_t readCallback(void* dst, size_t size, size_t count, void* self);
    static int seekCallback(void* self, ogg_int64_t offset, int whence);
    static long tellCallback(void* self);

    OggVorbis_File file_{};
    const std::vector<std::uint8_t>* bytes_ = nullptr;
    std::size_t cursor_ = 0;
    bool open_ = false;
    int rate_ = 0;
    int channels_ = 0;
    std::int64_t length_ = 0;
};
