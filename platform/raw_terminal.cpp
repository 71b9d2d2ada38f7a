#include "platform/raw_terminal.h"

#include <fcntl.h>
#include <poll.h>
#include <sys/ioctl.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <csignal>

#include "platform/signal_guard.h"
#include "platform/stalled_terminal.h"
#include "platform/terminal_output.h"

namespace {

// Push the window title, alternate screen, hidden cursor, no line wrap at
// the right edge (a cell written in the last column must not scroll).
constexpr std::string_view kEnterBytes = "\x1b[22;0t\x1b[?1049h\x1b[?25l\x1b[?7l";
// CAN first: it cancels an escape sequence cut off in the middle, so the
// rest is read as written. Then what the picture asks to undo, end any
// synchronized update, default colours, wrap, cursor, main screen, and the
// title pushed before.
constexpr char kCancel = '\x18';
constexpr std::string_view kRestoreBytes = "\x1b[?2026l\x1b[0m\x1b[?7h\x1b[?25h\x1b[?1049l\x1b[23;0t";

// How long closing waits for a slow terminal to take the last bytes, all
// of them together: a terminal that stopped reading must not hold a quit.
constexpr std::chrono::milliseconds kCloseWait{1000};

volatile std::sig_atomic_t g_resized = 0;
struct sigaction g_previousResizeAction;

void onResize(int) { g_resized = 1; }

void closeDescriptor(int& fd) {
    if (fd >= 0) ::close(fd);
    fd = -1;
}

termios rawModes(termios modes) {
    // Keys arrive byte by byte, unechoed; Ctrl+C, Ctrl+Z and Ctrl+\ come as
    // bytes too instead of signals. Reads return at once, empty or not.
    modes.c_lflag &= ~static_cast<tcflag_t>(ICANON | ECHO | ISIG | IEXTEN);
    modes.c_iflag &= ~static_cast<tcflag_t>(IXON | ICRNL | INLCR | IGNCR | BRKINT | ISTRIP);
    modes.c_cc[VMIN] = 0;
    modes.c_cc[VTIME] = 0;
    return modes;
}

}  // namespace

bool rawTerminalDrawsImages() { return true; }

bool consoleTakesVirtualTerminal() { return false; }

bool terminalHungUp(int fd) {
    pollfd waiting{fd, POLLIN, 0};
    return poll(&waiting, 1, 0) > 0 && (waiting.revents & (POLLHUP | POLLERR | POLLNVAL));
}

RawTerminal::~RawTerminal() { close(); }

std::string RawTerminal::restoreBytes(std::string_view leave) {
    std::string bytes(1, kCancel);
    bytes.append(leave);
    bytes.append(kRestoreBytes);
    return bytes;
}

std::string RawTerminal::open(std::string_view enter, std::string_view leave) {
    if (open_) return {};
    if (!sameTerminal(STDIN_FILENO, STDOUT_FILENO))
        return "needs one terminal on standard input and output";
    if (tcgetattr(STDIN_FILENO, &saved_) != 0) return "cannot read the terminal's modes";
    output_ = openOwnTerminal(STDOUT_FILENO, O_WRONLY);
    input_ = openOwnTerminal(STDIN_FILENO, O_RDONLY);
    if (output_ < 0 || input_ < 0) {
        closeDescriptor(output_);
        closeDescriptor(input_);
        return "cannot open the terminal for reading and writing";
    }
    restore_ = restoreBytes(leave);
    enter_.clear();
    enter_.append(kEnterBytes);
    enter_.append(enter);
    // A fatal signal from here on puts the modes and the screen back.
    if (!armTerminalRestore(STDOUT_FILENO, &saved_, restore_)) {
        closeDescriptor(output_);
        closeDescriptor(input_);
        return "cannot prepare the terminal's restore";
    }
    const termios raw = rawModes(saved_);
    if (tcsetattr(STDIN_FILENO, TCSANOW, &raw) != 0) {
        disarmTerminalRestore();
        closeDescriptor(output_);
        closeDescriptor(input_);
        return "cannot switch the terminal to raw input";
    }
    // A stop gives all of it back the same way; continuing takes it again.
    armTerminalResume(enter_);
    continues_ = continuedCount();
    gone_ = false;
    struct sigaction action = {};
    action.sa_handler = onResize;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    sigaction(SIGWINCH, &action, &g_previousResizeAction);
    g_resized = 0;
    open_ = true;
    writeWithin(output_, enter_, kCloseWait);
    return {};
}

