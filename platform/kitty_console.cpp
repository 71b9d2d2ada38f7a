#include "platform/kitty_console.h"

#include <fcntl.h>
#include <sys/mman.h>
#include <unistd.h>

#include <cstring>

namespace {

// Enough for the frames a slow terminal may still be reading.
constexpr std::size_t kSharedFramesKept = 8;

}  // namespace

KittyTransfer chooseKittyTransfer(const TerminalReplies& replies, KittyTransfer direct) {
    return replies.kittySharedMemory ? KittyTransfer::SharedMemory : direct;
}

KittyConsole::KittyConsole(int framesPerSecond, const TerminalReplies& replies, KittyTransfer direct)
    : TerminalConsole(framesPerSecond, replies), encoder_(chooseKittyTransfer(replies, direct)), direct_(direct) {}

KittyConsole::~KittyConsole() { forgetSharedFrames(); }

std::string KittyConsole::leaveBytes() const { return std::string(kittyDeleteImage()); }

void KittyConsole::fit(const TerminalSize& size) {
    area_ = fitPicture(size.columns, size.rows, windowPixels(size));
    clear_ = true;
}

std::string writeSharedFrame(const std::vector<std::uint8_t>& rgb, unsigned long long serial) {
    const std::string name = "/vesper-glint-" + std::to_string(getpid()) + "-" + std::to_string(serial);
    // O_EXCL: never write into an object someone else made under our name.
    const int fd = shm_open(name.c_str(), O_RDWR | O_CREAT | O_EXCL, 0600);
    if (fd < 0) return {};
    bool written = ftruncate(fd, static_cast<off_t>(rgb.size())) == 0;
    if (written) {
        void* memory = mmap(nullptr, rgb.size(), PROT_WRITE, MAP_SHARED, fd, 0);
        written = memory != MAP_FAILED;
        if (written) {
            std::memcpy(memory, rgb.data(), rgb.size());
            munmap(memory, rgb.size());
        }
    }
    ::close(fd);
    if (!written) {
        shm_unlink(name.c_str());
        return {};
    }
    return name;
}

std::string KittyConsole::shareFrame() {
    std::string name = writeSharedFrame(encoder_.rgb(), ++sharedCount_);
    if (name.empty()) return name;
    shared_.push_back(name);
    if (shared_.size() > kSharedFramesKept) shared_.pop_front();
    return name;
}

void KittyConsole::forgetSharedFrames() {
    for (const std::string& name : shared_) shm_unlink(name.c_str());
    shared_.clear();
}

std::string_view KittyConsole::encode(const PixelView& frame, std::string_view title) {
    encoder_.takeFrame(frame);
    std::string name;
    if (encoder_.transfer() == KittyTransfer::SharedMemory && (name = shareFrame()).empty())
        encoder_.setTransfer(direct_);
    bytes_.clear();
    appendFramed(bytes_, {replies().synchronizedUpdate, clear_, title}, encoder_.commands(area_, name));
    clear_ = false;
    return bytes_;
}
