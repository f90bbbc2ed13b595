#include "editors/table/ui/table_editor_window.h"

#include "base/prompt.h"
#include "editors/table/table_editor_rules.h"
#include "editors/table/ui/cell_properties_dialog.h"
#include "editors/table/ui/table_colour_box.h"
#include "editors/table/ui/table_grid_view.h"
#include "pages/ui/window_placement.h"

#include <QActionGroup>
#include <QClipboard>
#include <QCloseEvent>
#include <QComboBox>
#include <QEvent>
#include <QFontDatabase>
#include <QGuiApplication>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QScrollArea>
#include <QStackedWidget>
#include <QStatusBar>
#include <QToolBar>
#include <QToolButton>
#include <QVBoxLayout>

#include <algorithm>

namespace pelvoro {
namespace {

const QString kDefaultFace = QStringLiteral("宋体");
const QStringList kFontSizes = {QStringLiteral("6"),  QStringLiteral("8"),  QStringLiteral("9"),  QStringLiteral("10"),
                                QStringLiteral("11"), QStringLiteral("12"), QStringLiteral("14"), QStringLiteral("16"),
                                QStringLiteral("18"), QStringLiteral("20"), QStringLiteral("22"), QStringLiteral("24"),
                                QStringLiteral("26"), QStringLiteral("28"), QStringLiteral("36"), QStringLiteral("48"),
                                QStringLiteral("72")};
constexpr std::array<int, 3> kStatusWidths = {100, 100, 50};

} // namespace

TFrm_CellEdit::TFrm_CellEdit(Prompt &prompt, const ScreenInfo &screen, int screenIndex, QWidget *parent)
    : QMainWindow(parent), prompt_(prompt), screen_(screen), screenIndex_(screenIndex), engine_(prompt)
{
    setWindowTitle(QStringLiteral("自动表格"));
    TEasyGrid &grid = Grid();
    const TableStartSize start = TableStartSizeFor(screen.Width, screen.Height);
    grid.SetColCount(start.cols);
    grid.SetRowCount(start.rows);

    view_ = new TableGridView(grid, this);
    view_->setObjectName(QStringLiteral("EasyGrid1"));
    QFont font = view_->font();
    font.setPointSize(10);
    view_->setFont(font);
    view_->installEventFilter(this);
    connect(view_, &TableGridView::SelectionChanged, this, &TFrm_CellEdit::FollowSelection);
    connect(view_, &TableGridView::CellFormatRequested, this, &TFrm_CellEdit::OpenCellFormat);

    BuildToolBars();
    BuildCentre();
    for (std::size_t i = 0; i < status_.size(); ++i) {
        status_[i] = new QLabel(this);
        status_[i]->setFixedWidth(kStatusWidths[i]);
        status_[i]->setFrameShape(QFrame::Panel);
        status_[i]->setFrameShadow(QFrame::Sunken);
        statusBar()->addWidget(status_[i]);
    }

    // The window starts wide enough for its tool bars; the page area sizes it from there.
    resize(std::max(sizeHint().width(), 640), sizeHint().height());
    const int width = screen.Width;
    const int height = TableEditorPageHeight(screen.Height, screen.MainHeight);
    SetPageArea(width, height, PageMargins{}, 1);
    view_->setFixedSize(width + 42, height + 23);
    FitGrid(kFitBoth);
    SetPreview(false);
    FollowSelection();
    view_->setFocus();
}

TFrm_CellEdit::~TFrm_CellEdit()
{
    // The view observes the engine's grid, which goes after the window's children otherwise.
    delete view_;
}

QAction *TFrm_CellEdit::AddCommand(QToolBar *bar, const QString &caption, void (TFrm_CellEdit::*slot)())
{
    QAction *action = bar->addAction(caption);
    action->setObjectName(caption);
    if (slot)
        connect(action, &QAction::triggered, this, slot);
    commands_.insert(caption, action);
    return action;
}

void TFrm_CellEdit::BuildToolBars()
{
    for (int i = 1; i <= 5; ++i) {
        auto *bar = new QToolBar(this);
        bar->setObjectName(QStringLiteral("ToolBar%1").arg(i));
        bar->setMovable(false);
        bar->setFloatable(false);
        toolBars_.append(bar);
    }
    addToolBar(Qt::TopToolBarArea, toolBars_[0]);
    addToolBar(Qt::TopToolBarArea, toolBars_[1]);
    addToolBarBreak(Qt::TopToolBarArea);
    addToolBar(Qt::TopToolBarArea, toolBars_[2]);
    addToolBar(Qt::TopToolBarArea, toolBars_[3]);
    addToolBar(Qt::BottomToolBarArea, toolBars_[4]);

    // Files.
    AddCommand(toolBars_[0], QStringLiteral("打开Ulvan Cell文件"), &TFrm_CellEdit::OpenTableFile);
    AddCommand(toolBars_[0], QStringLiteral("保存当前编辑的文件"), nullptr);
    connect(commands_.value(QStringLiteral("保存当前编辑的文件")), &QAction::triggered, this, [this] { SaveTableFile(); });

    // Colours and font.
    QToolBar *format = toolBars_[1];
    format->addWidget(new QLabel(QStringLiteral(" 背景"), format));
    backColour_ = new TableColourBox(format);
    backColour_->setObjectName(QStringLiteral("BackColour"));
    backColour_->setToolTip(QStringLiteral("背景颜色"));
    format->addWidget(backColour_);
    format->addWidget(new QLabel(QStringLiteral(" 文字"), format));
    textColour_ = new TableColourBox(format);
    textColour_->setObjectName(QStringLiteral("TextColour"));
    textColour_->setToolTip(QStringLiteral("文字颜色"));
    format->addWidget(textColour_);
    connect(backColour_, &QComboBox::activated, this,
            [this] { SetSelectionProp(CellProp::Color, int(backColour_->Colour())); });
    connect(textColour_, &QComboBox::activated, this,
            [this] { SetSelectionProp(CellProp::FontColor, int(textColour_->Colour())); });

    fontName_ = new QComboBox(format);
    fontName_->setObjectName(QStringLiteral("FontName"));
    QStringList families = QFontDatabase::families();
    if (!families.contains(kDefaultFace))
        families.prepend(kDefaultFace); // drawn with its substitute where it is not installed
    fontName_->addItems(families);
    fontName_->setCurrentText(kDefaultFace);
    format->addWidget(fontName_);
    connect(fontName_, &QComboBox::activated, this,
            [this] { SetSelectionProp(CellProp::FontName, fontName_->currentText()); });

    fontSize_ = new QComboBox(format);
    fontSize_->setObjectName(QStringLiteral("FontSize"));
    fontSize_->setEditable(true);
    fontSize_->setInsertPolicy(QComboBox::NoInsert);
    fontSize_->addItems(kFontSizes);
    fontSize_->setCurrentText(QStringLiteral("10"));
    fontSize_->lineEdit()->installEventFilter(this);
    format->addWidget(fontSize_);
    connect(fontSize_, &QComboBox::activated, this, &TFrm_CellEdit::ApplyFontSize);
    connect(fontSize_->lineEdit(), &QLineEdit::returnPressed, this, &TFrm_CellEdit::ApplyFontSize);

    // Structure.
    AddCommand(toolBars_[2], QStringLiteral("插入列"), &TFrm_CellEdit::InsertCols);
    AddCommand(toolBars_[2], QStringLiteral("插入行"), &TFrm_CellEdit::InsertRows);
    AddCommand(toolBars_[2], QStringLiteral("删除列"), &TFrm_CellEdit::DeleteCols);
    AddCommand(toolBars_[2], QStringLiteral("删除行"), &TFrm_CellEdit::DeleteRows);
    AddCommand(toolBars_[2], QStringLiteral("合并单元格"), &TFrm_CellEdit::MergeSelection);
    AddCommand(toolBars_[2], QStringLiteral("拆分单元格"), &TFrm_CellEdit::SplitSelection);

    // Alignment (one of three) and style toggles.
    auto *alignments = new QActionGroup(this);
    const std::array<std::pair<QString, TAlignMode>, 3> aligns = {{{QStringLiteral("居左对齐"), taLeft},
                                                                   {QStringLiteral("居中对齐"), taCenter},
                                                                   {QStringLiteral("居右对齐"), taRight}}};
    for (const auto &[caption, mode] : aligns) {
        QAction *action = AddCommand(toolBars_[3], caption, nullptr);
        action->setCheckable(true);
        alignments->addAction(action);
        connect(action, &QAction::triggered, this, [this, mode] { Align(mode); });
    }
    QAction *bold = AddCommand(toolBars_[3], QStringLiteral("黑体"), nullptr);
    bold->setCheckable(true);
    connect(bold, &QAction::triggered, this, [this] { ToggleFontStyle(kFontBold); });
    QAction *italic = AddCommand(toolBars_[3], QStringLiteral("斜体"), nullptr);
    italic->setCheckable(true);
    connect(italic, &QAction::triggered, this, [this] { ToggleFontStyle(kFontItalic); });

    // Lower bar: properties, sizes, pages and the preview switch.
    QToolBar *lower = toolBars_[4];
    AddCommand(lower, QStringLiteral("表格属性"), nullptr);
    connect(commands_.value(QStringLiteral("表格属性")), &QAction::triggered, this, [this] { OpenProperties(); });
    lower->addWidget(BuildSizeBox(rowHeight_, QStringLiteral("行高"), false));
    lower->addWidget(BuildSizeBox(colWidth_, QStringLiteral("列宽"), true));
    AddCommand(lower, QStringLiteral("上一页"), &TFrm_CellEdit::PriorPage);
    AddCommand(lower, QStringLiteral("下一页"), &TFrm_CellEdit::NextPage);
    QAction *preview = AddCommand(lower, QStringLiteral("预览"), nullptr);
    preview->setCheckable(true);
    connect(preview, &QAction::toggled, this, &TFrm_CellEdit::SetPreview);
}

QWidget *TFrm_CellEdit::BuildSizeBox(QLineEdit *&box, const QString &hint, bool column)
{
    auto *holder = new QWidget(this);
    holder->setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Fixed);
    auto *layout = new QHBoxLayout(holder);
    layout->setContentsMargins(2, 0, 2, 0);
    layout->setSpacing(0);
    box = new QLineEdit(QStringLiteral("20"), holder);
    box->setObjectName(column ? QStringLiteral("ColWidth") : QStringLiteral("RowHeight"));
    box->setToolTip(hint);
    box->setFixedWidth(40);
    layout->addWidget(box);
    auto *spinLayout = new QVBoxLayout;
    spinLayout->setSpacing(0);
    for (const bool up : {true, false}) {
        auto *spin = new QToolButton(holder);
        spin->setObjectName(box->objectName() + (up ? QStringLiteral("Up") : QStringLiteral("Down")));
        spin->setArrowType(up ? Qt::UpArrow : Qt::DownArrow);
        spin->setFixedSize(16, 11);
        spin->setToolTip(hint);
        connect(spin, &QToolButton::clicked, this, [this, column, up] { SpinSize(column, up); });
        spinLayout->addWidget(spin);
        spins_[(column ? 2 : 0) + (up ? 0 : 1)] = spin;
    }
    layout->addLayout(spinLayout);
    return holder;
}

