#include "platform/kitty_console.h"

#include "engine/vrl.h"

KittyTransfer chooseKittyTransfer(const TerminalReplies& replies, KittyTransfer direct) {
    return replies.kittySharedMemory ? KittyTransfer::SharedMemory : direct;
}

KittyConsole::KittyConsole(int framesPerSecond, const TerminalReplies& replies, KittyTransfer direct)
    : TerminalConsole(framesPerSecond, replies),
      transfer_(chooseKittyTransfer(replies, direct)),
      encoder_(transfer_),
      direct_(direct) {}

KittyConsole::~KittyConsole() {
    for (int slot = 0; slot < kSharedFrameSlots; ++slot)
        if (made_[slot]) removeSharedObject(slot);
}

std::string KittyConsole::leaveBytes() const { return std::string(kittyDeleteImage()); }

void KittyConsole::fit(const TerminalSize& size) {
    area_ = fitPicture(size.columns, size.rows, windowPixels(size));
    clear_ = true;
}

std::string KittyConsole::shareFrame() {
    std::string error;
    switch (writeSharedObject(nextSlot_, encoder_.rgb(), error)) {
        case SharedObjectWrite::Busy: return {};
        case SharedObjectWrite::Failed:
            vrlMsg("The kitty picture cannot put its frames in shared memory (%s); "
                   "sending them through the terminal",
                   error.c_str());
            transfer_ = direct_;
            return {};
        case SharedObjectWrite::Written: break;
    }
    made_[nextSlot_] = true;
    std::string name = sharedObjectName(nextSlot_);
    nextSlot_ = (nextSlot_ + 1) % kSharedFrameSlots;
    return name;
}

std::string_view KittyConsole::encode(const PixelView& frame, std::string_view title) {
    encoder_.takeFrame(frame);
    const bool shared = transfer_ == KittyTransfer::SharedMemory;
    const std::string name = shared ? shareFrame() : std::string();
    encoder_.setTransfer(name.empty() ? direct_ : KittyTransfer::SharedMemory);
    bytes_.clear();
    appendFramed(bytes_, {replies().synchronizedUpdate, clear_, title}, encoder_.commands(area_, name));
    clear_ = false;
    return bytes_;
}