void RawTerminal::close() {
    if (!open_) return;
    open_ = false;
    watchForStalledTerminal();
    // A frame cut off mid-way would swallow the restoring bytes.
    const auto deadline = std::chrono::steady_clock::now() + kCloseWait;
    writeWithin(output_, pending_, deadline);
    writeWithin(output_, restore_, deadline);
    pending_.clear();
    // Now, not once the output has drained: a terminal that stopped
    // reading never drains it.
    tcsetattr(STDIN_FILENO, TCSANOW, &saved_);
    disarmTerminalRestore();
    sigaction(SIGWINCH, &g_previousResizeAction, nullptr);
    closeDescriptor(output_);
    closeDescriptor(input_);
}

TerminalSize RawTerminal::size() const {
    winsize window{};
    TerminalSize size;
    if (ioctl(output_ >= 0 ? output_ : STDOUT_FILENO, TIOCGWINSZ, &window) == 0 &&
        window.ws_col > 0 && window.ws_row > 0) {
        size.columns = boundedCells(window.ws_col);
        size.rows = boundedCells(window.ws_row);
        size.pixels = boundedPixels(window.ws_xpixel, window.ws_ypixel);
    }
    return size;
}

bool RawTerminal::takeResize() {
    if (!g_resized) return false;
    g_resized = 0;
    return true;
}

bool RawTerminal::resumedAfterStop() {
    if (!open_ || continuedCount() == continues_) return false;
    continues_ = continuedCount();
    setDisplayModesAgain();
    return true;
}

void RawTerminal::readInput(std::string& bytes) {
    if (!open_ || gone_) return;
    pollfd waiting{input_, POLLIN, 0};
    if (poll(&waiting, 1, 0) < 0) return;
    char buffer[256];
    for (;;) {
        const ssize_t count = read(input_, buffer, sizeof buffer);
        if (count > 0) {
            bytes.append(buffer, static_cast<std::size_t>(count));
            continue;
        }
        // With no byte waiting a raw read returns 0 or EAGAIN; EIO is a
        // terminal whose other side has closed.
        if (count < 0 && errno == EIO) gone_ = true;
        if (count < 0 && errno == EINTR) continue;
        break;
    }
    // What came before the hang-up still counts.
    if (terminalHungUp(input_)) gone_ = true;
}

bool RawTerminal::writePending() {
    while (!pending_.empty()) {
        const ssize_t written = write(output_, pending_.data(), pending_.size());
        if (written > 0) {
            pending_.erase(0, static_cast<std::size_t>(written));
            continue;
        }
        if (written < 0 && errno == EINTR) continue;
        if (written < 0 && errno != EAGAIN && errno != EWOULDBLOCK) pending_.clear();  // gone
        return pending_.empty();
    }
    return true;
}

bool RawTerminal::readyForFrame() { return open_ && writePending(); }

void RawTerminal::sendFrame(std::string_view bytes) {
    if (!open_) return;
    pending_.append(bytes);
    writePending();
}

void RawTerminal::sendPendingUntil(std::chrono::steady_clock::time_point deadline) {
    using Clock = std::chrono::steady_clock;
    while (open_ && !writePending()) {
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now());
        if (left.count() <= 0) return;
        pollfd waiting{output_, POLLOUT, 0};
        if (poll(&waiting, 1, static_cast<int>(left.count())) <= 0) return;
    }
}
