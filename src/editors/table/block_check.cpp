#include "editors/table/block_check.h"

namespace pelvoro {

bool BlocksAreConsistent(const GridRect &area, const std::function<GridRect(int col, int row)> &blockOf)
{
    for (int col = area.Left; col <= area.Right; ++col) {
        for (int row = area.Top; row <= area.Bottom; ++row) {
            const GridRect block = blockOf(col, row);
            if (block.IsSingleCell())
                continue;
            if (!block.Contains(col, row) || !area.Contains(block))
                return false;
            if (col != block.Left || row != block.Top) {
                // Not the owner: the owner has to name the same block.
                if (blockOf(block.Left, block.Top) != block)
                    return false;
                continue;
            }
            for (int c = block.Left; c <= block.Right; ++c) {
                for (int r = block.Top; r <= block.Bottom; ++r) {
                    if (blockOf(c, r) != block)
                        return false;
                }
            }
        }
    }
    return true;
}

} // namespace pelvoro
