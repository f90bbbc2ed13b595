#pragma once

#include "editors/table/grid_model.h"

#include <QDialog>

// "单元格格式": the formatting of the cells of the grid's selection.
namespace pelvoro {

class TFormCellProp : public QDialog {
    Q_OBJECT
public:
    // Shows the current cell's values; a property that differs among the cells of `selection` is
    // left undecided. "确定(&Y)" writes the decided properties into every cell of `selection`.
    TFormCellProp(TCustomEasyGrid &grid, const GridRect &selection, QWidget *parent = nullptr);
    ~TFormCellProp() override;

private:
    TCustomEasyGrid &grid_;
    GridRect selection_;
};

} // namespace pelvoro
