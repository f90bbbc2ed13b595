#pragma once

#include "editors/table/grid_types.h"

#include <functional>

namespace pelvoro {

// Whether the cells of `area` form whole, non-overlapping merged blocks: the block each cell names
// contains the cell and lies inside `area`, and every cell of a block names the same block. A cell
// that is not merged names itself. Cells are visited once, and each block's cells once more.
bool BlocksAreConsistent(const GridRect &area, const std::function<GridRect(int col, int row)> &blockOf);

} // namespace pelvoro
