#include "engine/ogg_pages.h"

#include <ogg/ogg.h>

#include <algorithm>
#include <cstring>

OggPageReport inspectOggPages(const std::vector<std::uint8_t>& bytes) {
    OggPageReport report;
    ogg_sync_state sync;
    ogg_sync_init(&sync);
    // libogg takes its input through a buffer of its own, in pieces it can
    // size with a long.
    constexpr std::size_t kPiece = 1 << 20;
    std::size_t offered = 0;
    std::int64_t consumed = 0;
    bool lastPageEnds = false;
    for (;;) {
        ogg_page page;
        const long step = ogg_sync_pageseek(&sync, &page);
        if (step > 0) {
            consumed += step;
            ++report.pages;
            const std::int64_t granule = ogg_page_granulepos(&page);
            if (granule >= 0) report.lastGranule = granule;
            lastPageEnds = ogg_page_eos(&page) != 0;
        } else if (step < 0) {
            consumed -= step;
            if (report.unreadableBytes == 0) report.damagedAfterGranule = report.lastGranule;
            report.unreadableBytes -= step;
        } else if (offered < bytes.size()) {
            const std::size_t piece = std::min(kPiece, bytes.size() - offered);
            char* buffer = ogg_sync_buffer(&sync, static_cast<long>(piece));
            if (!buffer) break;
            std::memcpy(buffer, bytes.data() + offered, piece);
            ogg_sync_wrote(&sync, static_cast<long>(piece));
            offered += piece;
        } else {
            break;
        }
    }
    ogg_sync_clear(&sync);
    const bool partialPageLeft = consumed < static_cast<std::int64_t>(bytes.size());
    report.cutShort = report.pages > 0 && (!lastPageEnds || partialPageLeft);
    return report;
}
