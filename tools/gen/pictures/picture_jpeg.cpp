#include "tools/gen/pictures/picture_jpeg.h"

#include <turbojpeg.h>

#include <cstdio>
#include <vector>

namespace gen {

namespace {

unsigned char toByte(float v) {
    return static_cast<unsigned char>(clamp01(v) * 255.0f + 0.5f);
}

}  // namespace

bool writeJpeg(const Image& image, const std::string& path, int quality) {
    std::vector<unsigned char> rgb(static_cast<size_t>(image.width()) * image.height() * 3);
    size_t i = 0;
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x) {
            const Color& c = image.at(x, y);
            rgb[i++] = toByte(c.r);
            rgb[i++] = toByte(c.g);
            rgb[i++] = toByte(c.b);
        }
    }
    tjhandle handle = tjInitCompress();
    if (!handle) {
        std::fprintf(stderr, "vesper-gen: cannot start the JPEG encoder\n");
        return false;
    }
    unsigned char* jpeg = nullptr;
    unsigned long size = 0;
    const int status = tjCompress2(handle, rgb.data(), image.width(), 0, image.height(), TJPF_RGB,
                                   &jpeg, &size, TJSAMP_444, quality, TJFLAG_ACCURATEDCT);
    bool ok = status == 0;
    if (!ok) {
        std::fprintf(stderr, "vesper-gen: JPEG encoding of %s failed: %s\n", path.c_str(),
                     tjGetErrorStr2(handle));
    } else {
        std::FILE* file = std::fopen(path.c_str(), "wb");
        ok = file && std::fwrite(jpeg, 1, size, file) == size;
        if (file) ok = std::fclose(file) == 0 && ok;
        if (!ok) std::fprintf(stderr, "vesper-gen: cannot write %s\n", path.c_str());
    }
    tjFree(jpeg);
    tjDestroy(handle);
    return ok;
}

}  // namespace gen
