#pragma once
// The frame itself, 320 x 200 true-colour pixels, shown through the
// terminal graphics protocol and scaled by the terminal into the fitted
// box of cells. Where the terminal shares memory with us each frame goes
// through a shared memory object and only a short command crosses the
// terminal; elsewhere the pixels go as base64.
#include <cstdint>
#include <deque>
#include <string>
#include <string_view>
#include <vector>

#include "platform/kitty_encoder.h"
#include "platform/terminal_console.h"
#include "render/cell_fit.h"

class KittyConsole : public TerminalConsole {
public:
    // Shared memory where the terminal answered its probe, else `direct`;
    // `direct` too once an object cannot be made.
    KittyConsole(int framesPerSecond, const TerminalReplies& replies, KittyTransfer direct);
    ~KittyConsole() override;

    const CellArea& area() const { return area_; }
    CellArea pictureArea() const override { return area_; }
    KittyTransfer transfer() const { return encoder_.transfer(); }

private:
    std::string leaveBytes() const override;
    void fit(const TerminalSize& size) override;
    std::string_view encode(const PixelView& frame, std::string_view title) override;
    // The frame's pixels in a new shared memory object (writeSharedFrame),
    // remembered so it can be removed at the end.
    std::string shareFrame();
    void forgetSharedFrames();

    KittyEncoder encoder_;
    KittyTransfer direct_;
    CellArea area_;
    bool clear_ = true;
    unsigned long long sharedCount_ = 0;
    // Objects made lately: the terminal removes each once it has read it;
    // those it has not read by the end are removed at the end.
    std::deque<std::string> shared_;
    std::string bytes_;
};

// A new POSIX shared memory object holding `rgb`, named after this process
// and `serial`; its name, or empty when none could be made. The terminal
// that reads it removes it.
std::string writeSharedFrame(const std::vector<std::uint8_t>& rgb, unsigned long long serial);

// The transfer the terminal's replies call for.
KittyTransfer chooseKittyTransfer(const TerminalReplies& replies, KittyTransfer direct);
