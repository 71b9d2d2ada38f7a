#pragma once
// A look at an Ogg stream's pages, without decoding: where it is damaged
// (bytes that are no page, or a page whose checksum fails: the decoder skips
// them) and whether it really ends or is cut short.
#include <cstdint>
#include <vector>

struct OggPageReport {
    std::int64_t pages = 0;
    std::int64_t unreadableBytes = 0;  // skipped between good pages
    // Granule position (a sample count for Vorbis) of the last good page
    // before the first unreadable bytes; -1 when there are none.
    std::int64_t damagedAfterGranule = -1;
    // The last good page does not close the stream, or a partial page ends
    // the bytes: the stream stops early, at `lastGranule`.
    bool cutShort = false;
    std::int64_t lastGranule = 0;
};

OggPageReport inspectOggPages(const std::vector<std::uint8_t>& bytes);
