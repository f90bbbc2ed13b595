// The table editor's commands: formatting and structure of the selection, sizes, text paste, the
// dialogs, table files and the page preview.
#include "editors/table/ui/table_editor_window.h"

#include "base/app_dir.h"
#include "base/prompt.h"
#include "editors/table/grid_messages.h"
#include "editors/table/table_editor_rules.h"
#include "editors/table/ui/cell_properties_dialog.h"
#include "editors/table/ui/table_grid_view.h"

#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPainter>
#include <QStackedWidget>
#include <QToolBar>
#include <QToolButton>

namespace pelvoro {
namespace {

// A pasted field goes into its cell as it is: past the data style's formatting and the grid's
// events, which only the grid's own kind may do.
struct RawCellAccess : TCustomEasyGrid {
    static TCellInfo &Cell(TCustomEasyGrid &grid, int col, int row)
    {
        return (grid.*&RawCellAccess::CellRef)(col, row);
    }
};

} // namespace

template <typename F> void TFrm_CellEdit::GridCommand(F &&command)
{
    try {
        command();
    } catch (const EInvalidGridOperation &error) {
        prompt_.Message(error.Message(), grid_text::kInfoCaption, PromptIcon::Error);
    }
    FollowSelection();
}

void TFrm_CellEdit::SetSelectionProp(CellProp prop, const QVariant &value)
{
    GridCommand([&] { Grid().SetCellProp(Grid().Selection(), prop, value); });
}

void TFrm_CellEdit::Align(TAlignMode mode)
{
    SetSelectionProp(CellProp::AlignMode, int(mode));
}

void TFrm_CellEdit::ToggleFontStyle(TFontStyles bit)
{
    const QPoint current = Grid().CurrentCell();
    const TFontStyles style = Grid().Cell(current.x(), current.y()).FontStyle ^ bit;
    SetSelectionProp(CellProp::FontStyle, int(style));
}

void TFrm_CellEdit::ApplyFontSize()
{
    const QString text = TableFontSizeText(fontSize_->currentText());
    if (text != fontSize_->currentText())
        fontSize_->setCurrentText(text);
    SetSelectionProp(CellProp::FontSize, text.toInt());
}

void TFrm_CellEdit::InsertCols()
{
    GridCommand([this] { Grid().InsertCols(Grid().Selection()); });
    FitGrid(kFitCols);
}

void TFrm_CellEdit::InsertRows()
{
    GridCommand([this] { Grid().InsertRows(Grid().Selection()); });
    FitGrid(kFitCols);
}

void TFrm_CellEdit::DeleteCols()
{
    if (prompt_.Ask(QStringLiteral("你确定要删除一列数据"), QStringLiteral("信息提示！"),
                    int(PromptButton::Ok) | int(PromptButton::Cancel))
        != PromptButton::Ok)
        return;
    GridCommand([this] { Grid().DeleteCols(Grid().Selection()); });
    FitGrid(kFitCols);
}

void TFrm_CellEdit::DeleteRows()
{
    if (prompt_.Ask(QStringLiteral("你确定要删除一行数据"), QStringLiteral("信息提示！"),
                    int(PromptButton::Ok) | int(PromptButton::Cancel))
        != PromptButton::Ok)
        return;
    GridCommand([this] { Grid().DeleteRows(Grid().Selection()); });
    FitGrid(kFitCols);
}

void TFrm_CellEdit::MergeSelection()
{
    GridCommand([this] { Grid().MergeCells(Grid().Selection(), false); });
}

void TFrm_CellEdit::SplitSelection()
{
    GridCommand([this] { Grid().SplitCells(Grid().Selection()); });
}

void TFrm_CellEdit::SpinSize(bool column, bool up)
{
    QLineEdit *box = column ? colWidth_ : rowHeight_;
    const int value = up ? TableSizeSpinUp(box->text().toInt()) : TableSizeSpinDown(box->text().toInt());
    box->setText(QString::number(value));
    GridCommand([&] {
        const GridRect selection = Grid().Selection();
        if (column) {
            for (int col = selection.Left; col <= selection.Right; ++col)
                Grid().SetColWidth(col, value);
        } else {
            for (int row = selection.Top; row <= selection.Bottom; ++row)
                Grid().SetRowHeight(row, value);
        }
    });
}

void TFrm_CellEdit::PasteText(const QString &text)
{
    TEasyGrid &grid = Grid();
    const std::vector<PastedCell> cells = PlacePastedText(text, grid.Selection(), grid.ColCount(), grid.RowCount());
    if (cells.empty())
        return;
    for (const PastedCell &cell : cells)
        RawCellAccess::Cell(grid, cell.col, cell.row).ForeText = cell.text;
    view_->viewport()->update();
}

TFrmPara *TFrm_CellEdit::OpenProperties()
{
    if (!para_) {
        para_ = new TFrmPara(*this, this);
        connect(para_, &QDialog::accepted, this, &TFrm_CellEdit::FollowSelection);
    }
    para_->open();
    return para_;
}

TFormCellProp *TFrm_CellEdit::OpenCellFormat()
{
    auto *dialog = new TFormCellProp(Grid(), Grid().Selection(), this);
    dialog->setAttribute(Qt::WA_DeleteOnClose);
    connect(dialog, &QDialog::accepted, this, &TFrm_CellEdit::FollowSelection);
    dialog->open();
    return dialog;
}

// --- table files

void TFrm_CellEdit::OpenTableFile()
{
    FileDialogRequest request;
    request.caption = QStringLiteral("打开");
    request.directory = AppDir();
    request.filters = kTableFileFilters;
    const QString path = prompt_.OpenFile(request);
    if (path.isEmpty())
        return;
    const TableFileResult loaded = Grid().LoadFromFile(path);
    if (loaded.Ok())
        KeepAsUnedited();
    else
        prompt_.Message(loaded.message, grid_text::kInfoCaption, PromptIcon::Error);
    view_->viewport()->update();
    FollowSelection();
}

bool TFrm_CellEdit::SaveTableFile()
{
    FileDialogRequest request;
    request.caption = QStringLiteral("保存");
    request.directory = AppFile(TableSuggestedName(screenIndex_));
    request.filters = kTableFileFilters;
    const QString chosen = prompt_.SaveFile(request);
    if (chosen.isEmpty())
        return false;
    const TableFileResult saved = Grid().SaveToFile(TableSaveName(chosen));
    if (!saved.Ok()) {
        prompt_.Message(saved.message, grid_text::kInfoCaption, PromptIcon::Error);
        return false;
    }
    KeepAsUnedited();
    return true;
}

// --- preview

void TFrm_CellEdit::SetPreview(bool on)
{
    QAction *previewAction = Command(QStringLiteral("预览"));
    if (on) {
        view_->HideEditor();
        const PageArea area = engine_.GetPageArea();
        engine_.Pager().SetPageFrame(area.width, area.height, engine_.Margins());
        try {
            pageCount_ = engine_.Pager().GetPageCount();
        } catch (const ETablePageError &error) {
            prompt_.Message(error.Message(), grid_text::kInfoCaption, PromptIcon::Error);
            const QSignalBlocker blocker(previewAction);
            previewAction->setChecked(false);
            return;
        }
        page_ = 1;
    }
    previewing_ = on;
    {
        const QSignalBlocker blocker(previewAction);
        previewAction->setChecked(on);
    }
    for (int i = 0; i < 4; ++i)
        toolBars_[i]->setEnabled(!on);
    Command(QStringLiteral("表格属性"))->setEnabled(!on);
    rowHeight_->setEnabled(!on);
    colWidth_->setEnabled(!on);
    for (QToolButton *spin : spins_)
        spin->setEnabled(!on);
    panels_->setCurrentIndex(on ? 1 : 0);
    if (on) {
        const PageArea area = engine_.GetPageArea();
        previewImage_->setFixedSize(area.width, area.height);
        status_[0]->setText(QStringLiteral("共%1页").arg(pageCount_));
        ShowPreviewPage();
    } else {
        status_[0]->clear();
        status_[1]->clear();
        view_->setFocus();
    }
    UpdatePageButtons();
}

void TFrm_CellEdit::ShowPreviewPage()
{
    const PageArea area = engine_.GetPageArea();
    QImage image(std::max(area.width, 1), std::max(area.height, 1), QImage::Format_RGB32);
    image.fill(Qt::black);
    {
        QPainter painter(&image);
        try {
            engine_.Pager().DrawPage(painter, QRect(0, 0, area.width, area.height), page_);
        } catch (const ETablePageError &error) {
            prompt_.Message(error.Message(), grid_text::kInfoCaption, PromptIcon::Error);
        }
    }
    previewImage_->setPixmap(QPixmap::fromImage(image));
    previewPage_ = image;
    status_[1]->setText(QStringLiteral("第%1页").arg(page_));
}

void TFrm_CellEdit::UpdatePageButtons()
{
    Command(QStringLiteral("上一页"))->setEnabled(previewing_ && page_ >= 2);
    Command(QStringLiteral("下一页"))->setEnabled(previewing_ && page_ < pageCount_);
}

void TFrm_CellEdit::PriorPage()
{
    if (!previewing_)
        return;
    if (page_ > 1)
        --page_;
    ShowPreviewPage();
    UpdatePageButtons();
}

void TFrm_CellEdit::NextPage()
{
    if (!previewing_)
        return;
    if (page_ < pageCount_)
        ++page_;
    ShowPreviewPage();
    UpdatePageButtons();
}

} // namespace pelvoro
