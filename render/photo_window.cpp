#include "render/photo_window.h"

#include <algorithm>
#include <cstdint>
#include <vector>

#include "engine/random.h"
#include "engine/vrl.h"

namespace {

// The remainder of value / size in 0..size-1, also for negative values, so a
// window may start left of or above the photo and still wrap into it.
int wrapIndex(std::int64_t value, int size) {
    const std::int64_t remainder = value % size;
    return static_cast<int>(remainder < 0 ? remainder + size : remainder);
}

// A photo with no pixels gives a black window; said each time it happens.
bool isEmptyPhoto(const unsigned int* photo, int width, int height) {
    if (photo != nullptr && width > 0 && height > 0) return false;
    vrlMsg("copyPhotoWindow: empty photo (%d x %d), window left black\n", width, height);
    return true;
}

}  // namespace

NORVALE_VIRELLO::Texture* randomPhoto() {
    const int index = nextRandom() % static_cast<int>(kPhotoTable.size());
    return vrlGetTexture(kPhotoTable[index]);
}

float randomUnit() {
    return static_cast<float>((nextRandom() % 32767) / 32767.0);
}

void copyPhotoWindow(int x, int y, const unsigned int* photo, unsigned int* window) {
    copyPhotoWindow(x, y, photo, window, kPhotoWidth, kPhotoHeight);
}

void copyPhotoWindow(int x, int y, const unsigned int* photo, unsigned int* window,
                     int photoWidth, int photoHeight) {
    if (isEmptyPhoto(photo, photoWidth, photoHeight)) {
        std::fill_n(window, kTexturePixels, 0u);
        return;
    }
    const int firstColumn = wrapIndex(x, photoWidth);
    int row = wrapIndex(y, photoHeight);
    for (int i = 0; i < kTextureSide; ++i) {
        const unsigned int* source = photo + static_cast<std::int64_t>(row) * photoWidth;
        unsigned int* destination = window + i * kTextureSide;
        // A row is one or two straight runs of the photo (more only for a
        // photo narrower than the window): copied as runs, a beat that grabs
        // a new window costs a few microseconds instead of a tenth of a frame.
        int column = firstColumn;
        for (int done = 0; done < kTextureSide;) {
            const int run = std::min(kTextureSide - done, photoWidth - column);
            std::copy_n(source + column, run, destination + done);
            done += run;
            column = 0;
        }
        if (++row == photoHeight) row = 0;
    }
}

void copyPhotoWindowTexels(int x, int y, const NORVALE_VIRELLO::Texture& photo, std::span<const int> rows,
                           std::span<const int> columns, unsigned int* out) {
    const unsigned int* pixels = photo.getImgData();
    const int width = static_cast<int>(photo.getWidth());
    const int height = static_cast<int>(photo.getHeight());
    if (isEmptyPhoto(pixels, width, height)) {
        std::fill_n(out, rows.size() * columns.size(), 0u);
        return;
    }
    std::vector<int> photoColumns(columns.size());
    for (std::size_t j = 0; j < columns.size(); ++j)
        photoColumns[j] = wrapIndex(std::int64_t{x} + columns[j], width);
    for (std::size_t i = 0; i < rows.size(); ++i) {
        const int photoRow = wrapIndex(std::int64_t{y} + rows[i], height);
        const unsigned int* source = pixels + static_cast<std::int64_t>(photoRow) * width;
        for (std::size_t j = 0; j < columns.size(); ++j) *out++ = source[photoColumns[j]];
    }
}

void copyPhotoWindow(int x, int y, const NORVALE_VIRELLO::Texture& photo, unsigned int* window) {
    copyPhotoWindow(x, y, photo.getImgData(), window, static_cast<int>(photo.getWidth()),
                    static_cast<int>(photo.getHeight()));
}

void grabRandomWindow(unsigned int* window) {
    // Three draws in a fixed order: which photo, then column, then row.
    NORVALE_VIRELLO::Texture* photo = randomPhoto();
    const int x = nextRandom() % kPhotoWidth;
    const int y = nextRandom() % kPhotoHeight;
    if (photo == nullptr) {
        copyPhotoWindow(x, y, nullptr, window, 0, 0);
        return;
    }
    copyPhotoWindow(x, y, *photo, window);
}
