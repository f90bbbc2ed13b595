// Responsiveness of the table grid view on a 10,000-row table: one repaint of the visible grid
// after scrolling by a page, and one keystroke edit committed into a cell. Beside them, what the
// same machine takes to fill an image of the view's size and to repaint an empty widget of that
// size, so that the figures can be read against the hardware.

#include "editors/table/grid_model.h"
#include "editors/table/ui/table_grid_view.h"
#include "editors/table/ui/table_inplace_edit.h"

#include "silent_prompt.h"

#include <QApplication>
#include <QImage>
#include <QPainter>
#include <QTest>

#include <benchmark/benchmark.h>

namespace {

using namespace pelvoro;

constexpr int kRows = 10000;
constexpr QSize kViewSize(1000, 700);

// A table as an operator fills it: 10 columns, every cell holding a short text.
struct BigTable {
    BigTable()
    {
        grid.SetColCount(11);
        grid.SetRowCount(kRows);
        grid.SetOptions(grid.Props().Options | GridOptionBit(goEditing));
        grid.SetAutoUpdate(false);
        for (int row = 1; row < kRows; ++row) {
            for (int col = 1; col < 11; ++col)
                grid.SetForeText(col, row, QStringLiteral("R%1C%2").arg(row).arg(col));
        }
        grid.SetAutoUpdate(true);
        view.resize(kViewSize);
        view.show();
        view.setFocus();
        QApplication::processEvents();
    }

    SilentPrompt prompt;
    TEasyGrid grid{prompt};
    TableGridView view{grid};
};

BigTable &Table()
{
    static BigTable table;
    return table;
}

void BM_RepaintAfterPageScroll(benchmark::State &state)
{
    BigTable &table = Table();
    QImage image(table.view.viewport()->size(), QImage::Format_RGB32);
    int top = 1;
    for (auto _ : state) {
        const int page = table.view.VisibleRowCount();
        top = top + page >= kRows - page ? 1 : top + page;
        table.view.SetTopLeft(1, top);
        QPainter painter(&image);
        table.view.PaintGrid(painter, image.rect());
        painter.end();
        benchmark::DoNotOptimize(image.constBits());
    }
}
BENCHMARK(BM_RepaintAfterPageScroll)->Unit(benchmark::kMillisecond)->Iterations(100)->Repetitions(5)
    ->ReportAggregatesOnly(true);

// Type one character into a cell far down the table and commit it with Enter.
void BM_KeystrokeEditCommitted(benchmark::State &state)
{
    BigTable &table = Table();
    int row = kRows / 2;
    for (auto _ : state) {
        table.view.MoveCurrentCell(3, row);
        QTest::keyClick(&table.view, Qt::Key_7);
        QTest::keyClick(table.view.InplaceEditor(), Qt::Key_Return);
        table.view.HideEditor();
        if (table.grid.ForeText(3, row) != QStringLiteral("7")) {
            state.SkipWithError("the typed character was not committed");
            break;
        }
        row = row + 1 < kRows ? row + 1 : kRows / 2;
    }
}
BENCHMARK(BM_KeystrokeEditCommitted)->Unit(benchmark::kMillisecond)->Iterations(100)->Repetitions(5)
    ->ReportAggregatesOnly(true);

// References: the cost of touching every pixel of the view's size, and of one repaint of an
// empty widget of that size.
void BM_ReferenceFillImage(benchmark::State &state)
{
    QImage image(kViewSize, QImage::Format_RGB32);
    int shade = 0;
    for (auto _ : state) {
        image.fill(QColor(shade, shade, shade));
        shade = (shade + 1) & 0xFF;
        benchmark::DoNotOptimize(image.constBits());
    }
}
BENCHMARK(BM_ReferenceFillImage)->Unit(benchmark::kMillisecond)->Iterations(100)->Repetitions(5)
    ->ReportAggregatesOnly(true);

void BM_ReferenceEmptyWidgetRepaint(benchmark::State &state)
{
    QWidget widget;
    widget.resize(kViewSize);
    widget.show();
    QApplication::processEvents();
    for (auto _ : state)
        widget.repaint();
}
BENCHMARK(BM_ReferenceEmptyWidgetRepaint)->Unit(benchmark::kMillisecond)->Iterations(100)->Repetitions(5)
    ->ReportAggregatesOnly(true);

} // namespace
