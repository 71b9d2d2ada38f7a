#pragma once
// The frame itself, 320 x 200 true-colour pixels, shown through the
// terminal graphics protocol and scaled by the terminal into the fitted
// box of cells. Where the terminal shares memory with us each frame goes
// through a shared memory object (platform/shared_frames.h) and only a
// short command crosses the terminal; elsewhere the pixels go as base64.
#include <array>
#include <cstdint>
#include <string>
#include <string_view>

#include "platform/kitty_encoder.h"
#include "platform/shared_frames.h"
#include "platform/terminal_console.h"
#include "render/cell_fit.h"

class KittyConsole : public TerminalConsole {
public:
    // Shared memory where the terminal answered its probe, else `direct`.
    KittyConsole(int framesPerSecond, const TerminalReplies& replies, KittyTransfer direct);
    // Removes every shared frame it made that is still there.
    ~KittyConsole() override;

    const CellArea& area() const { return area_; }
    CellArea pictureArea() const override { return area_; }
    // `direct` from the first object that cannot be made or filled on.
    KittyTransfer transfer() const { return transfer_; }

private:
    std::string leaveBytes() const override;
    void fit(const TerminalSize& size) override;
    std::string_view encode(const PixelView& frame, std::string_view title) override;
    // The frame's pixels in the ring's next slot: its name, or empty when
    // the terminal has not taken the slot's last frame away yet (this frame
    // then goes directly) or the object cannot be made (said once; every
    // frame goes directly from then on).
    std::string shareFrame();

    KittyTransfer transfer_;
    KittyEncoder encoder_;
    KittyTransfer direct_;
    CellArea area_;
    bool clear_ = true;
    int nextSlot_ = 0;
    std::array<bool, kSharedFrameSlots> made_{};  // slots that may hold an object of ours
    std::string bytes_;
};

// The transfer the terminal's replies call for.
KittyTransfer chooseKittyTransfer(const TerminalReplies& replies, KittyTransfer direct);
