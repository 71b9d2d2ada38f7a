#pragma once
// What a terminal says about itself when asked, picked out of its input.
//
// Replies come on the same input as the keys, so they are read with the
// keys and must be taken out before the keys are looked at: a reply such as
// ESC _ G i=31;OK ESC \ would otherwise read as Escape presses and letters.
// A terminal writes each reply in one piece, but a slow link may split it
// across reads, and a key typed meanwhile may sit between two replies; so
// the filter holds an unfinished sequence until it is complete or has
// waited kHoldMs, and passes everything that is not a reply on untouched.
#include <string>
#include <string_view>

#include "render/cell_fit.h"

struct TerminalReplies {
    // The primary device attributes: every terminal answers them, and it
    // answers in order, so their arrival means every earlier question
    // that will ever be answered has been.
    bool deviceAttributes = false;
    bool sixel = false;              // the attributes list 4
    bool kittyGraphics = false;      // the graphics query said OK
    bool kittySharedMemory = false;  // so did the shared-memory probe
    bool synchronizedUpdate = false; // mode 2026 is known
    bool sixelDisplayMode = false;   // mode 80 is set: sixels drawn at the top left, no scrolling
    int colorRegisters = 0;          // for sixel images; 0 when not said
    PixelSize sixelLimit;            // the largest sixel image
    PixelSize window;                // the text area in pixels
    PixelSize cell;                  // one cell in pixels
    bool operator==(const TerminalReplies&) const = default;
};

// The steady clock in milliseconds, as the filter and the key parser take it.
long long steadyNowMs();

class TerminalReplyFilter {
public:
    // How long an unfinished sequence waits for its end: as long as the
    // key parser waits after a lone Escape.
    static constexpr long long kHoldMs = 50;
    // The image ids of the graphics questions (terminalQuestions).
    static constexpr unsigned kGraphicsQueryId = 31;
    static constexpr unsigned kSharedMemoryQueryId = 32;

    // Takes bytes read at `nowMs` (any steady clock, in ms): replies are
    // recorded and dropped, everything else is appended to `keys` in order.
    void feed(std::string_view bytes, long long nowMs, std::string& keys);
    // Gives up a sequence left unfinished for kHoldMs (or any, with
    // `all`): its bytes were typed, not a reply, and go to `keys`. Returns
    // when they arrived, or -1 when nothing was given up, so a key parser
    // can time an Escape from its real arrival.
    long long flush(long long nowMs, std::string& keys, bool all = false);

    const TerminalReplies& replies() const { return replies_; }

private:
    enum class State { Ground, Escape, ControlSequence, Application, ApplicationEscape };
    void take(unsigned char byte, long long nowMs, std::string& keys);
    void startEscape(long long nowMs);
    void giveUp(std::string& keys);
    bool takeControlReply(std::string_view body);
    void takeApplicationReply(std::string_view body);

    State state_ = State::Ground;
    std::string held_;
    long long heldSinceMs_ = 0;
    TerminalReplies replies_;
};

// The questions, the device attributes last: the graphics query, the
// shared-memory probe when `sharedMemoryName` is not empty, colour
// registers and largest sixel image, synchronized update, the window and
// cell size in pixels.
std::string terminalQuestions(std::string_view sharedMemoryName);
