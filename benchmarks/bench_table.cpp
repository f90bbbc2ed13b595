// Table files and the grid's heavy operations on a large table: 100,000 rows x 20 columns with a
// text in every client cell (numbers, and Chinese in every fifth column), and grids of 10,000
// merged blocks.
#include "base/prompt.h"
#include "editors/table/grid_model.h"
#include "silent_prompt.h"

#include <QDir>
#include <QTemporaryDir>

#include <memory>

#include <benchmark/benchmark.h>

namespace {

constexpr int kRows = 100000;
constexpr int kCols = 20;

SilentPrompt &Prompt()
{
    static SilentPrompt prompt;
    return prompt;
}

std::unique_ptr<pelvoro::TEasyGrid> NewGrid()
{
    return std::make_unique<pelvoro::TEasyGrid>(Prompt(), pelvoro::ScreenResolution{96, 96});
}

// The large table, built once, and its file.
struct LargeTable {
    std::unique_ptr<pelvoro::TEasyGrid> grid = NewGrid();
    QTemporaryDir dir;
    QString path;
    QByteArray bytes;

    LargeTable()
    {
        grid->SetColCount(kCols + 1);
        grid->SetRowCount(kRows + 1);
        for (int col = 1; col <= kCols; ++col) {
            for (int row = 1; row <= kRows; ++row) {
                grid->SetForeText(col, row,
                                  col % 5 == 0 ? QStringLiteral("第%1行").arg(row) : QString::number(row * 37 + col));
            }
        }
        bytes = grid->SaveToBytes();
        path = QDir(dir.path()).filePath(QStringLiteral("large.bls"));
        grid->SaveToFile(path);
    }
};

LargeTable &Large()
{
    static LargeTable table;
    return table;
}

void BM_SaveLargeTableToBytes(benchmark::State &state)
{
    const LargeTable &table = Large();
    for (auto _ : state) {
        const QByteArray bytes = table.grid->SaveToBytes();
        benchmark::DoNotOptimize(bytes.constData());
    }
    state.SetBytesProcessed(state.iterations() * table.bytes.size());
}
BENCHMARK(BM_SaveLargeTableToBytes)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime()
    ->Repetitions(5)
    ->ReportAggregatesOnly(true);

// Written atomically: a temporary file flushed to disk, then renamed.
void BM_SaveLargeTableToFile(benchmark::State &state)
{
    const LargeTable &table = Large();
    const QString path = QDir(table.dir.path()).filePath(QStringLiteral("saved.bls"));
    for (auto _ : state) {
        if (!table.grid->SaveToFile(path).Ok()) {
            state.SkipWithError("SaveToFile failed");
            break;
        }
    }
    state.SetBytesProcessed(state.iterations() * table.bytes.size());
}
BENCHMARK(BM_SaveLargeTableToFile)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime()
    ->Repetitions(5)
    ->ReportAggregatesOnly(true);

void BM_LoadLargeTableFromFile(benchmark::State &state)
{
    const LargeTable &table = Large();
    auto grid = NewGrid();
    for (auto _ : state) {
        if (!grid->LoadFromFile(table.path).Ok()) {
            state.SkipWithError("LoadFromFile failed");
            break;
        }
    }
    state.SetBytesProcessed(state.iterations() * table.bytes.size());
}
BENCHMARK(BM_LoadLargeTableFromFile)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime()
    ->Repetitions(5)
    ->ReportAggregatesOnly(true);

void BM_LoadLargeTableFromBytes(benchmark::State &state)
{
    const LargeTable &table = Large();
    auto grid = NewGrid();
    for (auto _ : state) {
        if (!grid->LoadFromBytes(table.bytes).Ok()) {
            state.SkipWithError("LoadFromBytes failed");
            break;
        }
    }
    state.SetBytesProcessed(state.iterations() * table.bytes.size());
}
BENCHMARK(BM_LoadLargeTableFromBytes)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime()
    ->Repetitions(5)
    ->ReportAggregatesOnly(true);

// One row above row 1 of the large table, again and again (it grows by a row each time).
void BM_InsertRowAtTopOfLargeTable(benchmark::State &state)
{
    auto grid = NewGrid();
    if (!grid->LoadFromBytes(Large().bytes).Ok()) {
        state.SkipWithError("cannot load the large table");
        return;
    }
    for (auto _ : state)
        grid->InsertRows({1, 1, 1, 1});
}
BENCHMARK(BM_InsertRowAtTopOfLargeTable)->Unit(benchmark::kMillisecond)->Repetitions(5)->ReportAggregatesOnly(true);

// 10,000 blocks of 2 x 2 in a 201 x 201 grid; the rectangle cuts the blocks all round its edge.
void BM_ExpandToBlocksOverSquares(benchmark::State &state)
{
    auto grid = NewGrid();
    grid->SetColCount(201);
    grid->SetRowCount(201);
    for (int col = 1; col < 201; col += 2) {
        for (int row = 1; row < 201; row += 2)
            grid->MergeCells({col, row, col + 1, row + 1}, false);
    }
    for (auto _ : state) {
        const pelvoro::GridRect expanded = grid->ExpandToBlocks({2, 2, 199, 199});
        benchmark::DoNotOptimize(expanded);
    }
}
BENCHMARK(BM_ExpandToBlocksOverSquares)->Unit(benchmark::kMicrosecond)->Repetitions(5)->ReportAggregatesOnly(true);

// 10,000 blocks of 2 x 1 laid like bricks (each row offset by one column): expanding one cell
// spreads a column at a time until it spans the grid, the longest chain of growth.
void BM_ExpandToBlocksOverBricks(benchmark::State &state)
{
    auto grid = NewGrid();
    grid->SetColCount(203);
    grid->SetRowCount(101);
    for (int row = 1; row <= 100; ++row) {
        for (int col = row % 2 == 0 ? 1 : 2; col + 1 <= 202; col += 2)
            grid->MergeCells({col, row, col + 1, row}, false);
    }
    for (auto _ : state) {
        const pelvoro::GridRect expanded = grid->ExpandToBlocks({101, 1, 101, 100});
        benchmark::DoNotOptimize(expanded);
    }
}
BENCHMARK(BM_ExpandToBlocksOverBricks)->Unit(benchmark::kMicrosecond)->Repetitions(5)->ReportAggregatesOnly(true);

} // namespace
