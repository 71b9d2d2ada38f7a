#pragma once
// The frame as 24-bit colour cells filling the terminal, drawn by our own
// converter and encoder on a raw terminal. It offers the frame loop what
// the libcaca console does (title, keys through the input pump, one picture
// per frame) and adds a cap on the frame rate, since a terminal that cannot
// keep up would otherwise fall ever further behind the song.
#include <cstdint>
#include <optional>
#include <string_view>

#include "platform/cell_encoder.h"
#include "platform/terminal_console.h"
#include "render/cell_converter.h"
#include "render/cell_fit.h"

class TruecolorConsole : public TerminalConsole {
public:
    TruecolorConsole(CellShape shape, int framesPerSecond, const TerminalReplies& replies = {});

    const CellArea& area() const { return area_; }
    CellArea pictureArea() const override { return area_; }
    // What the terminal shows after the last frame: its cells, each colour
    // within the show's tolerance of the frame's.
    const CellPicture* cells() const override { return converter_ ? &encoder_.shown() : nullptr; }

private:
    void fit(const TerminalSize& size) override;
    std::string_view encode(const PixelView& frame, std::string_view title) override;

    CellShape shape_;
    CellEncoder encoder_{kShowColorTolerance};
    std::optional<CellConverter> converter_;
    CellArea area_;
};
