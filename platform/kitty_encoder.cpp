#include "platform/kitty_encoder.h"

#include <zlib.h>

#include <cstdio>

#include "platform/base64.h"

namespace {

// Level 1: a show frame is noisy, and the higher levels cost several times
// the time for a few per cent fewer bytes.
constexpr int kCompressionLevel = 1;

void appendNumber(std::string& out, char key, long long value) {
    char text[32];
    const int length = std::snprintf(text, sizeof text, "%c=%lld,", key, value);
    out.append(text, static_cast<std::size_t>(length));
}

}  // namespace

void pixelsToRgb(const PixelView& source, std::uint8_t* rgb) {
    for (int y = 0; y < source.height; ++y) {
        const std::uint32_t* row = source.row(y);
        for (int x = 0; x < source.width; ++x) {
            const std::uint32_t pixel = row[x];
            rgb[0] = static_cast<std::uint8_t>(pixel);
            rgb[1] = static_cast<std::uint8_t>(pixel >> 8);
            rgb[2] = static_cast<std::uint8_t>(pixel >> 16);
            rgb += 3;
        }
    }
}

std::string_view kittyDeleteImage() {
    static const std::string bytes =
        "\x1b_Ga=d,d=I,i=" + std::to_string(kKittyImageId) + ",q=2\x1b\\";
    return bytes;
}

void KittyEncoder::appendControl(const CellArea& area, std::size_t payloadBytes) {
    bytes_ += "\x1b_Ga=T,f=24,";
    appendNumber(bytes_, 's', width_);
    appendNumber(bytes_, 'v', height_);
    appendNumber(bytes_, 'i', kKittyImageId);
    appendNumber(bytes_, 'p', kKittyPlacementId);
    appendNumber(bytes_, 'c', area.columns);
    appendNumber(bytes_, 'r', area.rows);
    if (transfer_ == KittyTransfer::SharedMemory) {
        bytes_ += "t=s,";
        appendNumber(bytes_, 'S', static_cast<long long>(payloadBytes));
    }
    if (transfer_ == KittyTransfer::Compressed) bytes_ += "o=z,";
    bytes_ += "C=1,q=2";
}

void KittyEncoder::appendChunked(const std::uint8_t* data, std::size_t size) {
    base64_.clear();
    base64Append(data, size, base64_);
    // The first chunk follows the control keys; later ones carry only m
    // (and q, so that no chunk is ever answered).
    for (std::size_t at = 0; at < base64_.size() || at == 0; at += kKittyChunkBytes) {
        const std::size_t length = std::min(kKittyChunkBytes, base64_.size() - at);
        const bool more = at + length < base64_.size();
        if (at > 0) bytes_ += "\x1b_Gq=2";
        bytes_ += more ? ",m=1;" : ",m=0;";
        bytes_.append(base64_, at, length);
        bytes_ += "\x1b\\";
        if (!more) break;
    }
}

std::string_view KittyEncoder::encodeFrame(const PixelView& source, const CellArea& area,
                                           std::string_view sharedMemoryName) {
    takeFrame(source);
    return commands(area, sharedMemoryName);
}

void KittyEncoder::takeFrame(const PixelView& source) {
    width_ = source.width;
    height_ = source.height;
    rgb_.resize(source.pixelCount() * 3);
    pixelsToRgb(source, rgb_.data());
}

std::string_view KittyEncoder::commands(const CellArea& area, std::string_view sharedMemoryName) {
    bytes_.clear();
    char cursor[32];
    const int length = std::snprintf(cursor, sizeof cursor, "\x1b[%d;%dH", area.row + 1, area.column + 1);
    bytes_.append(cursor, static_cast<std::size_t>(length));
    switch (transfer_) {
        case KittyTransfer::SharedMemory:
            appendControl(area, rgb_.size());
            bytes_ += ';';
            base64Append(reinterpret_cast<const std::uint8_t*>(sharedMemoryName.data()), sharedMemoryName.size(), bytes_);
            bytes_ += "\x1b\\";
            break;
        case KittyTransfer::Compressed: {
            uLongf size = compressBound(static_cast<uLong>(rgb_.size()));
            compressed_.resize(size);
            compress2(compressed_.data(), &size, rgb_.data(), static_cast<uLong>(rgb_.size()), kCompressionLevel);
            appendControl(area, size);
            appendChunked(compressed_.data(), size);
            break;
        }
        case KittyTransfer::Direct:
            appendControl(area, rgb_.size());
            appendChunked(rgb_.data(), rgb_.size());
            break;
    }
    return bytes_;
}
