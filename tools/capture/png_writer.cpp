#include "tools/capture/png_writer.h"

#include <png.h>

#include <cerrno>
#include <csetjmp>
#include <cstdio>
#include <cstring>
#include <vector>

#include "engine/output_file.h"

namespace {

struct PngFailure {
    char text[256] = "";
    int writeErrno = 0;  // the system's reason when a write failed
};

void onPngError(png_structp png, png_const_charp message) {
    auto* failure = static_cast<PngFailure*>(png_get_error_ptr(png));
    std::snprintf(failure->text, sizeof failure->text, "%s", message);
    png_longjmp(png, 1);
}

void onPngWarning(png_structp, png_const_charp) {}

// Our own writer, so a failed write keeps its errno instead of becoming
// libpng's bare "Write Error".
struct PngSink {
    std::FILE* file;
    PngFailure* failure;
};

void writeToFile(png_structp png, png_bytep data, std::size_t length) {
    auto* sink = static_cast<PngSink*>(png_get_io_ptr(png));
    if (std::fwrite(data, 1, length, sink->file) != length) {
        sink->failure->writeErrno = errno;
        png_error(png, "write failed");
    }
}

void flushFile(png_structp png) { std::fflush(static_cast<PngSink*>(png_get_io_ptr(png))->file); }

// libpng reports errors by long jump; nothing with a destructor may live in
// this frame between setjmp and the end of the writing.
bool encode(PngSink* sink, const RgbImage& image, png_bytep* rows) {
    png_structp png =
        png_create_write_struct(PNG_LIBPNG_VER_STRING, sink->failure, onPngError, onPngWarning);
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
    png_set_write_fn(png, sink, writeToFile, flushFile);
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
    std::vector<png_bytep> rows(image.height);
    for (int y = 0; y < image.height; ++y) rows[y] = const_cast<png_bytep>(image.pixel(0, y));
    return writeThroughTemporary(path, [&](std::FILE* file) -> std::string {
        PngFailure failure;
        PngSink sink{file, &failure};
        if (encode(&sink, image, rows.data())) return {};
        if (failure.writeErrno) return std::strerror(failure.writeErrno);
        return std::string("PNG encoder: ") + (failure.text[0] ? failure.text : "out of memory");
    });
}
