#pragma once
// One line of text as a picture, in libcaca's first built-in font, for
// labelling contact sheet cells.
#include <string>

#include "tools/capture/image.h"

// Light grey on black; the picture is as wide as the text.
RgbImage renderLabel(const std::string& text);

// Height of a rendered label, in pixels.
int labelHeight();
