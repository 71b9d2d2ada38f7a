#include "platform/pen_plan.h"

#include <algorithm>

namespace {

int channelOf(std::uint32_t color, int channel) {
    return static_cast<int>(color >> (8 * channel) & 0xFF);
}

}  // namespace

ColorBox ColorBox::around(std::uint32_t colour, int tolerance) {
    ColorBox box;
    for (int c = 0; c < 3; ++c) {
        box.low[c] = std::max(0, channelOf(colour, c) - tolerance);
        box.high[c] = std::min(255, channelOf(colour, c) + tolerance);
    }
    return box;
}

bool ColorBox::empty() const {
    return low[0] > high[0] || low[1] > high[1] || low[2] > high[2];
}

ColorBox ColorBox::within(const ColorBox& other) const {
    ColorBox box;
    for (int c = 0; c < 3; ++c) {
        box.low[c] = std::max(low[c], other.low[c]);
        box.high[c] = std::min(high[c], other.high[c]);
    }
    return box;
}

ColorBox ColorBox::including(const ColorBox& other) const {
    ColorBox box;
    for (int c = 0; c < 3; ++c) {
        box.low[c] = std::min(low[c], other.low[c]);
        box.high[c] = std::max(high[c], other.high[c]);
    }
    return box;
}

ColorBox ColorBox::including(std::uint32_t color) const { return including(around(color, 0)); }

int ColorBox::widest() const {
    return std::max({high[0] - low[0], high[1] - low[1], high[2] - low[2]});
}

bool ColorBox::holds(std::uint32_t color) const {
    for (int c = 0; c < 3; ++c)
        if (channelOf(color, c) < low[c] || channelOf(color, c) > high[c]) return false;
    return true;
}

std::uint32_t ColorBox::middle() const {
    std::uint32_t color = 0;
    for (int c = 0; c < 3; ++c)
        color |= static_cast<std::uint32_t>((low[c] + high[c]) / 2) << (8 * c);
    return color;
}

void PenPlan::begin(std::uint32_t ink, std::uint32_t paper, CellShape shape) {
    runs_.clear();
    cells_.clear();
    fullMask_ = (1u << (subCellColumns(shape) * subCellRows(shape))) - 1;
    // What the pen holds already is one exact colour.
    inkRun_ = ink == kUnknownColor ? -1 : startRun(ColorBox::around(ink, 0), ink);
    paperRun_ = paper == kUnknownColor ? -1 : startRun(ColorBox::around(paper, 0), paper);
}

std::uint32_t PenPlan::colorOf(int run) const {
    const Run& r = runs_[static_cast<std::size_t>(run)];
    return r.askedFits ? r.asked : r.box.middle();
}

int PenPlan::startRun(const ColorBox& box, std::uint32_t asked) {
    // One colour for two may be asked for by neither.
    runs_.push_back({box, asked & 0xFFFFFFu, box.holds(asked)});
    return static_cast<int>(runs_.size()) - 1;
}

bool PenPlan::fits(int run, const ColorBox& box) const {
    return run >= 0 && !runs_[static_cast<std::size_t>(run)].box.within(box).empty();
}

int PenPlan::changes(const Choice& choice) const {
    return (choice.mask != 0 && !fits(inkRun_, choice.ink)) +
           (choice.mask != fullMask_ && !fits(paperRun_, choice.paper));
}

// Narrows the pen's run to `box`, or starts a new one where no colour of
// the run passes.
void PenPlan::use(int& run, const ColorBox& box, std::uint32_t asked, int& cellRun, bool& starts) {
    if (fits(run, box)) {
        Run& r = runs_[static_cast<std::size_t>(run)];
        r.box = r.box.within(box);
        if (!r.askedFits || !r.box.holds(r.asked)) {
            r.asked = asked & 0xFFFFFFu;
            r.askedFits = r.box.holds(r.asked);
        }
    } else {
        run = startRun(box, asked);
        starts = true;
    }
    cellRun = run;
}

void PenPlan::add(int column, const Cell& wanted, int tolerance) {
    const std::uint32_t fg = wanted.foreground, bg = wanted.background;
    const ColorBox foreground = ColorBox::around(fg, tolerance);
    const ColorBox background = ColorBox::around(bg, tolerance);
    // The cell as it is, its inverse (mask flipped, colours swapped: the
    // same look) and, where its two colours are near enough, one colour as
    // a space or a full block; the first with the fewest changes wins.
    Choice choices[4] = {{wanted.mask, foreground, fg, background, bg},
                         {~wanted.mask & fullMask_, background, bg, foreground, fg}};
    int count = 2;
    const ColorBox both = foreground.within(background);
    if (wanted.mask != 0 && wanted.mask != fullMask_ && !both.empty()) {
        choices[count++] = {0, both, fg, both, fg};
        choices[count++] = {fullMask_, both, fg, both, fg};
    }
    const Choice* best = &choices[0];
    for (int i = 1; i < count; ++i)
        if (changes(choices[i]) < changes(*best)) best = &choices[i];
    PlannedCell cell;
    cell.column = column;
    cell.mask = best->mask;
    if (best->mask != 0) use(inkRun_, best->ink, best->inkAsked, cell.inkRun, cell.startsInk);
    if (best->mask != fullMask_)
        use(paperRun_, best->paper, best->paperAsked, cell.paperRun, cell.startsPaper);
    cells_.push_back(cell);
}
