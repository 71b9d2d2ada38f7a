#include "platform/truecolor_console.h"

TruecolorConsole::TruecolorConsole(CellShape shape, int framesPerSecond, const TerminalReplies& replies)
    : TerminalConsole(framesPerSecond, replies), shape_(shape) {}

void TruecolorConsole::fit(const TerminalSize& size) {
    area_ = fitPicture(size.columns, size.rows, windowPixels(size));
    converter_.emplace(shape_, area_.columns, area_.rows);
    encoder_.invalidate();
}

std::string_view TruecolorConsole::encode(const PixelView& frame, std::string_view title) {
    return encoder_.encodeFrame(converter_->convert(frame.pixels), area_.column, area_.row, title);
}
