#pragma once
// Which colours a row of cells is drawn in. A terminal's pen holds one
// foreground and one background colour at a time, and each change costs
// about twenty bytes, so cells share the pen's colour wherever one colour
// passes for all of them. Cells may be drawn up to a tolerance off the
// colours asked for: a run of cells drawn in one pen colour keeps the box
// of colours that pass for every cell in it, and is given the middle of
// that box once the row is planned: a colour one of its cells asked for
// where one is in it (so flat areas stay exact), else the box's middle. With
// no tolerance a run is one exact colour, and a change is made wherever the
// colour changes.
#include <cstdint>
#include <vector>

#include "platform/color_box.h"
#include "render/cell_picture.h"

struct PlannedCell {
    int column = 0;
    unsigned mask = 0;
    int inkRun = -1;  // index of the run that draws its foreground; -1 for none
    int paperRun = -1;
    bool startsInk = false;  // the pen changes colour here
    bool startsPaper = false;
};

class PenPlan {
public:
    static constexpr std::uint32_t kUnknownColor = 0xFFFFFFFFu;

    // A new row, drawn after the pen's colours (or kUnknownColor).
    void begin(std::uint32_t ink, std::uint32_t paper, CellShape shape);
    // The next cell of the row to draw, anywhere to the right of the last,
    // and how far its colours may be off.
    void add(int column, const Cell& wanted, int tolerance);

    const std::vector<PlannedCell>& cells() const { return cells_; }
    std::uint32_t colorOf(int run) const;
    // The pen after the row.
    std::uint32_t ink() const { return inkRun_ < 0 ? kUnknownColor : colorOf(inkRun_); }
    std::uint32_t paper() const { return paperRun_ < 0 ? kUnknownColor : colorOf(paperRun_); }

private:
    // One colour of the pen over cells: the box that passes for all of them
    // and, while it is in the box, a colour one of them asked for.
    struct Run {
        ColorBox box;
        std::uint32_t asked = 0;
        bool askedFits = true;
    };
    // One way to draw a cell: the mask, and for each colour shown the box
    // and the colour asked for (the ink unused when the mask is empty, the
    // paper when it is full).
    struct Choice {
        unsigned mask = 0;
        ColorBox ink;
        std::uint32_t inkAsked = 0;
        ColorBox paper;
        std::uint32_t paperAsked = 0;
    };
    // Whether a colour of the run passes for `box` too.
    bool fits(int run, const ColorBox& box) const {
        return run >= 0 && !runs_[static_cast<std::size_t>(run)].box.within(box).empty();
    }
    int changes(const Choice& choice) const {
        return (choice.mask != 0 && !fits(inkRun_, choice.ink)) +
               (choice.mask != fullMask_ && !fits(paperRun_, choice.paper));
    }
    void use(int& run, const ColorBox& box, std::uint32_t asked, int& cellRun, bool& starts);
    int startRun(const ColorBox& box, std::uint32_t asked);

    std::vector<Run> runs_;
    std::vector<PlannedCell> cells_;
    int inkRun_ = -1;
    int paperRun_ = -1;
    unsigned fullMask_ = 0;
};
