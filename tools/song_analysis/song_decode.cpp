#include "tools/song_analysis/song_decode.h"

#include <vorbis/vorbisfile.h>

#include <algorithm>
#include <cstring>
#include <fstream>

namespace {

struct MemoryReader {
    const std::vector<unsigned char>* bytes;
    std::size_t at;
};

std::size_t readMemory(void* into, std::size_t size, std::size_t count, void* source) {
    MemoryReader& reader = *static_cast<MemoryReader*>(source);
    const std::size_t wanted = size * count;
    const std::size_t left = reader.bytes->size() - reader.at;
    const std::size_t taken = std::min(wanted, left);
    std::memcpy(into, reader.bytes->data() + reader.at, taken);
    reader.at += taken;
    return size ? taken / size : 0;
}

}  // namespace

bool decodeOgg(const std::vector<unsigned char>& bytes, DecodedSong& song, std::string& error) {
    MemoryReader reader{&bytes, 0};
    const ov_callbacks callbacks{readMemory, nullptr, nullptr, nullptr};
    OggVorbis_File file;
    if (ov_open_callbacks(&reader, &file, nullptr, 0, callbacks) != 0) {
        error = "not an Ogg Vorbis stream";
        return false;
    }
    const vorbis_info* info = ov_info(&file, -1);
    song.rate = static_cast<int>(info->rate);
    song.channels = info->channels;
    song.samples.clear();
    const ogg_int64_t total = ov_pcm_total(&file, -1);
    if (total > 0) song.samples.reserve(static_cast<std::size_t>(total) * song.channels);
    int section = 0;
    for (;;) {
        float** pcm = nullptr;
        const long got = ov_read_float(&file, &pcm, 4096, &section);
        if (got == 0) break;
        if (got < 0) {
            ov_clear(&file);
            error = "the Ogg Vorbis stream is damaged";
            return false;
        }
        for (long i = 0; i < got; ++i)
            for (int c = 0; c < song.channels; ++c) song.samples.push_back(pcm[c][i]);
    }
    ov_clear(&file);
    return true;
}

bool decodeOggFile(const std::string& path, DecodedSong& song, std::string& error) {
    std::ifstream file(path, std::ios::binary);
    if (!file) {
        error = "cannot open " + path;
        return false;
    }
    const std::vector<unsigned char> bytes((std::istreambuf_iterator<char>(file)), std::istreambuf_iterator<char>());
    return decodeOgg(bytes, song, error);
}
