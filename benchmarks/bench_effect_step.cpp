// One tick of the effect preview on the largest main area: the page is read again from its file,
// decoded and one step of its effect copied onto the shown image.
#include "base/app_dir.h"
#include "pages/effect_player.h"
#include "pages/page_store.h"

#include <QGuiApplication>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>

#include <random>

namespace {

void BM_EffectStep(benchmark::State &state)
{
    QTemporaryDir dir;
    pelvoro::SetAppDir(dir.path());
    pelvoro::ScreenTable table;
    table[0] = pelvoro::DefaultScreenInfo();
    table[0].Width = 4096;
    table[0].Height = 512;
    table[0].MainHeight = 512;
    table[0].ColorMode = 1;
    table[0].Areas = {QStringLiteral("主区"), {}, {}, {}};
    QImage page(4096, 512, QImage::Format_RGB32);
    std::mt19937 random(1);
    for (int y = 0; y < page.height(); ++y) {
        auto *line = reinterpret_cast<QRgb *>(page.scanLine(y));
        for (int x = 0; x < page.width(); ++x)
            line[x] = 0xFF000000u | (random() & 0x00FFFFFFu);
    }
    pelvoro::PageAppender appender(table, 0);
    appender.Append(page, int(state.range(0)), 0, 1, 1);
    if (!appender.Finish().Ok()) {
        state.SkipWithError("cannot write the page file");
        return;
    }
    pelvoro::EffectPlayer player(table, 0, 1);
    QImage shown(4096, 512, QImage::Format_RGB32);
    shown.fill(Qt::black);
    for (auto _ : state) {
        const auto tick = player.Step(1, int(state.range(0)), shown);
        benchmark::DoNotOptimize(tick.finished);
    }
}
// "3.左覆盖" copies a growing strip; "2.翻页" the whole page; "27.上移" redraws the whole area.
BENCHMARK(BM_EffectStep)->Arg(2)->Arg(1)->Arg(26)->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char **argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
