#pragma once
// A picture in the terminal graphics protocol that kitty introduced: 24-bit
// RGB at its own size, scaled by the terminal into a box of cells. Every frame
// transmits and places image kImageId as placement kPlacementId again, which
// replaces the last one in place, asks for no reply (q=2) and leaves the
// cursor where it is (C=1). The pixels travel inside the escape sequences as
// base64 in chunks, zlib-compressed or not, or through a POSIX shared memory
// object that the terminal reads and removes (only where it shares memory
// with us: a local terminal).
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "render/cell_fit.h"
#include "render/pixel_view.h"

constexpr unsigned kKittyImageId = 7156;
constexpr unsigned kKittyPlacementId = 1;
// The largest base64 chunk one escape sequence may carry.
constexpr std::size_t kKittyChunkBytes = 4096;

enum class KittyTransfer { Direct, Compressed, SharedMemory };

// The pixels as RGB bytes, row after row without a gap: 3 bytes a pixel.
void pixelsToRgb(const PixelView& source, std::uint8_t* rgb);

// Deletes the image and frees its data: what the terminal must get on
// every way out, so no picture is left behind.
std::string_view kittyDeleteImage();

class KittyEncoder {
public:
    explicit KittyEncoder(KittyTransfer transfer) : transfer_(transfer) {}

    // The commands that draw `source` into `area` (cells, from 0). With
    // shared memory, `sharedMemoryName` names the object the caller has
    // filled with rgb(); otherwise it is ignored. Valid until the next call.
    std::string_view encodeFrame(const PixelView& source, const CellArea& area,
                                 std::string_view sharedMemoryName = {});
    // The same in two steps, for a caller that shares the pixels between.
    void takeFrame(const PixelView& source);
    std::string_view commands(const CellArea& area, std::string_view sharedMemoryName = {});

    // The frame's RGB bytes, as the last frame taken made them.
    const std::vector<std::uint8_t>& rgb() const { return rgb_; }
    KittyTransfer transfer() const { return transfer_; }
    void setTransfer(KittyTransfer transfer) { transfer_ = transfer; }

private:
    void appendControl(const CellArea& area, std::size_t payloadBytes);
    void appendChunked(const std::uint8_t* data, std::size_t size);

    KittyTransfer transfer_;
    int width_ = 0;
    int height_ = 0;
    std::vector<std::uint8_t> rgb_;
    std::vector<std::uint8_t> compressed_;
    std::string base64_;
    std::string bytes_;
};
