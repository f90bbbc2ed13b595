#include "editors/table/cell_info.h"

namespace pelvoro {

void TCellInfo::CopyContentFrom(const TCellInfo &other)
{
    const qint32 toLeft = MergeToLeft;
    const qint32 toTop = MergeToTop;
    const qint32 toRight = MergeToRight;
    const qint32 toBottom = MergeToBottom;
    *this = other;
    MergeToLeft = toLeft;
    MergeToTop = toTop;
    MergeToRight = toRight;
    MergeToBottom = toBottom;
}

} // namespace pelvoro