void TFrm_CellEdit::BuildCentre()
{
    panels_ = new QStackedWidget(this);
    scrollBox_ = new QScrollArea(panels_);
    scrollBox_->setObjectName(QStringLiteral("ScrollBox1"));
    scrollBox_->setWidgetResizable(false);
    scrollContent_ = new QWidget;
    view_->setParent(scrollContent_);
    scrollBox_->setWidget(scrollContent_);
    scrollBox_->viewport()->installEventFilter(this);
    panels_->addWidget(scrollBox_);

    auto *previewPanel = new QWidget(panels_);
    previewPanel->setObjectName(QStringLiteral("PreviewPanel"));
    previewPanel->setAutoFillBackground(true);
    auto *layout = new QGridLayout(previewPanel);
    previewImage_ = new QLabel(previewPanel);
    previewImage_->setObjectName(QStringLiteral("Img_Preview"));
    layout->addWidget(previewImage_, 0, 0, Qt::AlignCenter);
    panels_->addWidget(previewPanel);
    setCentralWidget(panels_);
}

int TFrm_CellEdit::BarsHeight() const
{
    const auto rowHeight = [this](int a, int b) {
        return std::max(toolBars_[a]->sizeHint().height(), toolBars_[b]->sizeHint().height());
    };
    return rowHeight(0, 1) + rowHeight(2, 3) + toolBars_[4]->sizeHint().height() + statusBar()->sizeHint().height();
}

