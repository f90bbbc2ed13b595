#include "editors/table/grid_types.h"

#include <algorithm>

namespace pelvoro {

GridRect GridRect::United(const GridRect &other) const
{
    return {std::min(Left, other.Left), std::min(Top, other.Top), std::max(Right, other.Right),
            std::max(Bottom, other.Bottom)};
}

GridRect GridRect::Intersected(const GridRect &other) const
{
    return {std::max(Left, other.Left), std::max(Top, other.Top), std::min(Right, other.Right),
            std::min(Bottom, other.Bottom)};
}

GridRect GridRect::Normalized() const
{
    return {std::min(Left, Right), std::min(Top, Bottom), std::max(Left, Right), std::max(Top, Bottom)};
}

} // namespace pelvoro
