#include "tools/gen/song_ogg.h"

#include <vorbis/vorbisenc.h>
#include <vorbis/vorbisfile.h>

#include <algorithm>
#include <cstring>
#include <fstream>

#include "tools/gen/song_dsp.h"

namespace {

// Any fixed number will do; a random one would change the file every run.
constexpr int kStreamSerial = 0x4B454C4D;
constexpr long kChunk = 4096;

void appendPage(const ogg_page& page, std::vector<unsigned char>& bytes) {
    bytes.insert(bytes.end(), page.header, page.header + page.header_len);
    bytes.insert(bytes.end(), page.body, page.body + page.body_len);
}

struct Encoder {
    vorbis_info info;
    vorbis_comment comment;
    vorbis_dsp_state dsp;
    vorbis_block block;
    ogg_stream_state stream;
    bool ready = false;

    ~Encoder() {
        if (ready) {
            ogg_stream_clear(&stream);
            vorbis_block_clear(&block);
            vorbis_dsp_clear(&dsp);
        }
        vorbis_comment_clear(&comment);
        vorbis_info_clear(&info);
    }

    // Moves every finished packet into pages and the pages into bytes.
    void drain(std::vector<unsigned char>& bytes) {
        ogg_packet packet;
        ogg_page page;
        while (vorbis_analysis_blockout(&dsp, &block) == 1) {
            vorbis_analysis(&block, nullptr);
            vorbis_bitrate_addblock(&block);
            while (vorbis_bitrate_flushpacket(&dsp, &packet)) {
                ogg_stream_packetin(&stream, &packet);
                while (ogg_stream_pageout(&stream, &page)) appendPage(page, bytes);
            }
        }
    }
};

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

bool encodeOgg(const SongAudio& audio, float quality, std::vector<unsigned char>& bytes, std::string& error) {
    bytes.clear();
    Encoder encoder;
    vorbis_info_init(&encoder.info);
    vorbis_comment_init(&encoder.comment);
    if (vorbis_encode_init_vbr(&encoder.info, 2, kSongRate, quality) != 0) {
        error = "the Vorbis encoder refused its settings";
        return false;
    }
    vorbis_comment_add_tag(&encoder.comment, "TITLE", "kelmuth");
    vorbis_analysis_init(&encoder.dsp, &encoder.info);
    vorbis_block_init(&encoder.dsp, &encoder.block);
    ogg_stream_init(&encoder.stream, kStreamSerial);
    encoder.ready = true;

    ogg_packet header, commentHeader, codeHeader;
    vorbis_analysis_headerout(&encoder.dsp, &encoder.comment, &header, &commentHeader, &codeHeader);
    ogg_stream_packetin(&encoder.stream, &header);
    ogg_stream_packetin(&encoder.stream, &commentHeader);
    ogg_stream_packetin(&encoder.stream, &codeHeader);
    ogg_page page;
    // The headers get pages of their own so audio starts on a fresh page.
    while (ogg_stream_flush(&encoder.stream, &page)) appendPage(page, bytes);

    for (long at = 0; at < audio.frames(); at += kChunk) {
        const long count = std::min(kChunk, audio.frames() - at);
        float** buffer = vorbis_analysis_buffer(&encoder.dsp, static_cast<int>(count));
        std::copy(audio.left.begin() + at, audio.left.begin() + at + count, buffer[0]);
        std::copy(audio.right.begin() + at, audio.right.begin() + at + count, buffer[1]);
        vorbis_analysis_wrote(&encoder.dsp, static_cast<int>(count));
        encoder.drain(bytes);
    }
    vorbis_analysis_wrote(&encoder.dsp, 0);
    encoder.drain(bytes);
    while (ogg_stream_flush(&encoder.stream, &page)) appendPage(page, bytes);
    return true;
}

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
