#include "tools/gen/song/song_ogg.h"

#include <vorbis/vorbisenc.h>

#include <algorithm>

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
