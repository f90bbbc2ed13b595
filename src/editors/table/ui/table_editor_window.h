#pragma once

#include "config/screen_info.h"
#include "editors/table/table_engine.h"
#include "editors/table/ui/table_properties_dialog.h"

#include <QHash>
#include <QImage>
#include <QMainWindow>
#include <QPointer>

class QAction;
class QComboBox;
class QLabel;
class QLineEdit;
class QScrollArea;
class QStackedWidget;
class QToolBar;
class QToolButton;

// "自动表格": the table editor. A grid sized so that the whole table fills the current screen's main
// area, tool bars for formatting, merging, inserting and deleting, a page preview in the area's size
// and open and save of table files. The grid lives in the window's table engine; the view only
// shows and edits it.
namespace pelvoro {

class Prompt;
class TableColourBox;
class TableGridView;
class TFormCellProp;

class TFrm_CellEdit : public QMainWindow, public TablePageHost {
    Q_OBJECT
public:
    // Which sizes a fit sets.
    enum FitKind { kFitRows = 1, kFitCols = 2, kFitBoth = 3 };

    // Builds the grid and lays it out on `screen`'s main area in two colours.
    TFrm_CellEdit(Prompt &prompt, const ScreenInfo &screen, int screenIndex, QWidget *parent = nullptr);
    ~TFrm_CellEdit() override;

    // --- Page area --------------------------------------------------------------------------

    TEasyGrid &Grid() override { return engine_.Grid(); }
    PageArea GetPageArea() const override { return engine_.GetPageArea(); }
    // Resizes the window, keeps the page and its margins, switches the colour lists when the model
    // changes and fits rows and columns to the page.
    void SetPageArea(int width, int height, const PageMargins &margins, int colourModel) override;
    QSize ScreenMainArea() const override { return {screen_.Width, screen_.MainHeight}; }
    void FitColumns() override { FitGrid(kFitCols); }
    void FitGrid(FitKind kind);
    const PageMargins &Margins() const { return engine_.Margins(); }

    // The operations the page conversion also uses.
    TableFileResult LoadTable(const QString &path) { return engine_.LoadTable(path); }
    int TablePageCount() { return engine_.TablePageCount(); }
    void DrawTablePage(QPainter &painter, const QRect &rect, int page) { engine_.DrawTablePage(painter, rect, page); }

    // --- Commands -----------------------------------------------------------------------------

    void OpenTableFile();
    bool SaveTableFile(); // false when nothing was written
    void InsertCols();
    void InsertRows();
    void DeleteCols(); // asks first
    void DeleteRows();
    void MergeSelection();
    void SplitSelection();
    void Align(TAlignMode mode);
    void ToggleFontStyle(TFontStyles bit);
    // Clipboard text in tab-separated rows into the cells from the selection on.
    void PasteText(const QString &text);
    void SetPreview(bool on);
    void PriorPage();
    void NextPage();
    // "表格属性": the one kept dialog, application-modal without blocking the caller.
    TFrmPara *OpenProperties();
    // The cell-format dialog over the selection, created for this showing.
    TFormCellProp *OpenCellFormat();

    // --- Controls -----------------------------------------------------------------------------

    TableGridView *EasyGrid1() const { return view_; }
    // Tool bar buttons by caption ("合并单元格").
    QAction *Command(const QString &caption) const { return commands_.value(caption); }
    // 1 … 4 the upper tool bars, 5 the lower one.
    QToolBar *ToolBar(int number) const { return toolBars_.value(number - 1); }
    TableColourBox *BackColourBox() const { return backColour_; }
    TableColourBox *TextColourBox() const { return textColour_; }
    QComboBox *FontNameBox() const { return fontName_; }
    QComboBox *FontSizeBox() const { return fontSize_; }
    QLineEdit *RowHeightBox() const { return rowHeight_; }
    QLineEdit *ColWidthBox() const { return colWidth_; }
    // Spin buttons: the row height's (false) or the column width's (true), up or down.
    QToolButton *SpinButton(bool column, bool up) const { return spins_[(column ? 2 : 0) + (up ? 0 : 1)]; }
    QLabel *StatusPanel(int index) const { return status_[index]; }
    QScrollArea *ScrollBox() const { return scrollBox_; }
    QLabel *PreviewImage() const { return previewImage_; }
    // The page the preview shows, as drawn.
    const QImage &PreviewPageImage() const { return previewPage_; }
    bool Previewing() const { return previewing_; }
    int PreviewPage() const { return page_; }
    int PreviewPageCount() const { return pageCount_; }
    TFrmPara *PropertiesDialog() const { return para_; }

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;
    void showEvent(QShowEvent *event) override;
    // A table edited since it was shown, opened or saved is not dropped without a question.
    void closeEvent(QCloseEvent *event) override;

private:
    void BuildToolBars();
    QWidget *BuildSizeBox(QLineEdit *&box, const QString &hint, bool column);
    void BuildCentre();
    QAction *AddCommand(QToolBar *bar, const QString &caption, void (TFrm_CellEdit::*slot)());
    int BarsHeight() const;
    void CentreGrid();
    // Shows the current cell's formatting in the tool bars and its sizes in the boxes.
    void FollowSelection();
    void SpinSize(bool column, bool up);
    void ApplyFontSize();
    void SetSelectionProp(CellProp prop, const QVariant &value);
    void ShowPreviewPage();
    void UpdatePageButtons();
    // Runs a grid command; a refused operation is told to the operator.
    template <typename F> void GridCommand(F &&command);
    // The table as it is now counts as unedited.
    void KeepAsUnedited();
    bool Edited();

    Prompt &prompt_;
    ScreenInfo screen_;
    int screenIndex_ = 0;
    TableEngine engine_;
    TableGridView *view_ = nullptr;
    QStackedWidget *panels_ = nullptr;
    QScrollArea *scrollBox_ = nullptr;
    QWidget *scrollContent_ = nullptr;
    QLabel *previewImage_ = nullptr;
    QList<QToolBar *> toolBars_;
    QHash<QString, QAction *> commands_;
    TableColourBox *backColour_ = nullptr;
    TableColourBox *textColour_ = nullptr;
    QComboBox *fontName_ = nullptr;
    QComboBox *fontSize_ = nullptr;
    QLineEdit *rowHeight_ = nullptr;
    QLineEdit *colWidth_ = nullptr;
    std::array<QToolButton *, 4> spins_{};
    std::array<QLabel *, 3> status_{};
    TFrmPara *para_ = nullptr;
    bool previewing_ = false;
    int page_ = 1;
    int pageCount_ = 0;
    QImage previewPage_;
    GridContent unedited_;
    bool shown_ = false;
};

} // namespace pelvoro
