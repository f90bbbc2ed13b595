// Start-up to a shown main window on a station with 64 screens of four areas each.
#include "app/main_window.h"
#include "base/app_dir.h"
#include "base/gbk.h"
#include "base/prompt.h"
#include "silent_prompt.h"

#include <QFile>
#include <QTemporaryDir>
#include <QTest>

#include <benchmark/benchmark.h>

namespace {

QByteArray StationWith64Screens()
{
    QString ini = QStringLiteral("[全局参数]\r\n显示屏数目=63\r\n");
    for (int i = 0; i < 64; ++i) {
        ini += QStringLiteral("[%1号屏参数]\r\n控制卡类型=Normal\r\n通讯方式=1\r\nCOM口=%2\r\n横向点数=256\r\n"
                              "纵向点数=128\r\n显示屏名称=屏%2\r\n第一区域=主区\r\n第二区域=固定时钟\r\n"
                              "第三区域=固定温度\r\n第四区域=小字幕\r\n主区域高=96\r\n")
                   .arg(i)
                   .arg(i + 1);
    }
    return pelvoro::ToGbk(ini);
}

void BM_StartupToShownWindow(benchmark::State &state)
{
    QTemporaryDir dir;
    QFile file(dir.filePath(QStringLiteral("SysConfig.ini")));
    file.open(QIODevice::WriteOnly);
    file.write(StationWith64Screens());
    file.close();
    pelvoro::SetAppDir(dir.path());
    SilentPrompt prompt;
    for (auto _ : state) {
        pelvoro::ScreenTable table;
        pelvoro::Tfrmmain window(table, prompt);
        window.show();
        if (!QTest::qWaitForWindowExposed(&window))
            state.SkipWithError("window not exposed");
        QCoreApplication::processEvents();
        benchmark::DoNotOptimize(table.LastIndex);
    }
}
BENCHMARK(BM_StartupToShownWindow)->Unit(benchmark::kMillisecond)->MinTime(2.0);

} // namespace
