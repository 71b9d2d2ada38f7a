#pragma once
// The terminal as the pictures drawn without libcaca drive it: raw input
// read without waiting, the alternate screen with the cursor hidden, output
// that never makes the frame loop wait, and the window size with a flag for
// every resize. Closing (or destroying) it puts back the terminal modes and
// screen exactly as they were; so does a stop (SIGTSTP, Ctrl+Z), after
// which continuing takes the terminal over again (platform/signal_guard.h).
#include <termios.h>

#include <chrono>
#include <string>
#include <string_view>

#include "platform/terminal_size.h"

// True when the terminal on `fd` has hung up: its window or pane closed,
// which a show started without a controlling terminal (setsid) is never
// sent SIGHUP for.
bool terminalHungUp(int fd);

// Whether this system's terminal draws the images that take it over
// (kitty, sixel): a POSIX terminal may; a Windows console draws only the
// truecolor cells, and the show offers libcaca's picture and those there.
bool rawTerminalDrawsImages();

// Whether the console takes VT sequences (24-bit colour among them) once
// asked to: a Windows console that lets ENABLE_VIRTUAL_TERMINAL_PROCESSING
// be set (set back at once). False elsewhere, where COLORTERM tells.
bool consoleTakesVirtualTerminal();

class RawTerminal {
public:
    RawTerminal() = default;
    ~RawTerminal();
    RawTerminal(const RawTerminal&) = delete;
    RawTerminal& operator=(const RawTerminal&) = delete;

    // Takes over the terminal on standard input and output. `enter` is
    // sent after the terminal is taken over (and again after a stop),
    // `leave` before it is given back (on every way out, a stop's and a
    // fatal signal's too): what a picture sets up beyond the screen and
    // cursor, and undoes. Returns an error text that follows the picture's
    // name ("needs one terminal ..."), empty on success; on failure nothing
    // was changed.
    std::string open(std::string_view enter = {}, std::string_view leave = {});
    // Finishes any frame still being sent, then restores, giving the
    // terminal a second for both at the most. Safe to repeat.
    void close();
    bool isOpen() const { return open_; }

    // The bytes that undo what open(enter, leave) sent. While open, the
    // signal guard holds them and the saved modes for a fatal signal or a
    // stop.
    static std::string restoreBytes(std::string_view leave = {});

    // The window size, bounded; 80 x 24 when the terminal does not say, and
    // its pixels where the terminal told the kernel.
    TerminalSize size() const;
    // True once after each change of the window size.
    bool takeResize();
    // True once after the process was stopped and continued: raw input is
    // set again (after a SIGSTOP the shell may have changed the modes), and
    // what was on the screen is gone, so the next frame must be drawn whole.
    bool resumedAfterStop();

    // Appends whatever input is waiting; never waits, whatever the
    // terminal's modes.
    void readInput(std::string& bytes);
    // True once the terminal has hung up (its window closed) or its input
    // fails for good: nobody is left to watch.
    bool gone() const { return gone_; }

    // True when the last frame has been handed to the terminal whole, so a
    // new one may be sent. While the terminal is slow to take it, the
    // remainder is retried here and frames are dropped meanwhile.
    bool readyForFrame();
    // One write of a whole frame. What the terminal does not take at once
    // is kept and sent by readyForFrame() before any later frame.
    void sendFrame(std::string_view bytes);
    // Keeps handing the rest of the last frame to the terminal as fast as it
    // takes it, until all is sent or `deadline` comes. Without this a frame
    // larger than the terminal's buffer would go out one buffer a frame.
    void sendPendingUntil(std::chrono::steady_clock::time_point deadline);

private:
    bool writePending();

    bool open_ = false;
    bool gone_ = false;
    // Our own non-blocking descriptors of the terminal, so neither a
    // shell's modes nor its blocking descriptors can make a call wait.
    int output_ = -1;
    int input_ = -1;
    unsigned continues_ = 0;  // continuedCount() last seen
    termios saved_{};
    std::string enter_;
    std::string restore_;
    std::string pending_;
};
