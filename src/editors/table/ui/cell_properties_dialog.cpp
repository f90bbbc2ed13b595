#include "editors/table/ui/cell_properties_dialog.h"

namespace pelvoro {

TFormCellProp::TFormCellProp(TCustomEasyGrid &grid, const GridRect &selection, QWidget *parent)
    : QDialog(parent), grid_(grid), selection_(selection)
{
    setWindowTitle(QStringLiteral("单元格格式"));
}

TFormCellProp::~TFormCellProp() = default;

} // namespace pelvoro
