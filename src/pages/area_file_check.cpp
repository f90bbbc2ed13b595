#include "pages/area_file_check.h"

#include "pages/data_file_io.h"
#include "pages/subtitle_store.h"

#include <QFile>
#include <QFileInfo>

namespace pelvoro {
namespace {

struct Layout {
    char code = 0;
    qsizetype pageBytes = 0;
    int areaHeight = 0;
    QString prefix; // "数据页文件X已损坏："
};

Layout LayoutOf(AreaFileKind kind, const QString &name, const ScreenInfo &screen)
{
    if (kind == AreaFileKind::Pages)
        return {kPageFileCode, PageBytes(screen), screen.MainHeight, QStringLiteral("数据页文件%1已损坏：").arg(name)};
    return {kSubtitleFileCode, SubPageBytes(screen), screen.TitleHeight,
            QStringLiteral("字幕文件%1已损坏：").arg(name)};
}

qsizetype WholeSize(AreaFileKind kind, qsizetype pageBytes, int pages)
{
    return kind == AreaFileKind::Pages ? PageFileSize(pageBytes, pages) : SubtitleFileSize(pageBytes, pages);
}

int Le16(QByteArrayView bytes, qsizetype at)
{
    return quint8(bytes[at]) | (quint8(bytes[at + 1]) << 8);
}

PageResult Damaged(const Layout &layout, const QString &why)
{
    return DataFileResult(PageStatus::Damaged, layout.prefix + why);
}

QString Hex(quint8 byte)
{
    return QStringLiteral("0x%1").arg(byte, 2, 16, QLatin1Char('0'));
}

} // namespace

qint64 MaxAreaFileBytes(AreaFileKind kind, const ScreenInfo &screen)
{
    return WholeSize(kind, LayoutOf(kind, QString(), screen).pageBytes, kMaxStoredPages);
}

PageResult CheckAreaFile(AreaFileKind kind, const QString &name, const ScreenInfo &screen, const AreaFileProbe &probe)
{
    const Layout layout = LayoutOf(kind, name, screen);
    if (layout.pageBytes <= 0) {
        return DataFileResult(PageStatus::Refused,
                              QStringLiteral("%1：屏的区域大小或颜色设置无效，无法读取").arg(name));
    }
    if (probe.size == 0)
        return Damaged(layout, QStringLiteral("文件长度为0"));
    if (probe.size < kPageHeaderBytes || probe.head.size() < kPageHeaderBytes) {
        return Damaged(layout,
                       QStringLiteral("文件只有%1字节，不足%2字节的文件头").arg(probe.size).arg(kPageHeaderBytes));
    }
    const QByteArrayView head(probe.head);
    if (head[kDataFileCodeOffset] != layout.code) {
        return Damaged(layout, QStringLiteral("第2字节应为%1，实际为%2")
                                   .arg(Hex(quint8(layout.code)), Hex(quint8(head[kDataFileCodeOffset]))));
    }
    const int left = Le16(head, kDataFileLeftOffset);
    const int top = Le16(head, kDataFileTopOffset);
    const int right = Le16(head, kDataFileRightOffset);
    const int bottom = Le16(head, kDataFileBottomOffset);
    const int width = right - left + 1;
    const int height = bottom - top + 1;
    if (width != screen.Width || height != layout.areaHeight) {
        return Damaged(layout, QStringLiteral("文件头的区域（%1,%2）-（%3,%4）与屏的%5×%6点区域不符")
                                   .arg(left)
                                   .arg(top)
                                   .arg(right)
                                   .arg(bottom)
                                   .arg(screen.Width)
                                   .arg(layout.areaHeight));
    }
    const int pages = quint8(head[kPageCountOffset]);
    const qsizetype expected = WholeSize(kind, layout.pageBytes, pages);
    if (probe.size != expected) {
        return Damaged(
            layout,
            QStringLiteral("文件记录了%1页，应有%2字节，实际为%3字节").arg(pages).arg(expected).arg(probe.size));
    }
    if (probe.last != kPageTrailer)
        return Damaged(layout, QStringLiteral("文件末字节不是0xAA"));
    return {};
}

PageResult CheckAreaFileBytes(AreaFileKind kind, const QString &name, const ScreenInfo &screen, QByteArrayView bytes)
{
    AreaFileProbe probe;
    probe.head = bytes.first(std::min(bytes.size(), kPageHeaderBytes)).toByteArray();
    probe.size = bytes.size();
    probe.last = bytes.isEmpty() ? char(0) : bytes.back();
    return CheckAreaFile(kind, name, screen, probe);
}

PageResult ProbeAreaFile(const QString &name, const QString &path, AreaFileProbe *probe)
{
    if (!QFileInfo(path).isFile())
        return DataFileIoError(name, QStringLiteral("不是普通文件"));
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return DataFileIoError(name, file.errorString());
    probe->size = file.size();
    probe->head = file.read(kPageHeaderBytes);
    if (probe->size > 0) {
        char last = 0;
        if (!file.seek(probe->size - 1) || !file.getChar(&last))
            return DataFileIoError(name, file.errorString());
        probe->last = last;
    }
    return {};
}

PageResult ReadCheckedAreaFile(AreaFileKind kind, const QString &name, const QString &path, const ScreenInfo &screen,
                               QByteArray *bytes)
{
    AreaFileProbe probe;
    if (PageResult probed = ProbeAreaFile(name, path, &probe); !probed.Ok())
        return probed;
    if (PageResult checked = CheckAreaFile(kind, name, screen, probe); !checked.Ok())
        return checked;
    if (PageResult read = ReadDataFile(name, path, bytes); !read.Ok())
        return read;
    // The file may have changed between the probe and the read (another program): check what was read.
    return CheckAreaFileBytes(kind, name, screen, *bytes);
}

} // namespace pelvoro