void TFrm_CellEdit::SetPageArea(int width, int height, const PageMargins &margins, int colourModel)
{
    const PageArea previous = engine_.GetPageArea();
    const QSize size = TableEditorWindowSize(this->size(), BarsHeight(), QSize(previous.width, previous.height));
    if (size != this->size()) {
        resize(size);
        KeepWindowOnDesktop(*this); // a screen of many dots makes a window larger than the desktop
    }
    engine_.SetPageArea(width, height, margins, colourModel);
    if (colourModel != previous.colourModel) {
        backColour_->SetColourModel(colourModel, kColorBlack);
        textColour_->SetColourModel(colourModel, kColorRed);
    }
    FitGrid(kFitBoth);
}

void TFrm_CellEdit::CentreGrid()
{
    const int client = scrollBox_->viewport()->width();
    view_->move(std::max(0, (client - view_->width()) / 2), 0);
    scrollContent_->resize(std::max(client, view_->width()), view_->height());
}

void TFrm_CellEdit::FitGrid(FitKind kind)
{
    CentreGrid();
    TEasyGrid &grid = Grid();
    const PageArea area = engine_.GetPageArea();
    const PageMargins &margins = engine_.Margins();
    if (kind & kFitRows) {
        const int share = TableFitRowHeight(area.height, margins.Top, margins.Bottom, grid.RowCount(),
                                            grid.Props().Cell.FontSize);
        for (int row = 1; row < grid.RowCount(); ++row)
            grid.SetRowHeight(row, share);
        rowHeight_->setText(QString::number(share));
    }
    if (kind & kFitCols) {
        const int share = TableFitShare(area.width, margins.Left, margins.Right, grid.ColCount());
        if (share >= 0) {
            for (int col = 1; col < grid.ColCount(); ++col)
                grid.SetColWidth(col, share);
            colWidth_->setText(QString::number(share));
        }
    }
    view_->viewport()->update();
}

