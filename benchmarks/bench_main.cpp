#include "pages/font_substitution.h"

#include <QApplication>

#include <benchmark/benchmark.h>

// The one main of every benchmark: offscreen unless told otherwise, a real QApplication (the
// start-up benchmark builds the main window) and the station's font substitutions, so that what
// is measured renders as the station renders.
int main(int argc, char **argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    pelvoro::InstallFontSubstitutions();
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv))
        return 1;
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
