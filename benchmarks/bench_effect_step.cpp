// One tick of the effect preview on the largest main area: the page is read again from its file,
// decoded and one step of its effect copied onto the shown image.
#include "base/app_dir.h"
#include "pages/effect_player.h"
#include "pages/page_store.h"

#include <QTemporaryDir>

#include <benchmark/benchmark.h>

#include <algorithm>
#include <chrono>
#include <random>
#include <vector>

namespace {

struct LargestArea {
    QTemporaryDir dir;
    pelvoro::ScreenTable table;
    bool ok = false;
};

// A 4096 × 512 dual-colour main area with one page of random colours and the given effect.
void MakeLargestArea(LargestArea &area, int effect)
{
    pelvoro::ScreenTable &table = area.table;
    pelvoro::SetAppDir(area.dir.path());
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
    appender.Append(page, effect, 0, 1, 1);
    area.ok = appender.Finish().Ok();
}

void BM_EffectStep(benchmark::State &state)
{
    LargestArea area;
    MakeLargestArea(area, int(state.range(0)));
    if (!area.ok) {
        state.SkipWithError("cannot write the page file");
        return;
    }
    pelvoro::EffectPlayer player(area.table, 0, 1);
    QImage shown(4096, 512, QImage::Format_RGB32);
    shown.fill(Qt::black);
    const int effect = int(state.range(0));
    for (auto _ : state) {
        const auto tick = player.Step(1, effect, shown);
        benchmark::DoNotOptimize(tick.finished);
    }
}
// "3.左覆盖" copies a growing strip; "2.翻页" the whole page; "27.上移" redraws the whole area.
BENCHMARK(BM_EffectStep)->Arg(2)->Arg(1)->Arg(26)->Unit(benchmark::kMillisecond);

// Every single step timed on its own, for the share of ticks that overrun: reports the median and
// the 99th percentile of 2000 steps of the whole-page effect as counters (milliseconds).
void BM_EffectStepPercentiles(benchmark::State &state)
{
    LargestArea area;
    MakeLargestArea(area, 1);
    if (!area.ok) {
        state.SkipWithError("cannot write the page file");
        return;
    }
    pelvoro::EffectPlayer player(area.table, 0, 1);
    QImage shown(4096, 512, QImage::Format_RGB32);
    shown.fill(Qt::black);
    std::vector<double> steps;
    for (auto _ : state) {
        steps.clear();
        for (int i = 0; i < 2000; ++i) {
            const auto start = std::chrono::steady_clock::now();
            benchmark::DoNotOptimize(player.Step(1, 1, shown).finished);
            steps.push_back(
                std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count());
        }
    }
    std::sort(steps.begin(), steps.end());
    state.counters["p50_ms"] = steps[steps.size() / 2];
    state.counters["p99_ms"] = steps[steps.size() * 99 / 100];
}
BENCHMARK(BM_EffectStepPercentiles)->Iterations(1)->Unit(benchmark::kMillisecond);

} // namespace
