#include "pages/data_files.h"

#include "base/app_dir.h"
#include "pages/page_store.h"

#include <QFile>

namespace pelvoro {

QString PageFileName(int screenIndex)
{
    return QStringLiteral("Tavrel%1.dat").arg(screenIndex + 1);
}

QString SubtitleFileName(int screenIndex)
{
    return QStringLiteral("TavrelTitle%1.dat").arg(screenIndex + 1);
}

QString SubtitleTextFileName(int screenIndex)
{
    return QStringLiteral("TavrelTitle%1.txt").arg(screenIndex + 1);
}

namespace {

int StoredCount(const QString &fileName)
{
    QFile file(AppFile(fileName));
    if (!file.open(QIODevice::ReadOnly) || !file.seek(kPageCountOffset))
        return 0;
    char count = 0;
    if (!file.getChar(&count))
        return 0;
    return static_cast<unsigned char>(count);
}

} // namespace

int StoredPageCount(int screenIndex)
{
    return StoredCount(PageFileName(screenIndex));
}

int StoredSubtitlePageCount(int screenIndex)
{
    return StoredCount(SubtitleFileName(screenIndex));
}

bool DeleteScreenDataFiles(int screenIndex)
{
    bool ok = true;
    for (const QString &name :
         {PageFileName(screenIndex), SubtitleFileName(screenIndex), SubtitleTextFileName(screenIndex)}) {
        const QString path = AppFile(name);
        if (QFile::exists(path) && !QFile::remove(path))
            ok = false;
    }
    return ok;
}

} // namespace pelvoro
