// A 10,000-row × 8-column table loaded, cut into 256 × 128 dual-colour pages, every page drawn and
// packed, side by side with the office suite turning the same table (as CSV) into PDF.
#include "base/prompt.h"
#include "editors/table/table_engine.h"
#include "pages/page_conversion.h"
#include "pages/raster.h"

#include <QFile>
#include <QPainter>
#include <QProcess>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>

namespace {

constexpr int kRows = 10000;
constexpr int kCols = 8;
constexpr int kWidth = 256;
constexpr int kHeight = 128;

struct QuietPrompt : pelvoro::Prompt {
    void Message(const QString &, const QString &, pelvoro::PromptIcon) override {}
    pelvoro::PromptButton Ask(const QString &, const QString &, pelvoro::PromptButtons, pelvoro::PromptIcon) override
    {
        return pelvoro::PromptButton::Cancel;
    }
    QStringList OpenFiles(pelvoro::FileDialogRequest &) override { return {}; }
    QString OpenFile(pelvoro::FileDialogRequest &) override { return {}; }
    QString SaveFile(pelvoro::FileDialogRequest &) override { return {}; }
};

QString CellText(int col, int row)
{
    if (col == 1)
        return QStringLiteral("站点%1").arg(row);
    return QString::number(row * 10 + col);
}

// The table as the station stores it: 31-dot columns and 16-dot rows, red text and lines.
QString WriteTable(const QTemporaryDir &dir)
{
    QuietPrompt prompt;
    pelvoro::TEasyGrid grid(prompt, pelvoro::ScreenResolution{96, 96});
    grid.SetColCount(kCols + 1);
    grid.SetRowCount(kRows + 1);
    grid.SetCellColor(pelvoro::kColorDefault);
    grid.SetCellFontColor(pelvoro::kColorRed);
    grid.SetClientLineColor(pelvoro::kColorRed);
    for (int col = 1; col <= kCols; ++col)
        grid.SetColWidth(col, 31);
    for (int row = 1; row <= kRows; ++row)
        grid.SetRowHeight(row, 16);
    for (int row = 1; row <= kRows; ++row) {
        for (int col = 1; col <= kCols; ++col)
            grid.SetForeText(col, row, CellText(col, row));
    }
    const QString path = dir.filePath(QStringLiteral("table.bls"));
    grid.SaveToFile(path);
    return path;
}

QString WriteCsv(const QTemporaryDir &dir)
{
    QByteArray csv;
    for (int row = 1; row <= kRows; ++row) {
        QStringList fields;
        for (int col = 1; col <= kCols; ++col)
            fields << CellText(col, row);
        csv += fields.join(u',').toUtf8() + '\n';
    }
    const QString path = dir.filePath(QStringLiteral("table.csv"));
    QFile file(path);
    file.open(QIODevice::WriteOnly);
    file.write(csv);
    return path;
}

void BM_StationTablePages(benchmark::State &state)
{
    QTemporaryDir dir;
    const QString path = WriteTable(dir);
    QuietPrompt prompt;
    int pages = 0;
    for (auto _ : state) {
        pelvoro::TableEngine engine(prompt);
        engine.SetPageArea(kWidth, kHeight, {0, 0, kWidth, kHeight}, 2);
        if (!engine.LoadTable(path).Ok()) {
            state.SkipWithError("table not loaded");
            return;
        }
        pages = engine.TablePageCount();
        QImage image(kWidth, kHeight, QImage::Format_RGB32);
        qsizetype bytes = 0;
        for (int p = 1; p <= pages; ++p) {
            image.fill(Qt::black);
            QPainter painter(&image);
            engine.DrawTablePage(painter, image.rect(), p);
            painter.end();
            pelvoro::ReduceToPalette(image);
            bytes += pelvoro::PackRaster(image, kWidth, kHeight, pelvoro::RasterFormat{1, 0}).size();
        }
        benchmark::DoNotOptimize(bytes);
    }
    state.counters["pages"] = pages;
    state.counters["pages_per_second"] = benchmark::Counter(double(pages),
                                                            benchmark::Counter::kIsIterationInvariantRate);
}
BENCHMARK(BM_StationTablePages)->Unit(benchmark::kMillisecond)->Iterations(1)->Repetitions(3)->UseRealTime();

void BM_OfficeSuiteTableToPdf(benchmark::State &state)
{
    const QString office = QStandardPaths::findExecutable(QStringLiteral("soffice"));
    if (office.isEmpty()) {
        state.SkipWithError("soffice is not installed");
        return;
    }
    QTemporaryDir dir;
    const QString path = WriteCsv(dir);
    const QString pdf = dir.filePath(QStringLiteral("table.pdf"));
    const QString profile = QStringLiteral("-env:UserInstallation=file://") + dir.filePath(QStringLiteral("profile"));
    // The spreadsheet's CSV import where it is installed; without it the word processor reads the
    // CSV as UTF-8 text. The first run also creates the profile, so that the measured runs do not
    // pay for it.
    QStringList arguments = {profile,    "--headless", "--infilter=CSV:44,34,76,1", "--convert-to", "pdf", "--outdir",
                             dir.path(), path};
    QProcess::execute(office, arguments);
    state.SetLabel("spreadsheet CSV import");
    if (!QFile::exists(pdf)) {
        arguments[2] = QStringLiteral("--infilter=Text (encoded):UTF8,LF,,,");
        QProcess::execute(office, arguments);
        state.SetLabel("text import (no spreadsheet installed)");
    }
    if (!QFile::exists(pdf)) {
        state.SkipWithError("soffice wrote no PDF");
        return;
    }
    for (auto _ : state) {
        QFile::remove(pdf);
        if (QProcess::execute(office, arguments) != 0 || !QFile::exists(pdf))
            state.SkipWithError("soffice failed");
    }
    // The PDF's page count, from its page objects.
    QFile file(pdf);
    if (file.open(QIODevice::ReadOnly)) {
        static const QRegularExpression page(QStringLiteral("/Type\\s*/Page[^s]"));
        state.counters["pages"] = double(QString::fromLatin1(file.readAll()).count(page));
    }
}
BENCHMARK(BM_OfficeSuiteTableToPdf)->Unit(benchmark::kMillisecond)->Iterations(1)->Repetitions(3)->UseRealTime();

} // namespace
