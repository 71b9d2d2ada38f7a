#include "tests/engine/test_files.h"

#include <vorbis/vorbisenc.h>

#include <algorithm>
#include <cmath>

namespace {

void appendPage(std::vector<std::uint8_t>& out, const ogg_page& page) {
    out.insert(out.end(), page.header, page.header + page.header_len);
    out.insert(out.end(), page.body, page.body + page.body_len);
}

}  // namespace

std::vector<std::uint8_t> encodeSineSong(double frequency, double amplitude, double seconds,
                                         double rightAmplitude, int channels) {
    if (rightAmplitude < 0.0) rightAmplitude = amplitude;
    const int rate = 44100;
    vorbis_info info;
    vorbis_info_init(&info);
    vorbis_encode_init_vbr(&info, channels, rate, 0.6f);
    vorbis_comment comment;
    vorbis_comment_init(&comment);
    vorbis_dsp_state dsp;
    vorbis_analysis_init(&dsp, &info);
    vorbis_block block;
    vorbis_block_init(&dsp, &block);
    ogg_stream_state stream;
    ogg_stream_init(&stream, 1234);

    std::vector<std::uint8_t> out;
    ogg_page page;
    // Whole pages as they fill, or everything left when `all`.
    const auto takePages = [&](bool all) {
        while (all ? ogg_stream_flush(&stream, &page) : ogg_stream_pageout(&stream, &page)) appendPage(out, page);
    };
    ogg_packet header, headerComment, headerCode;
    vorbis_analysis_headerout(&dsp, &comment, &header, &headerComment, &headerCode);
    for (ogg_packet* packet : {&header, &headerComment, &headerCode}) ogg_stream_packetin(&stream, packet);
    takePages(true);

    const long total = static_cast<long>(seconds * rate);
    for (long done = 0, chunk = 1; chunk > 0; done += chunk) {
        chunk = std::min<long>(4096, total - done);
        if (chunk > 0) {
            float** buffer = vorbis_analysis_buffer(&dsp, static_cast<int>(chunk));
            for (long i = 0; i < chunk; ++i) {
                const double wave = std::sin(2 * M_PI * frequency * static_cast<double>(done + i) / rate);
                buffer[0][i] = static_cast<float>(amplitude * wave);
                if (channels > 1) buffer[1][i] = static_cast<float>(rightAmplitude * wave);
            }
        }
        // A chunk of none ends the stream.
        vorbis_analysis_wrote(&dsp, static_cast<int>(std::max(chunk, 0L)));
        while (vorbis_analysis_blockout(&dsp, &block) == 1) {
            vorbis_analysis(&block, nullptr);
            vorbis_bitrate_addblock(&block);
            ogg_packet packet;
            while (vorbis_bitrate_flushpacket(&dsp, &packet)) {
                ogg_stream_packetin(&stream, &packet);
                takePages(false);
            }
        }
    }
    takePages(true);
    ogg_stream_clear(&stream);
    vorbis_block_clear(&block);
    vorbis_dsp_clear(&dsp);
    vorbis_comment_clear(&comment);
    vorbis_info_clear(&info);
    return out;
}
