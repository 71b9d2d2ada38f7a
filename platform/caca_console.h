#pragma once
// The console picture: libcaca's classic one-display, one-canvas bitmap
// interface, as the show calls it. libcaca 0.99 keeps that interface only as
// a macro layer that loses keyboard events under its terminal driver, so
// these few calls are rebuilt here on the current API.
#include <caca.h>

#include <string>
#include <vector>

// Opens the display (libcaca picks the driver: X11 when DISPLAY is set,
// else the terminal; CACA_DRIVER overrides, and consoleUseDriver overrides
// both). 0 on success.
int caca_init();
void caca_set_delay(int microseconds);
void caca_set_window_title(const char* title);
// A dither describing a packed-pixel bitmap. The show and the capture tool
// both make theirs here, so both turn a frame into the same characters.
caca_dither_t* caca_create_bitmap(int bitsPerPixel, int width, int height, int pitch,
                                  unsigned int redMask, unsigned int greenMask,
                                  unsigned int blueMask, unsigned int alphaMask);
// Renders the bitmap into the character area from (x1, y1), x2 x y2 cells
// (the show passes 0, 0, 80, 50). A terminal smaller than that gets the
// whole picture scaled into what it has, rather than a cut-off corner.
void caca_draw_bitmap(int x1, int y1, int x2, int y2, caca_dither_t* bitmap, void* pixels);
void caca_refresh();
void caca_free_bitmap(caca_dither_t* bitmap);  // null is ignored
void caca_end();                               // no-op when never opened

// The open display, or null. Its input goes to the process's input pump
// (platform/console_input.h) while it is open.
caca_display_t* consoleDisplay();

// The output drivers this libcaca was built with, by name.
std::vector<std::string> consoleDrivers();
// The driver caca_init opens; empty leaves the choice to libcaca.
void consoleUseDriver(const std::string& name);
