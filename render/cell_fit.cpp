#include "render/cell_fit.h"

#include <algorithm>

namespace {

constexpr long long kShapeColumns = 16;
constexpr long long kShapeRows = 5;

}  // namespace

CellArea fitPicture(int terminalColumns, int terminalRows) {
    const long long width = std::max(terminalColumns, 1);
    const long long height = std::max(terminalRows, 1);
    CellArea area;
    const long long widest = std::min(width, height * kShapeColumns / kShapeRows);
    const long long rounded = (widest * kShapeRows * 2 + kShapeColumns) / (kShapeColumns * 2);
    area.columns = static_cast<int>(std::max(widest, 1LL));
    area.rows = static_cast<int>(std::clamp(rounded, 1LL, height));
    area.column = static_cast<int>((width - area.columns) / 2);
    area.row = static_cast<int>((height - area.rows) / 2);
    return area;
}
