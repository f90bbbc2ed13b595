#include "cli_command.h"
#include "screen_command.h"

#include "base/app_dir.h"
#include "base/gbk.h"
#include "base/prompt.h"
#include "editors/table/column_names.h"
#include "editors/table/grid_model.h"
#include "editors/table/table_editor_rules.h"
#include "editors/table/table_engine.h"
#include "pages/font_substitution.h"
#include "pages/led_sheet.h"
#include "pages/page_conversion.h"
#include "pages/raster.h"

#include <QImage>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QPainter>
#include <QRegularExpression>

// table: table files (.bls) made, shown and edited through the station's grid, so that the
// formatting of typed cells and the merge rules are the station's own.
namespace pelvoro::cli {

namespace {

// A table file opened into a grid; names are the caller's, relative to where the tool started.
struct OpenTable {
    CliPrompt prompt;
    TEasyGrid grid{prompt};
    QString path;
};

// "B3" or "2,3" as (column, row); nullopt when `text` is neither.
std::optional<QPoint> ParseCell(const QString &text)
{
    static const QRegularExpression named(QStringLiteral("^([A-Za-z]{1,2})([0-9]+)$"));
    static const QRegularExpression numbered(QStringLiteral("^([0-9]+),([0-9]+)$"));
    if (const auto match = named.match(text); match.hasMatch()) {
        const int col = ColumnFromName(match.captured(1));
        bool ok = false;
        const int row = match.captured(2).toInt(&ok);
        if (col > 0 && ok)
            return QPoint(col, row);
        return std::nullopt;
    }
    if (const auto match = numbered.match(text); match.hasMatch()) {
        bool colOk = false;
        bool rowOk = false;
        const QPoint cell(match.captured(1).toInt(&colOk), match.captured(2).toInt(&rowOk));
        if (colOk && rowOk)
            return cell;
    }
    return std::nullopt;
}

QPoint TakeCell(const QString &text)
{
    const auto cell = ParseCell(text);
    if (!cell)
        throw UsageError{QStringLiteral("\"%1\" is no cell: write B3 or 2,3").arg(text)};
    return *cell;
}

// "B2:C3", "2,2:3,3" or a single cell.
GridRect TakeRange(const QString &text)
{
    const QStringList corners = text.split(u':');
    if (corners.size() > 2)
        throw UsageError{QStringLiteral("\"%1\" is no range: write B2:C3 or 2,2:3,3").arg(text)};
    const QPoint from = TakeCell(corners.first());
    const QPoint to = TakeCell(corners.last());
    return GridRect{from.x(), from.y(), to.x(), to.y()}.Normalized();
}

QString CellName(int col, int row)
{
    const QString name = ColumnName(col);
    return name.isEmpty() ? QStringLiteral("%1,%2").arg(col).arg(row) : name + QString::number(row);
}

QString RangeName(const GridRect &r)
{
    if (r.IsSingleCell())
        return CellName(r.Left, r.Top);
    return CellName(r.Left, r.Top) + QLatin1Char(':') + CellName(r.Right, r.Bottom);
}

int Load(OpenTable &table, const QString &path)
{
    EnterAppDir();
    table.path = path;
    const TableFileResult result = table.grid.LoadFromFile(path);
    if (!result.Ok()) {
        Err(result.message);
        return kRefused;
    }
    return kOk;
}

int Save(const TCustomEasyGrid &grid, const QString &path)
{
    const TableFileResult result = grid.SaveToFile(path);
    if (!result.Ok()) {
        Err(result.message);
        return kRefused;
    }
    return kOk;
}

void CheckInside(const TCustomEasyGrid &grid, const GridRect &rect)
{
    if (!grid.GridBounds().Contains(rect))
        throw UsageError{QStringLiteral("%1 lies outside the table's %2 x %3 cells")
                             .arg(RangeName(rect))
                             .arg(grid.ColCount())
                             .arg(grid.RowCount())};
}

QString Hex(TColor color)
{
    return QStringLiteral("0x") + QStringLiteral("%1").arg(quint32(color), 8, 16, QLatin1Char('0')).toUpper();
}

QJsonArray Ints(const QList<int> &values)
{
    QJsonArray array;
    for (int value : values)
        array.append(value);
    return array;
}

const char *const kDataStyleNames[] = {"text", "number", "date", "time", "formula"};
const char *const kAlignNames[] = {"topLeft", "top",        "topRight", "left",       "center",
                                   "right",   "bottomLeft", "bottom",   "bottomRight"};
const char *const kPenNames[] = {"solid", "dash", "dot", "dashDot", "dashDotDot", "clear", "insideFrame"};

// The name of an enumeration value, or its number when it has none.
template <size_t N>
QJsonValue Named(const char *const (&names)[N], quint8 value)
{
    return value < N ? QJsonValue(QLatin1String(names[value])) : QJsonValue(int(value));
}

QJsonObject CellJson(const TCustomEasyGrid &grid, int col, int row)
{
    const TCellInfo &c = grid.Cell(col, row);
    const GridRect block = grid.MergeRect(col, row);
    QJsonArray borders;
    for (const auto &[on, side] :
         {std::pair{c.DrawTop, "top"}, {c.DrawLeft, "left"}, {c.DrawBottom, "bottom"}, {c.DrawRight, "right"}}) {
        if (on)
            borders.append(QLatin1String(side));
    }
    return QJsonObject{
        {QStringLiteral("cell"), CellName(col, row)},
        {QStringLiteral("col"), col},
        {QStringLiteral("row"), row},
        {QStringLiteral("foreText"), c.ForeText},
        {QStringLiteral("backText"), c.BackText},
        {QStringLiteral("merged"), block.IsSingleCell() ? QJsonValue() : QJsonValue(RangeName(block))},
        {QStringLiteral("dataStyle"), Named(kDataStyleNames, c.DataStyle)},
        {QStringLiteral("alignMode"), Named(kAlignNames, c.AlignMode)},
        {QStringLiteral("readOnly"), c.ReadOnly},
        {QStringLiteral("autoWordBreak"), c.AutoWordBreak},
        {QStringLiteral("showForeText"), c.ShowForeText},
        {QStringLiteral("borders"), borders},
        {QStringLiteral("allowNegative"), c.AllowNegative},
        {QStringLiteral("trailingZero"), c.TrailingZero},
        {QStringLiteral("zeroNull"), c.ZeroNull},
        {QStringLiteral("thousandSep"), c.ThousandSep},
        {QStringLiteral("maxLength"), c.MaxLength},
        {QStringLiteral("intLength"), c.IntLength},
        {QStringLiteral("decLength"), c.DecLength},
        {QStringLiteral("lineWidth"), c.LineWidth},
        {QStringLiteral("penStyle"), Named(kPenNames, c.PenStyle)},
        {QStringLiteral("color"), Hex(c.Color)},
        {QStringLiteral("fontName"), c.FontName},
        {QStringLiteral("fontSize"), c.FontSize},
        {QStringLiteral("fontColor"), Hex(c.FontColor)},
        {QStringLiteral("fontStyle"), c.FontStyle},
    };
}

QJsonObject PageJson(const TEasyGridPageInfo &page)
{
    const TCommonPageInfo &c = page.Common;
    return QJsonObject{
        {QStringLiteral("pageWidth"), c.PageWidth},
        {QStringLiteral("pageHeight"), c.PageHeight},
        {QStringLiteral("margins"), Ints({c.LeftMargin, c.TopMargin, c.RightMargin, c.BottomMargin})},
        {QStringLiteral("scale"), c.Scale},
        {QStringLiteral("orientation"), c.Orientation == 0 ? QStringLiteral("portrait") : QStringLiteral("landscape")},
        {QStringLiteral("monoColored"), page.MonoColored},
        {QStringLiteral("horzCenter"), page.HorzCenter},
        {QStringLiteral("vertCenter"), page.VertCenter},
        {QStringLiteral("horzSplit"), page.HorzSplit},
        {QStringLiteral("printGridLine"), page.PrintGridLine},
        {QStringLiteral("printColTitle"), page.PrintColTitle},
        {QStringLiteral("printRowTitle"), page.PrintRowTitle},
        {QStringLiteral("printFixedCols"), page.PrintFixedCols},
        {QStringLiteral("printFixedRows"), page.PrintFixedRows},
        {QStringLiteral("printConjunction"), page.PrintConjunction},
        {QStringLiteral("topConjunction"), page.TopConjunction()},
        {QStringLiteral("bottomConjunction"), page.BottomConjunction()},
    };
}

QJsonObject TableJson(const TCustomEasyGrid &grid)
{
    QList<int> widths;
    for (int col = 0; col < grid.ColCount(); ++col)
        widths << grid.ColWidth(col);
    QList<int> heights;
    for (int row = 0; row < grid.RowCount(); ++row)
        heights << grid.RowHeight(row);
    // A cell is shown when anything in it differs from a cell the grid would make there.
    QJsonArray cells;
    for (int row = 0; row < grid.RowCount(); ++row) {
        for (int col = 0; col < grid.ColCount(); ++col) {
            if (!(grid.Cell(col, row) == grid.Content().NewCell(col, row)))
                cells.append(CellJson(grid, col, row));
        }
    }
    const GridProperties &p = grid.Props();
    return QJsonObject{
        {QStringLiteral("cols"), grid.ColCount()},
        {QStringLiteral("rows"), grid.RowCount()},
        {QStringLiteral("fixedCols"), p.FixedCols},
        {QStringLiteral("fixedRows"), p.FixedRows},
        {QStringLiteral("defaultColWidth"), p.DefaultColWidth},
        {QStringLiteral("defaultRowHeight"), p.DefaultRowHeight},
        {QStringLiteral("gridLineWidth"), p.GridLineWidth},
        {QStringLiteral("colWidths"), Ints(widths)},
        {QStringLiteral("rowHeights"), Ints(heights)},
        {QStringLiteral("page"), PageJson(grid.PageInfo())},
        {QStringLiteral("cells"), cells},
    };
}

void OutJson(const QJsonValue &value)
{
    const QJsonDocument document = value.isArray() ? QJsonDocument(value.toArray()) : QJsonDocument(value.toObject());
    Out(QString::fromUtf8(document.toJson(QJsonDocument::Compact)));
}

QString TakeFile(QStringList &rest)
{
    if (rest.isEmpty())
        throw UsageError{QStringLiteral("give the table file")};
    return CallerFile(rest.takeFirst());
}

// --screen K when given, as a 0-based index.
std::optional<int> TakeOptionalScreen(CliArgs &args)
{
    const bool given = std::any_of(args.Rest().begin(), args.Rest().end(), [](const QString &arg) {
        return arg == QLatin1String("--screen") || arg.startsWith(QLatin1String("--screen="));
    });
    return given ? std::optional<int>(args.TakeScreen()) : std::nullopt;
}

int RunNew(CliArgs &args)
{
    const std::optional<int> screen = TakeOptionalScreen(args);
    const auto cols = args.TakeIntOption(QStringLiteral("--cols"));
    const auto rows = args.TakeIntOption(QStringLiteral("--rows"));
    if (cols && (*cols < kMinColCount || *cols > kMaxColCount))
        throw UsageError{QStringLiteral("--cols takes a count from 2 to 256 (the title column included)")};
    if (rows && *rows < kMinRowCount)
        throw UsageError{QStringLiteral("--rows takes a count of at least 2 (the title row included)")};
    QStringList rest = args.Positional();
    const QString path = TakeFile(rest);
    if (!rest.isEmpty())
        throw UsageError{QStringLiteral("unexpected argument %1").arg(rest.first())};
    // The table editor's new table: its colours always, its start size and fitting for a screen.
    CliPrompt prompt;
    TableEngine engine(prompt);
    TEasyGrid &grid = engine.Grid();
    if (screen) {
        const StationScreen station = LoadScreen(*screen);
        const ScreenInfo &info = station.table[*screen];
        engine.StartForScreen(info.Width, info.Height, info.MainHeight, cols, rows);
    } else {
        grid.SetColCount(cols.value_or(TableStartSize{}.cols));
        grid.SetRowCount(rows.value_or(TableStartSize{}.rows));
    }
    EnterAppDir();
    if (const int saved = Save(grid, path); saved != kOk)
        return saved;
    OutJson(QJsonObject{{QStringLiteral("cols"), grid.ColCount()},
                        {QStringLiteral("rows"), grid.RowCount()},
                        {QStringLiteral("colWidth"), grid.ColWidth(1)},
                        {QStringLiteral("rowHeight"), grid.RowHeight(1)}});
    return kOk;
}

int RunShow(CliArgs &args)
{
    QStringList rest = args.Positional();
    const QString path = TakeFile(rest);
    if (!rest.isEmpty())
        throw UsageError{QStringLiteral("unexpected argument %1").arg(rest.first())};
    OpenTable table;
    if (const int loaded = Load(table, path); loaded != kOk)
        return loaded;
    OutJson(TableJson(table.grid));
    return kOk;
}

int RunSet(CliArgs &args)
{
    QStringList rest = args.Positional();
    const QString path = TakeFile(rest);
    if (rest.isEmpty())
        throw UsageError{QStringLiteral("give at least one CELL=TEXT")};
    QList<std::pair<QPoint, QString>> assignments;
    for (const QString &assignment : rest) {
        const qsizetype equals = assignment.indexOf(u'=');
        if (equals < 0)
            throw UsageError{QStringLiteral("\"%1\" is no CELL=TEXT").arg(assignment)};
        assignments.append({TakeCell(assignment.left(equals)), assignment.mid(equals + 1)});
    }
    OpenTable table;
    if (const int loaded = Load(table, path); loaded != kOk)
        return loaded;
    QJsonArray written;
    for (const auto &[cell, text] : assignments) {
        CheckInside(table.grid, GridRect::Cell(cell.x(), cell.y()));
        // The file holds GBK: what it cannot hold would come back as '?'.
        if (const QString lost = CharactersGbkCannotHold(text); !lost.isEmpty()) {
            Err(QStringLiteral("单元格%1中有不能保存的字符：%2").arg(CellName(cell.x(), cell.y()), lost));
            return kRefused;
        }
        // A text the cell refuses has been reported; the file stays as it was.
        if (!table.grid.SetForeText(cell.x(), cell.y(), text))
            return kRefused;
        written.append(QJsonObject{{QStringLiteral("cell"), CellName(cell.x(), cell.y())},
                                   {QStringLiteral("foreText"), table.grid.ForeText(cell.x(), cell.y())}});
    }
    if (const int saved = Save(table.grid, path); saved != kOk)
        return saved;
    OutJson(written);
    return kOk;
}

int RunMergeOrSplit(CliArgs &args, bool merge)
{
    QStringList rest = args.Positional();
    const QString path = TakeFile(rest);
    if (rest.size() != 1)
        throw UsageError{QStringLiteral("give one RANGE such as B2:C3")};
    const GridRect range = TakeRange(rest.first());
    OpenTable table;
    if (const int loaded = Load(table, path); loaded != kOk)
        return loaded;
    CheckInside(table.grid, range);
    const bool done = merge ? table.grid.MergeCells(range, false) : table.grid.SplitCells(range);
    if (!done) {
        const QString why = merge ? QStringLiteral("%1 was not merged: it is a single cell, lies in a title row or "
                                                   "column, cuts a merged block or crosses the fixed cells' edge")
                                  : QStringLiteral("%1 was not split: it is a single cell or cuts a merged block");
        Err(why.arg(RangeName(range)));
        return kRefused;
    }
    if (const int saved = Save(table.grid, path); saved != kOk)
        return saved;
    OutJson(QJsonObject{{merge ? QStringLiteral("merged") : QStringLiteral("split"), RangeName(range)}});
    return kOk;
}

// One page drawn as the page conversion draws it for a W x H main area, reduced to the drawing
// palette; the lit dots are counted by the LED rule (red from 128 red, green from 128 green).
int RunExport(CliArgs &args)
{
    const auto width = args.TakeIntOption(QStringLiteral("--width"));
    const auto height = args.TakeIntOption(QStringLiteral("--height"));
    const int page = args.TakeIntOption(QStringLiteral("--page")).value_or(1);
    if (!width || !height || *width < 1 || *height < 1)
        throw UsageError{QStringLiteral("give the page size with --width W --height H (dots, 1 or more)")};
    QStringList rest = args.Positional();
    const QString path = TakeFile(rest);
    if (rest.size() != 1)
        throw UsageError{QStringLiteral("give one OUT.png after the table file")};
    const QString out = CallerFile(rest.first());

    InstallFontSubstitutions();
    EnterAppDir();
    CliPrompt prompt;
    TableEngine engine(prompt);
    engine.SetPageArea(*width, *height, {0, 0, *width, *height}, 2);
    if (const TableFileResult loaded = engine.LoadTable(path); !loaded.Ok()) {
        Err(loaded.message);
        return kRefused;
    }
    int pages = 0;
    try {
        pages = engine.TablePageCount();
    } catch (const ETablePageError &error) {
        Err(error.Message());
        return kRefused;
    }
    if (page < 1 || page > pages)
        throw UsageError{QStringLiteral("--page takes 1 to %1").arg(pages)};
    QImage image(*width, *height, QImage::Format_RGB32);
    image.fill(Qt::black);
    QPainter painter(&image);
    engine.DrawTablePage(painter, image.rect(), page);
    painter.end();
    ReduceToPalette(image);
    if (!image.save(out, "PNG")) {
        Err(QStringLiteral("cannot write %1").arg(out));
        return kRefused;
    }
    int red = 0;
    int green = 0;
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x) {
            const QRgb dot = image.pixel(x, y);
            red += qRed(dot) >= 128;
            green += qGreen(dot) >= 128;
        }
    }
    OutJson(QJsonObject{{QStringLiteral("pages"), pages},
                        {QStringLiteral("page"), page},
                        {QStringLiteral("red"), red},
                        {QStringLiteral("green"), green}});
    return kOk;
}

