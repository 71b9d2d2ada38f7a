#include "platform/pen_plan.h"

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
    int fewest = changes(*best);
    for (int i = 1; i < count && fewest > 0; ++i) {
        const int needed = changes(choices[i]);
        if (needed < fewest) {
            best = &choices[i];
            fewest = needed;
        }
    }
    PlannedCell cell;
    cell.column = column;
    cell.mask = best->mask;
    if (best->mask != 0) use(inkRun_, best->ink, best->inkAsked, cell.inkRun, cell.startsInk);
    if (best->mask != fullMask_)
        use(paperRun_, best->paper, best->paperAsked, cell.paperRun, cell.startsPaper);
    cells_.push_back(cell);
}
