// A 100-page single-spaced 12-point Chinese rich-text document converted into a 256 × 128 main area,
// side by side with the office suite converting the same file to PDF.
#include "base/app_dir.h"
#include "base/gbk.h"
#include "pages/page_conversion.h"
#include "pages/rich_layout.h"

#include <QFile>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>

namespace {

constexpr int kLinesPerPage = 8; // 128 rows of 16-dot lines
constexpr int kPages = 100;

QString WriteDocument(const QTemporaryDir &dir)
{
    const QString sentence = QStringLiteral("欢迎光临本店今日特价商品请到二楼");
    QByteArray rtf = "{\\rtf1\\ansi\\ansicpg936{\\fonttbl{\\f0\\fcharset134 " + pelvoro::ToGbk(QStringLiteral("宋体"))
                     + ";}}\\f0\\fs24 ";
    for (int line = 0; line < kPages * kLinesPerPage; ++line) {
        // Fifteen characters fill a line of 256 dots without wrapping.
        const QString text = sentence.mid(line % 2, 15);
        for (char c : pelvoro::ToGbk(text))
            rtf += QByteArray("\\'") + QByteArray::number(static_cast<unsigned char>(c), 16);
        rtf += "\\par\n";
    }
    rtf += "}";
    const QString path = dir.filePath(QStringLiteral("document.rtf"));
    QFile file(path);
    file.open(QIODevice::WriteOnly);
    file.write(rtf);
    return path;
}

struct Quiet : pelvoro::ConversionObserver {
    void Message(const QString &, bool) override {}
};

void BM_StationConvertsToPages(benchmark::State &state)
{
    QTemporaryDir dir;
    pelvoro::SetAppDir(dir.path());
    const QString path = WriteDocument(dir);
    pelvoro::ScreenTable table;
    table[0] = pelvoro::DefaultScreenInfo(); // 256 × 128, dual colour
    table[0].MainHeight = 128;
    table[0].Areas = {QStringLiteral("主区"), {}, {}, {}};
    pelvoro::RichLayout layout;
    Quiet observer;
    for (auto _ : state) {
        QFile::remove(dir.filePath(QStringLiteral("Tavrel1.dat")));
        const auto result = pelvoro::ConvertPages(table, 0, {0, 0, 1, 1}, pelvoro::DocumentKind::RichText, path, layout,
                                                  observer);
        if (result.appended != kPages)
            state.SkipWithError("unexpected page count");
    }
}
BENCHMARK(BM_StationConvertsToPages)->Unit(benchmark::kMillisecond)->Iterations(3)->Repetitions(3);

void BM_OfficeSuiteConvertsToPdf(benchmark::State &state)
{
    const QString office = QStandardPaths::findExecutable(QStringLiteral("soffice"));
    if (office.isEmpty()) {
        state.SkipWithError("soffice is not installed");
        return;
    }
    QTemporaryDir dir;
    const QString path = WriteDocument(dir);
    const QString profile = QStringLiteral("-env:UserInstallation=file://") + dir.filePath(QStringLiteral("profile"));
    // A first run creates the profile, so that the measured runs do not pay for it.
    QProcess::execute(office, {profile, "--headless", "--convert-to", "pdf", "--outdir", dir.path(), path});
    for (auto _ : state) {
        if (QProcess::execute(office, {profile, "--headless", "--convert-to", "pdf", "--outdir", dir.path(), path})
            != 0)
            state.SkipWithError("soffice failed");
    }
}
BENCHMARK(BM_OfficeSuiteConvertsToPdf)->Unit(benchmark::kMillisecond)->Iterations(1)->Repetitions(3);

} // namespace
