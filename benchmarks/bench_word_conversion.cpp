// A Word document (a one-page notice) converted to rich text by the installed office suite: with a
// profile made afresh for each conversion (as every conversion did before the profile was shared),
// and with the one profile the station keeps in its cache folder. Needs soffice on the PATH.
#include "pages/word_to_rtf.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLockFile>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>

namespace {

// A notice of a few paragraphs, saved as a Word document by the office suite itself.
struct Fixture {
    Fixture()
    {
        qputenv("XDG_CACHE_HOME", QFile::encodeName(folder.filePath(QStringLiteral("cache"))));
        const QString rtf = folder.filePath(QStringLiteral("notice.rtf"));
        QFile file(rtf);
        if (!file.open(QIODevice::WriteOnly))
            return;
        QByteArray text = "{\\rtf1\\ansi{\\fonttbl{\\f0 Arial;}}\\f0\\fs24 ";
        for (int i = 0; i < 20; ++i)
            text += "Passengers for the 8:30 train to the coast, please go to platform two.\\par ";
        file.write(text + "}");
        file.close();
        QTemporaryDir profile;
        QProcess::execute(QStandardPaths::findExecutable(QStringLiteral("soffice")),
                          {QStringLiteral("-env:UserInstallation=file://") + profile.path(),
                           QStringLiteral("--headless"), QStringLiteral("--convert-to"), QStringLiteral("doc"),
                           QStringLiteral("--outdir"), folder.path(), rtf});
        doc = folder.filePath(QStringLiteral("notice.doc"));
    }
    QTemporaryDir folder;
    QString doc;
};

Fixture &Notice()
{
    static Fixture fixture;
    return fixture;
}

void Convert(benchmark::State &state)
{
    const pelvoro::WordConversion result = pelvoro::WordToRtf(Notice().doc);
    if (result.outcome != pelvoro::WordConversion::Outcome::Converted)
        state.SkipWithError(result.message.toUtf8().constData());
}

void BM_WordToRtfFreshProfile(benchmark::State &state)
{
    if (!QFile::exists(Notice().doc)) {
        state.SkipWithError("no office suite to make the document");
        return;
    }
    // Holding the shared profile sends every conversion to a profile of its own.
    QDir().mkpath(QFileInfo(pelvoro::SharedOfficeProfileDir()).absolutePath());
    QLockFile inUse(pelvoro::SharedOfficeProfileDir() + QStringLiteral(".lock"));
    inUse.tryLock(0);
    for (auto _ : state)
        Convert(state);
}

void BM_WordToRtfSharedProfile(benchmark::State &state)
{
    if (!QFile::exists(Notice().doc)) {
        state.SkipWithError("no office suite to make the document");
        return;
    }
    Convert(state); // the first conversion sets the shared profile up
    for (auto _ : state)
        Convert(state);
}

} // namespace

BENCHMARK(BM_WordToRtfFreshProfile)->Unit(benchmark::kMillisecond)->Iterations(3)->UseRealTime();
BENCHMARK(BM_WordToRtfSharedProfile)->Unit(benchmark::kMillisecond)->Iterations(3)->UseRealTime();
