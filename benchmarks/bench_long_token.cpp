// A line of one letter without a break opportunity, laid out for a 256-dot-wide main area, at
// 25 k to 200 k characters: the layout, beside measuring the run once (the least any layout does).
// The per-character time of the layout staying flat across the lengths shows it grows linearly.
#include "pages/rich_document.h"
#include "pages/rich_layout.h"

#include <QFontMetrics>

#include <benchmark/benchmark.h>

namespace {

constexpr int kAreaWidth = 256;

pelvoro::RichDocument OneLetterRun(int length)
{
    pelvoro::RichDocument document;
    pelvoro::Paragraph paragraph;
    paragraph.runs.append(pelvoro::TextRun{QString(length, u'a'), pelvoro::CharFormat{}});
    document.paragraphs.append(paragraph);
    return document;
}

void BM_LayOutLongToken(benchmark::State &state)
{
    const pelvoro::RichDocument document = OneLetterRun(int(state.range(0)));
    pelvoro::RichLayout layout(kAreaWidth);
    for (auto _ : state) {
        layout.SetDocument(document);
        benchmark::DoNotOptimize(layout.LineCount());
    }
    state.SetItemsProcessed(state.iterations() * state.range(0));
}

void BM_MeasureLongTokenOnce(benchmark::State &state)
{
    const QString run(int(state.range(0)), u'a');
    const QFontMetrics metrics(pelvoro::RichLayout::FontFor(pelvoro::CharFormat{}));
    for (auto _ : state)
        benchmark::DoNotOptimize(metrics.horizontalAdvance(run));
    state.SetItemsProcessed(state.iterations() * state.range(0));
}

} // namespace

BENCHMARK(BM_LayOutLongToken)->Arg(25'000)->Arg(50'000)->Arg(100'000)->Arg(200'000)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_MeasureLongTokenOnce)->Arg(25'000)->Arg(50'000)->Arg(100'000)->Arg(200'000)->Unit(benchmark::kMillisecond);