int RunSheet(CliArgs &args)
{
    const int index = args.TakeScreen();
    QStringList rest = args.Positional();
    const QString path = TakeFile(rest);
    if (rest.size() != 1)
        throw UsageError{QStringLiteral("give FILE.bls and OUT.png")};
    const QString out = CallerFile(rest[0]);
    const StationScreen station = LoadScreen(index);
    const ScreenInfo &screen = station.table[index];
    const RasterFormat format = RasterFormatOf(screen);
    // Each page packed for the screen and unpacked again: the dots its LEDs show.
    InstallFontSubstitutions();
    QList<QImage> pages;
    CliPrompt prompt;
    const TableDrawing drawn = DrawTablePages(screen, path, prompt, [&](int, int, const QImage &image) {
        pages.append(UnpackRaster(PackRaster(image, screen.Width, screen.MainHeight, format), screen.Width,
                                  screen.MainHeight, format));
        return true;
    });
    if (drawn.status != TableDrawing::Drawn) {
        Err(drawn.message);
        return kRefused;
    }
    const QImage sheet = DrawLedSheet(pages);
    if (const int written = ExportPng(sheet, out); written != kOk)
        return written;
    OutJson(QJsonObject{{QStringLiteral("pages"), int(pages.size())},
                        {QStringLiteral("width"), sheet.width()},
                        {QStringLiteral("height"), sheet.height()}});
    return kOk;
}

