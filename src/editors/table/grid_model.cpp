#include "editors/table/grid_model.h"

#include "base/prompt.h"
#include "editors/table/date_time_format.h"
#include "editors/table/grid_messages.h"
#include "editors/table/number_format.h"

#include <algorithm>

namespace pelvoro {

TCustomEasyGrid::TCustomEasyGrid(Prompt &prompt, ScreenResolution resolution) : prompt_(prompt)
{
    content_.PageInfo = DefaultPageInfo(resolution);
    content_.Build(5, 5);
}

TCustomEasyGrid::~TCustomEasyGrid() = default;

// --- Messages ---------------------------------------------------------------------------------

void TCustomEasyGrid::ShowError(const QString &text)
{
    prompt_.Message(text, grid_text::kInfoCaption, PromptIcon::Error);
}

void TCustomEasyGrid::ShowInfo(const QString &text)
{
    prompt_.Message(text, grid_text::kInfoCaption, PromptIcon::Information);
}

bool TCustomEasyGrid::AskOk(const QString &text)
{
    return prompt_.Ask(text, grid_text::kQuestionCaption, int(PromptButton::Ok) | int(PromptButton::Cancel))
           == PromptButton::Ok;
}

void TCustomEasyGrid::Repaint(const GridRect &rect)
{
    if (autoUpdate_ && repaint_)
        repaint_(rect);
}

// --- Dimensions -------------------------------------------------------------------------------

bool TCustomEasyGrid::CanShrinkColumns(int count) const
{
    for (int col = count; col < ColCount(); ++col) {
        for (int row = 1; row < RowCount(); ++row) {
            if (Cell(col, row).IsMerged())
                return false;
        }
    }
    return true;
}

bool TCustomEasyGrid::CanShrinkRows(int count) const
{
    for (int col = 1; col < ColCount(); ++col) {
        for (int row = count; row < RowCount(); ++row) {
            if (Cell(col, row).IsMerged())
                return false;
        }
    }
    return true;
}

void TCustomEasyGrid::ApplyCountChange(int cols, int rows)
{
    content_.Cells.Resize(cols, rows, content_.CellFactory());
    content_.FitArrays();
    GridProperties &props = content_.Props;
    props.FixedCols = std::min(props.FixedCols, cols - 2);
    props.FixedRows = std::min(props.FixedRows, rows - 2);
    ClipSelection();
    RepaintAll();
}

void TCustomEasyGrid::SetColCount(int count)
{
    count = std::clamp(count, kMinColCount, kMaxColCount);
    if (count == ColCount() || (count < ColCount() && !CanShrinkColumns(count)))
        return;
    ApplyCountChange(count, RowCount());
}

void TCustomEasyGrid::SetRowCount(int count)
{
    count = std::max(count, kMinRowCount);
    if (count == RowCount() || (count < RowCount() && !CanShrinkRows(count)))
        return;
    ApplyCountChange(ColCount(), count);
}

void TCustomEasyGrid::SetFixedCols(int count)
{
    if (count < 0)
        throw EInvalidGridOperation(grid_text::kIndexOutOfRange);
    content_.Props.FixedCols = std::min(count, ColCount() - 2);
    ClipSelection();
    RepaintAll();
}

void TCustomEasyGrid::SetFixedRows(int count)
{
    if (count < 0)
        throw EInvalidGridOperation(grid_text::kIndexOutOfRange);
    content_.Props.FixedRows = std::min(count, RowCount() - 2);
    ClipSelection();
    RepaintAll();
}

// --- Grid-level values ------------------------------------------------------------------------

void TCustomEasyGrid::SetDefaultColWidth(int width)
{
    content_.Props.DefaultColWidth = width;
    std::fill(content_.Arrays.ColWidths.begin(), content_.Arrays.ColWidths.end(), width);
    RepaintAll();
}

void TCustomEasyGrid::SetDefaultRowHeight(int height)
{
    content_.Props.DefaultRowHeight = height;
    std::fill(content_.Arrays.RowHeights.begin(), content_.Arrays.RowHeights.end(), height);
    RepaintAll();
}

#define PELVORO_GRID_VIEW_SETTER(Name, Type)    \
    void TCustomEasyGrid::Set##Name(Type value) \
    {                                           \
        content_.Props.Name = value;            \
        RepaintAll();                           \
    }

PELVORO_GRID_VIEW_SETTER(GridLineWidth, int)
PELVORO_GRID_VIEW_SETTER(FixedLineColor, TColor)
PELVORO_GRID_VIEW_SETTER(ClientLineColor, TColor)
PELVORO_GRID_VIEW_SETTER(TitleColor, TColor)
PELVORO_GRID_VIEW_SETTER(HighLightColor, TColor)
PELVORO_GRID_VIEW_SETTER(HighLightTextColor, TColor)
PELVORO_GRID_VIEW_SETTER(FocusedTitleColor, TColor)
PELVORO_GRID_VIEW_SETTER(ShowColTitle, bool)
PELVORO_GRID_VIEW_SETTER(ShowRowTitle, bool)
PELVORO_GRID_VIEW_SETTER(BorderStyle, TBorderStyle)
PELVORO_GRID_VIEW_SETTER(ScrollBars, TScrollStyle)
PELVORO_GRID_VIEW_SETTER(DefaultDrawing, bool)
PELVORO_GRID_VIEW_SETTER(AlwaysDrawFocus, bool)
PELVORO_GRID_VIEW_SETTER(ClientSizeable, bool)
PELVORO_GRID_VIEW_SETTER(GridCanCopyMove, bool)
PELVORO_GRID_VIEW_SETTER(GridCanFill, bool)
PELVORO_GRID_VIEW_SETTER(ShowPopup, bool)

#undef PELVORO_GRID_VIEW_SETTER

void TCustomEasyGrid::SetOptions(TEasyGridOptions options)
{
    content_.Props.Options = options & kAllGridOptions;
    ClipSelection();
    RepaintAll();
}

void TCustomEasyGrid::SetAutoUpdate(bool on)
{
    autoUpdate_ = on;
    if (on)
        RepaintAll();
}

template <typename T>
void TCustomEasyGrid::SetClientCells(T TCellInfo::*field, T value)
{
    for (int col = 1; col < ColCount(); ++col) {
        for (int row = 1; row < RowCount(); ++row)
            CellRef(col, row).*field = value;
    }
    RepaintAll();
}

#define PELVORO_GRID_CELL_SETTER(Name, Type)        \
    void TCustomEasyGrid::SetCell##Name(Type value) \
    {                                               \
        SetClientCells(&TCellInfo::Name, value);    \
        content_.Props.Cell.Name = value;           \
    }

PELVORO_GRID_CELL_SETTER(DataStyle, TDataStyle)
PELVORO_GRID_CELL_SETTER(AlignMode, TAlignMode)
PELVORO_GRID_CELL_SETTER(ShowForeText, bool)
PELVORO_GRID_CELL_SETTER(ReadOnly, bool)
PELVORO_GRID_CELL_SETTER(AutoWordBreak, bool)
PELVORO_GRID_CELL_SETTER(PenStyle, TPenStyle)
PELVORO_GRID_CELL_SETTER(AllowNegative, bool)
PELVORO_GRID_CELL_SETTER(TrailingZero, bool)
PELVORO_GRID_CELL_SETTER(ZeroNull, bool)
PELVORO_GRID_CELL_SETTER(ThousandSep, bool)
PELVORO_GRID_CELL_SETTER(Color, TColor)
PELVORO_GRID_CELL_SETTER(FontColor, TColor)
PELVORO_GRID_CELL_SETTER(FontStyle, TFontStyles)

#undef PELVORO_GRID_CELL_SETTER

void TCustomEasyGrid::SetCellLineWidth(int width)
{
    SetClientCells(&TCellInfo::LineWidth, qint32(width));
    content_.Props.Cell.LineWidth = width;
}

void TCustomEasyGrid::SetCellMaxLength(int length)
{
    SetClientCells(&TCellInfo::MaxLength, qint32(length));
    content_.Props.Cell.MaxLength = length;
}

void TCustomEasyGrid::SetCellIntLength(int length)
{
    SetClientCells(&TCellInfo::IntLength, qint32(length));
    content_.Props.Cell.IntLength = length;
}

void TCustomEasyGrid::SetCellDecLength(int length)
{
    SetClientCells(&TCellInfo::DecLength, qint32(length));
    content_.Props.Cell.DecLength = length;
}

void TCustomEasyGrid::SetCellFontSize(int size)
{
    SetClientCells(&TCellInfo::FontSize, qint32(size));
    content_.Props.Cell.FontSize = size;
}

void TCustomEasyGrid::SetCellFontName(const QString &name)
{
    content_.Props.Cell.FontName = name;
}

// --- Column and row arrays --------------------------------------------------------------------

namespace {

qint32 ReadEntry(const std::vector<qint32> &array, int index, qint32 fallback)
{
    return index >= 0 && size_t(index) < array.size() ? array[size_t(index)] : fallback;
}

void WriteEntry(std::vector<qint32> &array, int index, qint32 value)
{
    if (index < 0 || size_t(index) >= array.size())
        throw EInvalidGridOperation(grid_text::kIndexOutOfRange);
    array[size_t(index)] = value;
}

} // namespace

int TCustomEasyGrid::ColWidth(int col) const
{
    return ReadEntry(content_.Arrays.ColWidths, col, content_.Props.DefaultColWidth);
}

void TCustomEasyGrid::SetColWidth(int col, int width)
{
    WriteEntry(content_.Arrays.ColWidths, col, width);
    RepaintAll();
}

int TCustomEasyGrid::RowHeight(int row) const
{
    return ReadEntry(content_.Arrays.RowHeights, row, content_.Props.DefaultRowHeight);
}

void TCustomEasyGrid::SetRowHeight(int row, int height)
{
    WriteEntry(content_.Arrays.RowHeights, row, height);
    RepaintAll();
}

bool TCustomEasyGrid::ColTabStop(int col) const
{
    return ReadEntry(content_.Arrays.ColTabStops, col, 1) != 0;
}

void TCustomEasyGrid::SetColTabStop(int col, bool stop)
{
    WriteEntry(content_.Arrays.ColTabStops, col, stop ? 1 : 0);
}

bool TCustomEasyGrid::ColSizable(int col) const
{
    return col != 0 && ReadEntry(content_.Arrays.ColSizable, col, 1) != 0;
}

void TCustomEasyGrid::SetColSizable(int col, bool sizable)
{
    WriteEntry(content_.Arrays.ColSizable, col, sizable ? 1 : 0);
}

bool TCustomEasyGrid::RowSizable(int row) const
{
    return row != 0 && ReadEntry(content_.Arrays.RowSizable, row, 1) != 0;
}

void TCustomEasyGrid::SetRowSizable(int row, bool sizable)
{
    WriteEntry(content_.Arrays.RowSizable, row, sizable ? 1 : 0);
}

// --- Cells ------------------------------------------------------------------------------------

void TCustomEasyGrid::CheckCell(int col, int row) const
{
    if (col < 0 || row < 0 || col >= ColCount() || row >= RowCount())
        throw EInvalidGridOperation(grid_text::kIndexOutOfRange);
}

const TCellInfo &TCustomEasyGrid::Cell(int col, int row) const
{
    CheckCell(col, row);
    return content_.Cells.At(col, row);
}

TCellInfo &TCustomEasyGrid::CellRef(int col, int row)
{
    CheckCell(col, row);
    return content_.Cells.At(col, row);
}

QPoint TCustomEasyGrid::BlockOwner(int col, int row) const
{
    const TCellInfo &cell = Cell(col, row);
    return {col - cell.MergeToLeft, row - cell.MergeToTop};
}

bool TCustomEasyGrid::SetForeText(int col, int row, const QString &text)
{
    TCellInfo &cell = CellRef(col, row);
    QString value = text;
    if (text != cell.ForeText) {
        std::optional<QString> formatted = text;
        QString what;
        switch (cell.DataStyle) {
        case dsNumber:
            formatted = FormatNumberText(text, {cell.IntLength, cell.DecLength, cell.ThousandSep, cell.ZeroNull,
                                                cell.TrailingZero});
            what = grid_text::kWhatNumber;
            break;
        case dsDate:
            if (!text.isEmpty())
                formatted = FormatDateText(text);
            what = grid_text::kWhatDate;
            break;
        case dsTime:
            if (!text.isEmpty())
                formatted = FormatTimeText(text);
            what = grid_text::kWhatTime;
            break;
        default:
            break;
        }
        if (!formatted) {
            ShowError(grid_text::InvalidCellContent(col, row, what));
            return false;
        }
        cell.ForeText = *formatted;
        value = *formatted;
        if (cell.ShowForeText)
            Repaint(cell.MergeRectAt(col, row));
    }
    if (events.OnSetForeText)
        events.OnSetForeText(*this, col, row, value);
    return true;
}

void TCustomEasyGrid::SetBackText(int col, int row, const QString &text)
{
    TCellInfo &cell = CellRef(col, row);
    cell.BackText = text;
    if (!cell.ShowForeText)
        Repaint(cell.MergeRectAt(col, row));
    QString value = text;
    if (events.OnSetBackText)
        events.OnSetBackText(*this, col, row, value);
}

void TCustomEasyGrid::SetCellField(const GridRect &rect, CellProp prop, const QVariant &value)
{
    const int number = value.toInt();
    const bool flag = value.toBool();
    for (int col = rect.Left; col <= rect.Right; ++col) {
        for (int row = rect.Top; row <= rect.Bottom; ++row) {
            TCellInfo &cell = CellRef(col, row);
            switch (prop) {
            case CellProp::DataStyle:
                cell.DataStyle = TDataStyle(number);
                break;
            case CellProp::AlignMode:
                cell.AlignMode = TAlignMode(number);
                break;
            case CellProp::ReadOnly:
                cell.ReadOnly = flag;
                break;
            case CellProp::AutoWordBreak:
                cell.AutoWordBreak = flag;
                break;
            case CellProp::ShowForeText:
                cell.ShowForeText = flag;
                break;
            case CellProp::DrawTop:
                cell.DrawTop = flag;
                break;
            case CellProp::DrawLeft:
                cell.DrawLeft = flag;
                break;
            case CellProp::DrawRight:
                cell.DrawRight = flag;
                break;
            case CellProp::DrawBottom:
                cell.DrawBottom = flag;
                break;
            case CellProp::AllowNegative:
                cell.AllowNegative = flag;
                break;
            case CellProp::TrailingZero:
                cell.TrailingZero = flag;
                break;
            case CellProp::ZeroNull:
                cell.ZeroNull = flag;
                break;
            case CellProp::ThousandSep:
                cell.ThousandSep = flag;
                break;
            case CellProp::MaxLength:
                cell.MaxLength = number;
                break;
            case CellProp::IntLength:
                cell.IntLength = number;
                break;
            case CellProp::DecLength:
                cell.DecLength = number;
                break;
            case CellProp::LineWidth:
                cell.LineWidth = number;
                break;
            case CellProp::PenStyle:
                cell.PenStyle = TPenStyle(number);
                break;
            case CellProp::CellReserved:
                cell.CellReserved = number;
                break;
            case CellProp::Color:
                cell.Color = number;
                break;
            case CellProp::FontSize:
                cell.FontSize = number;
                break;
            case CellProp::FontColor:
                cell.FontColor = number;
                break;
            case CellProp::FontStyle:
                cell.FontStyle = TFontStyles(number);
                break;
            case CellProp::FontName:
                cell.FontName = value.toString();
                break;
            case CellProp::ForeText:
                SetForeText(col, row, value.toString());
                break;
            case CellProp::BackText:
                SetBackText(col, row, value.toString());
                break;
            }
        }
    }
}

void TCustomEasyGrid::SetCellProp(const GridRect &rect, CellProp prop, const QVariant &value)
{
    const GridRect clipped = rect.Normalized().Intersected(ClientRect());
    if (clipped.IsEmpty())
        return;
    SetCellField(clipped, prop, value);
    Repaint(clipped);
}

bool TCustomEasyGrid::ConfirmSetCellProp(const GridRect &range)
{
    bool canSet = true;
    if (events.BeforeSetCellProp)
        events.BeforeSetCellProp(*this, range, canSet);
    return canSet;
}

void TCustomEasyGrid::FinishSetCellProp(const GridRect &range)
{
    if (events.AfterSetCellProp)
        events.AfterSetCellProp(*this, range);
}

// --- Selection --------------------------------------------------------------------------------

GridRect TCustomEasyGrid::ScrollingRect() const
{
    return {FixedCols() + 1, FixedRows() + 1, ColCount() - 1, RowCount() - 1};
}

namespace {

QPoint ClampInto(QPoint point, const GridRect &rect)
{
    return {std::clamp(point.x(), rect.Left, rect.Right), std::clamp(point.y(), rect.Top, rect.Bottom)};
}

} // namespace

void TCustomEasyGrid::ClipSelection()
{
    const GridRect scrolling = ScrollingRect();
    current_ = ClampInto(current_, scrolling);
    anchor_ = ClampInto(anchor_, scrolling);
    GridRect selection = selection_.Normalized().Intersected(scrolling);
    if (selection.IsEmpty())
        selection = GridRect::Cell(current_.x(), current_.y());
    selection_ = ExpandToBlocks(selection);
    const QPoint topLeft = ClampInto(topLeft_, scrolling);
    if (topLeft != topLeft_) {
        topLeft_ = topLeft;
        if (events.OnTopLeftChanged)
            events.OnTopLeftChanged(*this);
    }
}

void TCustomEasyGrid::SetTopLeft(int col, int row)
{
    const QPoint topLeft = ClampInto({col, row}, ScrollingRect());
    if (topLeft == topLeft_)
        return;
    topLeft_ = topLeft;
    RepaintAll();
    if (events.OnTopLeftChanged)
        events.OnTopLeftChanged(*this);
}

bool TCustomEasyGrid::SelectCell(int col, int row)
{
    if (!ScrollingRect().Contains(col, row))
        return false;
    bool canSelect = true;
    if (events.OnSelectCell)
        events.OnSelectCell(*this, col, row, canSelect);
    if (!canSelect)
        return false;
    const GridRect old = selection_;
    current_ = anchor_ = QPoint(col, row);
    selection_ = ExpandToBlocks(GridRect::Cell(col, row));
    Repaint(old);
    Repaint(selection_);
    return true;
}

void TCustomEasyGrid::SetSelection(const GridRect &rect)
{
    const GridRect clipped = rect.Normalized().Intersected(ScrollingRect());
    if (clipped.IsEmpty())
        return;
    const GridRect old = selection_;
    selection_ = ExpandToBlocks(clipped);
    if (!selection_.Contains(current_.x(), current_.y())) {
        current_ = {clipped.Left, clipped.Top};
        anchor_ = {clipped.Right, clipped.Bottom};
    }
    Repaint(old);
    Repaint(selection_);
}

bool TCustomEasyGrid::AnyReadOnly(const GridRect &rect) const
{
    for (int col = rect.Left; col <= rect.Right; ++col) {
        for (int row = rect.Top; row <= rect.Bottom; ++row) {
            if (Cell(col, row).ReadOnly)
                return true;
        }
    }
    return false;
}

} // namespace pelvoro
