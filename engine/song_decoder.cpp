#include "engine/song_decoder.h"

#include <algorithm>
#include <cstring>

SongDecoder::~SongDecoder() {
    if (open_) ov_clear(&file_);
}

size_t SongDecoder::readCallback(void* dst, size_t size, size_t count, void* self) {
    auto* decoder = static_cast<SongDecoder*>(self);
    const std::size_t wanted = size * count;
    const std::size_t left = decoder->bytes_->size() - decoder->cursor_;
    const std::size_t n = std::min(wanted, left);
    if (n == 0) return 0;  // also keeps an empty song's null data out of memcpy
    std::memcpy(dst, decoder->bytes_->data() + decoder->cursor_, n);
    decoder->cursor_ += n;
    return size ? n / size : 0;
}

int SongDecoder::seekCallback(void* self, ogg_int64_t offset, int whence) {
    auto* decoder = static_cast<SongDecoder*>(self);
    const auto size = static_cast<ogg_int64_t>(decoder->bytes_->size());
    ogg_int64_t target = offset;
    if (whence == SEEK_CUR) target += static_cast<ogg_int64_t>(decoder->cursor_);
    if (whence == SEEK_END) target += size;
    if (target < 0 || target > size) return -1;
    decoder->cursor_ = static_cast<std::size_t>(target);
    return 0;
}

long SongDecoder::tellCallback(void* self) {
    return static_cast<long>(static_cast<SongDecoder*>(self)->cursor_);
}

bool SongDecoder::open(const std::vector<std::uint8_t>* bytes, std::string& error) {
    if (open_) ov_clear(&file_);
    open_ = false;
    bytes_ = bytes;
    cursor_ = 0;
    const ov_callbacks callbacks = {readCallback, seekCallback, nullptr, tellCallback};
    const int result = ov_open_callbacks(this, &file_, nullptr, 0, callbacks);
    if (result != 0) {
        error = "not an Ogg Vorbis stream (vorbisfile error " + std::to_string(result) + ")";
        return false;
    }
    open_ = true;
    const vorbis_info* info = ov_info(&file_, -1);
    rate_ = info ? static_cast<int>(info->rate) : 0;
    channels_ = info ? info->channels : 0;
    length_ = ov_pcm_total(&file_, -1);
    if (rate_ <= 0 || channels_ <= 0 || length_ <= 0) {
        error = "song has no usable audio";
        ov_clear(&file_);
        open_ = false;
        return false;
    }
    return true;
}

bool SongDecoder::seek(std::int64_t frame) {
    if (!open_) return false;
    frame = std::clamp<std::int64_t>(frame, 0, length_);
    return ov_pcm_seek(&file_, frame) == 0;
}

long SongDecoder::readStereo(float* out, long frames) {
    if (!open_) return 0;
    long done = 0;
    while (done < frames) {
        float** channels = nullptr;
        int section = 0;
        const long got = ov_read_float(&file_, &channels, static_cast<int>(frames - done), &section);
        if (got == OV_HOLE) continue;  // a gap in the stream: skip it
        if (got <= 0) break;
        const int count = ov_info(&file_, -1)->channels;
        for (long i = 0; i < got; ++i) {
            const float left = channels[0][i];
            const float right = count > 1 ? channels[1][i] : left;
            out[2 * (done + i)] = left;
            out[2 * (done + i) + 1] = right;
        }
        done += got;
    }
    return done;
}
