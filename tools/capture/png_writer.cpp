#include "tools/capture/png_writer.h"

#include <png.h>

#include <csetjmp>
#include <cstdio>
#include <cstring>
#include <vector>

namespace {

struct PngFailure {
    char text[256] = "";
};

void onPngError(png_structp png, png_const_charp message) {
    auto* failure = static_cast<PngFailure*>(png_get_error_ptr(png));
    std::snprintf(failure->text, sizeof failure->text, "%s", message);
    png_longjmp(png, 1);
}

void onPngWarning(png_structp, png_const_charp) {}

// libpng reports errors by long jump; nothing with a destructor may live in
// this frame between setjmp and the end of the writing.
bool encode(std::FILE* file, const RgbImage& image, png_bytep* rows, PngFailure& failure) {
    png_structp png =
        png_create_write_struct(PNG_LIBPNG_VER_STRING, &failure, onPngError, onPngWarning);
    if (!png) return false;
    png_infop info = png_create_info_struct(png);
    if (!info) {
        png_destroy_write_struct(&png, nullptr);
        return false;
    }
    if (setjmp(png_jmpbuf(png))) {
        png_destroy_write_struct(&png, &info);
        return false;
    }
    png_init_io(png, file);
    png_set_compression_level(png, 6);
    png_set_IHDR(png, info, static_cast<png_uint_32>(image.width),
                 static_cast<png_uint_32>(image.height), 8, PNG_COLOR_TYPE_RGB, PNG_INTERLACE_NONE,
                 PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
    png_write_info(png, info);
    png_write_image(png, rows);
    png_write_end(png, nullptr);
    png_destroy_write_struct(&png, &info);
    return true;
}

}  // namespace

std::string writePng(const std::string& path, const RgbImage& image) {
    if (image.width <= 0 || image.height <= 0) return "cannot write an empty picture to " + path;
    std::FILE* file = std::fopen(path.c_str(), "wb");
    if (!file) return "cannot create " + path + ": " + std::strerror(errno);
    std::vector<png_bytep> rows(image.height);
    for (int y = 0; y < image.height; ++y) rows[y] = const_cast<png_bytep>(image.pixel(0, y));
    PngFailure failure;
    const bool encoded = encode(file, image, rows.data(), failure);
    const bool closed = std::fclose(file) == 0;
    if (!encoded) return "cannot write PNG " + path + ": " + failure.text;
    if (!closed) return "cannot finish writing " + path + ": " + std::strerror(errno);
    return {};
}