void TFrm_CellEdit::FollowSelection()
{
    const TEasyGrid &grid = Grid();
    const QPoint current = grid.CurrentCell();
    const TCellInfo &cell = grid.Cell(current.x(), current.y());
    Command(QStringLiteral("黑体"))->setChecked(cell.FontStyle & kFontBold);
    Command(QStringLiteral("斜体"))->setChecked(cell.FontStyle & kFontItalic);
    fontSize_->setCurrentText(QString::number(cell.FontSize));
    fontName_->setCurrentText(cell.FontName);
    rowHeight_->setText(QString::number(grid.RowHeight(current.y())));
    colWidth_->setText(QString::number(grid.ColWidth(current.x())));
    const QString align = cell.AlignMode == taLeft     ? QStringLiteral("居左对齐")
                          : cell.AlignMode == taCenter ? QStringLiteral("居中对齐")
                          : cell.AlignMode == taRight  ? QStringLiteral("居右对齐")
                                                       : QString();
    if (!align.isEmpty())
        Command(align)->setChecked(true);
    textColour_->SelectColour(cell.FontColor);
    backColour_->SelectColour(cell.Color);
}

void TFrm_CellEdit::KeepAsUnedited()
{
    unedited_ = Grid().Content();
}

bool TFrm_CellEdit::Edited()
{
    // The page layout is rewritten by every pagination, the preview's included: not an edit.
    const GridContent &now = Grid().Content();
    return now.Props != unedited_.Props || now.Arrays != unedited_.Arrays || now.Cells != unedited_.Cells;
}

void TFrm_CellEdit::showEvent(QShowEvent *event)
{
    QMainWindow::showEvent(event);
    KeepWindowOnDesktop(*this);
    // The table the operator first sees, fitted to the page area by whoever opened the window.
    if (!shown_) {
        shown_ = true;
        KeepAsUnedited();
    }
}

void TFrm_CellEdit::closeEvent(QCloseEvent *event)
{
    // Text still in a cell's editor belongs to the table.
    if (view_->EditorShown())
        view_->HideEditor();
    if (!Edited()) {
        event->accept();
        return;
    }
    const PromptButtons buttons = int(PromptButton::Yes) | int(PromptButton::No) | int(PromptButton::Cancel);
    const PromptButton answer = prompt_.Ask(QStringLiteral("是否保存当前编辑文件？"), QStringLiteral("提示信息"),
                                            buttons);
    // A save that wrote nothing keeps the window, and the table, open.
    if (answer == PromptButton::Cancel || (answer == PromptButton::Yes && !SaveTableFile())) {
        event->ignore();
        return;
    }
    event->accept();
}

bool TFrm_CellEdit::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == scrollBox_->viewport() && event->type() == QEvent::Resize) {
        CentreGrid();
    } else if (watched == fontSize_->lineEdit() && event->type() == QEvent::KeyPress) {
        const auto *key = static_cast<QKeyEvent *>(event);
        const bool types = key->key() == Qt::Key_Backspace || key->key() == Qt::Key_Return
                           || key->key() == Qt::Key_Enter || (!key->text().isEmpty() && key->text()[0].isPrint());
        if (types && !TableFontSizeKeyAccepted(int(fontSize_->lineEdit()->text().size()), key->key(), key->text()))
            return true;
    } else if (watched == view_ && event->type() == QEvent::KeyRelease) {
        const auto *key = static_cast<QKeyEvent *>(event);
        if (key->key() == Qt::Key_V && (key->modifiers() & Qt::ControlModifier) && !key->isAutoRepeat())
            PasteText(QGuiApplication::clipboard()->text());
    }
    return QMainWindow::eventFilter(watched, event);
}

} // namespace pelvoro