int RunTable(CliArgs &args)
{
    return RunSubCommand(args, {{"new", RunNew},
                                {"show", RunShow},
                                {"set", RunSet},
                                {"merge", [](CliArgs &a) { return RunMergeOrSplit(a, true); }},
                                {"split", [](CliArgs &a) { return RunMergeOrSplit(a, false); }},
                                {"export", RunExport},
                                {"sheet", RunSheet}});
}

} // namespace

PELVORO_CLI_COMMAND(CliCommand{
    QStringLiteral("table"),
    QStringLiteral("make, show and edit table files (.bls)"),
    QStringLiteral(
        "usage: pelvoro-cli [--dir DIR] table SUB-COMMAND FILE.bls [arguments]\n\n"
        "  table new [--screen K] [--cols C] [--rows R] OUT.bls\n"
        "      the table editor's new table: black cells, red text and lines, C columns and R rows, the\n"
        "      title column and row included (C 2..256, R 2 or more; default the editor's start size,\n"
        "      5 x 5). With --screen K the client columns and rows share screen K's page as the editor\n"
        "      fits them (its width, and its main area's height or 64 dots, whichever is more);\n"
        "      without it they keep the grid's default sizes. Prints {\"cols\": C, \"rows\": R,\n"
        "      \"colWidth\": width of column 1, \"rowHeight\": height of row 1}.\n"
        "  table show FILE.bls\n"
        "      the table as JSON: counts, fixed cells, column widths and row heights, the page layout,\n"
        "      and every cell that differs from a new one with its texts and formatting.\n"
        "  table set FILE.bls CELL=TEXT...\n"
        "      enters each text as the table editor does: number, date and time cells format it, and\n"
        "      a text they cannot read is reported on stderr (exit 1, the file unchanged).\n"
        "      Prints [{\"cell\": \"B3\", \"foreText\": stored text}, ...]. A text with characters GBK\n"
        "      cannot hold is refused, naming them (exit 1, the file unchanged).\n"
        "  table merge FILE.bls RANGE\n"
        "  table split FILE.bls RANGE\n"
        "      merge a range into one block (keeping the first text), or dissolve the blocks in it;\n"
        "      a range the grid refuses exits 1 with the reason.\n"
        "  table export FILE.bls --width W --height H [--page P] OUT.png\n"
        "      draws page P (default 1) as 添加数据页 draws it for a W x H main area and writes it\n"
        "      as a PNG. Prints {\"pages\": n, \"page\": P, \"red\": lit red dots, \"green\": lit green dots}.\n"
        "  table sheet FILE.bls --screen K OUT.png\n"
        "      every page the table makes on screen K's main area, as its LEDs show them (packed for\n"
        "      the screen: a single-colour screen lights every colour but black), enlarged as dots and\n"
        "      numbered; the page file is not touched. Prints {\"pages\": n, \"width\": w, \"height\": h}.\n\n"
        "CELL is B3 (column letters, row number) or 2,3 (column, row; 0 is the title); RANGE is\n"
        "B2:C3 or 2,2:3,3. FILE and OUT are relative to the directory the tool is started in.\n"
        "A damaged file is reported with the table editor's message and exits 1.\n"),
    RunTable,
});

} // namespace pelvoro::cli
