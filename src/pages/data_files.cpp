#include "pages/data_files.h"

#include "base/app_dir.h"
#include "base/atomic_file.h"
#include "base/gbk.h"
#include "config/ini_document.h"
#include "config/schedule_sections.h"
#include "pages/page_store.h"

#include <QFile>
#include <QFileInfo>

#include <algorithm>

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
    // Opening a pipe would block until someone writes to it.
    if (!QFileInfo(AppFile(fileName)).isFile())
        return 0;
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

ScreenPageCounts StoredPages(int screenIndex)
{
    return {StoredPageCount(screenIndex), StoredSubtitlePageCount(screenIndex)};
}

bool EraseScheduleSections(IniDocument &doc, int screenIndex, int count)
{
    // As EraseSchedules: a page count outside 1..255 is not a page list, and erases nothing.
    if (count < 1 || count > 255)
        return false;
    bool changed = false;
    for (int page = 1; page <= count; ++page)
        changed |= doc.RemoveSection(ToGbk(ScheduleSectionName(screenIndex, page)));
    return changed;
}

void StageScreenDataFilesRemoval(int screenIndex, FileSetUpdate &update)
{
    for (const QString &name :
         {PageFileName(screenIndex), SubtitleFileName(screenIndex), SubtitleTextFileName(screenIndex)}) {
        const QString path = AppFile(name);
        if (QFile::exists(path))
            update.Remove(path);
    }
}

} // namespace pelvoro
