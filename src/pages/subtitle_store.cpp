#include "pages/subtitle_store.h"

#include "base/app_dir.h"
#include "base/atomic_file.h"
#include "base/directory_lock.h"
#include "base/gbk.h"
#include "base/input_file_limits.h"
#include "config/area_layout.h"
#include "pages/area_file_check.h"
#include "pages/area_stacking.h"
#include "pages/data_file_io.h"
#include "pages/data_files.h"
#include "pages/raster.h"

#include <QFile>

#include <algorithm>
#include <cstring>

namespace pelvoro {
namespace {

QString SubtitlePath(int screenIndex)
{
    EnterAppDir();
    return AppFile(SubtitleFileName(screenIndex));
}

QString TextPath(int screenIndex)
{
    EnterAppDir();
    return AppFile(SubtitleTextFileName(screenIndex));
}

PageResult NoFile(int screenIndex)
{
    return DataFileResult(PageStatus::NoFile, QString::number(screenIndex + 1) + QStringLiteral("号屏没有字幕页（")
                                                  + SubtitleFileName(screenIndex) + QStringLiteral("不存在）"));
}

PageResult NoPage(int page, int count)
{
    return DataFileResult(PageStatus::NoPage, QStringLiteral("没有第%1页字幕（共%2页）").arg(page).arg(count));
}

PageResult UnusableStrip(int screenIndex)
{
    return DataFileResult(PageStatus::Refused, QString::number(screenIndex + 1)
                                                   + QStringLiteral("号屏的字幕区大小或颜色设置无效，无法保存字幕页"));
}

int CountIn(const QByteArray &bytes)
{
    return bytes.size() > kPageCountOffset ? static_cast<unsigned char>(bytes[kPageCountOffset]) : 0;
}

struct LoadedFile {
    QString path;
    QByteArray bytes;
    int count = 0;
};

// Reads the whole file once it is known to be what its header declares for the screen.
PageResult LoadWhole(const ScreenTable &table, int screenIndex, LoadedFile *file)
{
    const qsizetype subPageBytes = SubPageBytes(table[screenIndex]);
    if (subPageBytes <= 0)
        return UnusableStrip(screenIndex);
    file->path = SubtitlePath(screenIndex);
    if (!QFile::exists(file->path))
        return NoFile(screenIndex);
    if (PageResult read = ReadCheckedAreaFile(AreaFileKind::Subtitle, SubtitleFileName(screenIndex), file->path,
                                              table[screenIndex], &file->bytes);
        !read.Ok())
        return read;
    file->count = CountIn(file->bytes);
    return {};
}

PageResult RemoveIfPresent(const QString &name, const QString &path)
{
    if (!QFile::exists(path))
        return {};
    QFile file(path);
    if (!file.remove())
        return DataFileIoError(name, file.errorString());
    return {};
}

// Every change reads and replaces its files under the directory's lock.
PageResult Busy(const DirectoryLock &lock)
{
    return DataFileResult(PageStatus::IoError, lock.Error());
}

} // namespace

std::array<char, kSubtitleEntryBytes> EncodeSubtitleEntry(const SubtitleEntry &entry)
{
    const auto byte = [](int value) { return char(quint8(std::clamp(value, 0, 255))); };
    return {byte(entry.style), byte(entry.reserved), byte(entry.speed), byte(entry.dwell)};
}

SubtitleEntry DecodeSubtitleEntry(const char *bytes)
{
    const auto *b = reinterpret_cast<const unsigned char *>(bytes);
    return SubtitleEntry{b[0], b[1], b[2], b[3]};
}

SubtitleEntry EditedSubtitleEntry(const SubtitleEntry &current, SubtitleEdit edit, int value)
{
    SubtitleEntry entry = current;
    switch (edit) {
    case SubtitleEdit::Style:
        entry.style = value;
        break;
    case SubtitleEdit::Speed:
        entry.speed = value;
        entry.dwell = 1;
        break;
    case SubtitleEdit::Dwell:
        entry.speed = 5;
        entry.dwell = value;
        break;
    }
    return entry;
}

qsizetype SubPageBytes(const ScreenInfo &screen)
{
    if (screen.ColorMode != 0 && screen.ColorMode != 1)
        return 0;
    const qint64 dots = qint64(screen.Width) * screen.TitleHeight;
    if (screen.Width <= 0 || screen.TitleHeight <= 0)
        return 0;
    return qsizetype(dots / (8 / (screen.ColorMode + 1)));
}

int SubtitleCapacity(const ScreenInfo &screen)
{
    if (SubPageBytes(screen) <= 0)
        return 0;
    return MaxTitlePages(screen);
}

QString SubtitleLimitMessage(const ScreenInfo &screen)
{
    return QStringLiteral("最多可编辑") + QString::number(SubtitleCapacity(screen)) + QStringLiteral("页内容");
}

qsizetype SubtitleFileSize(qsizetype subPageBytes, int pages)
{
    return kSubtitleRasterOffset + qsizetype(pages) * subPageBytes + kPageTrailerBytes;
}

QByteArray NewSubtitleHeader(const ScreenInfo &screen, int screenIndex)
{
    return NewAreaFileHeader(screen, screenIndex, kSubtitleFileCode, AreaStacking(screen).titleTop, screen.TitleHeight);
}

SubtitleState ReadSubtitleState(const ScreenTable &table, int screenIndex)
{
    SubtitleState state;
    LoadedFile file;
    static_cast<PageResult &>(state) = LoadWhole(table, screenIndex, &file);
    if (state.Ok()) {
        state.pageCount = file.count;
        state.entry = DecodeSubtitleEntry(file.bytes.constData() + kSubtitleEntryOffset);
    }
    return state;
}

SubtitleRead ReadSubtitlePage(const ScreenTable &table, int screenIndex, int page)
{
    SubtitleRead read;
    LoadedFile file;
    PageResult loaded = LoadWhole(table, screenIndex, &file);
    read.pageCount = file.count;
    if (loaded.Ok() && (page < 1 || page > file.count))
        loaded = NoPage(page, file.count);
    if (!loaded.Ok()) {
        static_cast<PageResult &>(read) = loaded;
        return read;
    }
    const ScreenInfo &screen = table[screenIndex];
    const qsizetype subPageBytes = SubPageBytes(screen);
    const RasterFormat format = RasterFormatOf(screen);
    const qsizetype packed = std::min(RasterBytes(screen.Width, screen.TitleHeight, format), subPageBytes);
    const QByteArrayView raster(file.bytes.constData() + kSubtitleRasterOffset + subPageBytes * (page - 1), packed);
    read.entry = DecodeSubtitleEntry(file.bytes.constData() + kSubtitleEntryOffset);
    if (!UnpackRaster(raster, screen.Width, screen.TitleHeight, format, &read.image)) {
        read.image = QImage();
        static_cast<PageResult &>(
            read) = DataFileIoError(SubtitleFileName(screenIndex),
                                    QStringLiteral("无法生成%1×%2的图像").arg(screen.Width).arg(screen.TitleHeight));
    }
    return read;
}

PageResult WriteSubtitleEntry(const ScreenTable &table, int screenIndex, const SubtitleEntry &entry)
{
    const DirectoryLock lock;
    if (!lock.Locked())
        return Busy(lock);
    LoadedFile file;
    if (PageResult loaded = LoadWhole(table, screenIndex, &file); !loaded.Ok())
        return loaded;
    const std::array<char, kSubtitleEntryBytes> bytes = EncodeSubtitleEntry(entry);
    if (std::memcmp(file.bytes.constData() + kSubtitleEntryOffset, bytes.data(), bytes.size()) == 0)
        return {};
    std::memcpy(file.bytes.data() + kSubtitleEntryOffset, bytes.data(), bytes.size());
    return StoreDataFile(SubtitleFileName(screenIndex), file.path, file.bytes);
}

PageResult RemoveSubtitleFile(int screenIndex)
{
    const DirectoryLock lock;
    if (!lock.Locked())
        return Busy(lock);
    return RemoveIfPresent(SubtitleFileName(screenIndex), SubtitlePath(screenIndex));
}

PageResult DeleteSubtitleFiles(int screenIndex)
{
    const DirectoryLock lock;
    if (!lock.Locked())
        return Busy(lock);
    // Both go as a unit: a text without its pages (or pages without their text) is never left.
    FileSetUpdate update;
    for (const QString &path : {TextPath(screenIndex), SubtitlePath(screenIndex)}) {
        if (QFile::exists(path))
            update.Remove(path);
    }
    if (QString error; !update.Commit(&error))
        return DataFileIoError(SubtitleFileName(screenIndex), error);
    return {};
}

PageResult SaveSubtitleText(int screenIndex, const QString &text)
{
    const DirectoryLock lock;
    if (!lock.Locked())
        return Busy(lock);
    return StoreDataFile(SubtitleTextFileName(screenIndex), TextPath(screenIndex), ToGbk(text));
}

std::optional<QString> ReadSubtitleText(int screenIndex)
{
    const QString path = TextPath(screenIndex);
    QByteArray bytes;
    if (!QFile::exists(path) || !StoredFileRefusal(path, kMaxSubtitleTextBytes).isEmpty()
        || !ReadWholeFile(path, &bytes))
        return std::nullopt;
    // CR and LF never occur inside a GBK double-byte character, so dropping them joins the lines.
    bytes.removeIf([](char c) { return c == '\r' || c == '\n'; });
    return FromGbk(bytes);
}

} // namespace pelvoro
