// Fuzz target: the song as the engine reads it. The bytes are opened as a
// song, their pages inspected, decoded (the player's way: forward, with
// seeks) and analysed (the spectrum's way: windows anywhere, also far past
// the end), with the work per input kept bounded.
#include <cstdint>
#include <string>
#include <vector>

#include "engine/ogg_pages.h"
#include "engine/song_decoder.h"
#include "engine/song_spectrum.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::vector<std::uint8_t> bytes(data, data + size);
    inspectOggPages(bytes);

    std::string error;
    SongDecoder decoder;
    if (!decoder.open(&bytes, error)) return 0;
    std::vector<float> stereo(2 * 4096);
    for (int i = 0; i < 64; ++i) {
        const long got = decoder.readStereo(stereo.data(), 4096);
        if (got < 0 || got > 4096) __builtin_trap();
        if (got == 0) break;
    }
    decoder.seek(decoder.lengthFrames() / 2);
    decoder.readStereo(stereo.data(), 1024);
    decoder.seek(-5);
    decoder.readStereo(stereo.data(), 1024);

    SongSpectrum spectrum;
    if (!spectrum.open(&bytes, error)) return 0;
    float out[kSpectrumBins];
    const std::int64_t length = decoder.lengthFrames();
    for (std::int64_t frame : {std::int64_t{-100}, std::int64_t{1500}, length / 3, length,
                               length + 700, std::int64_t{1} << 45}) {
        spectrum.spectrumAt(frame, out);
        for (float value : out)
            if (!(value >= 0.0f) && value == value) __builtin_trap();
    }
    return 0;
}
