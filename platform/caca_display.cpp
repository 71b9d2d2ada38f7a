#include "platform/caca_display.h"

CacaDisplay::CacaDisplay(caca_dither_t* bitmap, int framesPerSecond) : bitmap_(bitmap), pacer_(framesPerSecond) {}

void CacaDisplay::setTitle(const char* title) { caca_set_window_title(title); }

void CacaDisplay::present(const PixelView& frame) {
    if (bitmap_) caca_draw_bitmap(0, 0, 80, 50, bitmap_, const_cast<std::uint32_t*>(frame.pixels));
    caca_refresh();
}

void CacaDisplay::waitForNextFrame() { pacer_.wait(); }
