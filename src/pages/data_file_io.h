#pragma once

#include "base/atomic_file.h"
#include "config/area_layout.h"
#include "config/screen_info.h"
#include "pages/page_store.h"
#include "pages/raster.h"

#include <QByteArray>
#include <QFile>
#include <QImage>
#include <QString>

#include <algorithm>
#include <cstring>
#include <span>

// What the page file and the subtitle file have in common: how they are read, checked, patched and
// written back, and the texts with which their failures reach the operator.
namespace pelvoro {

inline PageResult DataFileResult(PageStatus status, const QString &message = {})
{
    return PageResult{status, message};
}

// "读写文件出错：" + the file's name, with the system's reason in brackets when there is one.
inline PageResult DataFileIoError(const QString &name, const QString &detail = {})
{
    QString message = QStringLiteral("读写文件出错：") + name;
    if (!detail.isEmpty())
        message += QStringLiteral("（") + detail + QStringLiteral("）");
    return DataFileResult(PageStatus::IoError, message);
}

// Reads the whole file at `path` (which must exist); IoError when it cannot be read.
inline PageResult ReadDataFile(const QString &name, const QString &path, QByteArray *bytes)
{
    QFile in(path);
    if (!in.open(QIODevice::ReadOnly))
        return DataFileIoError(name, in.errorString());
    *bytes = in.readAll();
    if (in.error() != QFileDevice::NoError)
        return DataFileIoError(name, in.errorString());
    return {};
}

// Replaces the file with `bytes` in one atomic step.
inline PageResult StoreDataFile(const QString &name, const QString &path, const QByteArray &bytes)
{
    QString error;
    if (!WriteFileAtomically(path, bytes, &error))
        return DataFileIoError(name, error);
    return {};
}

inline void PutLe16(QByteArray &bytes, qsizetype at, int value)
{
    bytes[at] = char(value & 0xFF);
    bytes[at + 1] = char((value >> 8) & 0xFF);
}

// The head both files start with: the screen number, the file's command code, the area flags, 0,
// the area's rectangle (left, top, right, bottom; little-endian) from row `top` for `height` rows
// over the whole width, and a page count of 0.
inline QByteArray NewAreaFileHeader(const ScreenInfo &screen, int screenIndex, char code, int top, int height)
{
    QByteArray header(kPageHeaderBytes, '\0');
    header[kDataFileScreenOffset] = char(quint8(screenIndex + 1));
    header[kDataFileCodeOffset] = code;
    header[kDataFileAreasOffset] = char(AreaFlags(screen));
    PutLe16(header, kDataFileLeftOffset, 0);
    PutLe16(header, kDataFileTopOffset, top);
    PutLe16(header, kDataFileRightOffset, screen.Width - 1);
    PutLe16(header, kDataFileBottomOffset, top + height - 1);
    header[kPageCountOffset] = 0;
    return header;
}

// Packs the top-left W x `height` pixels of `image` into one page of `pageBytes` at `dest`. When W is
// not a multiple of 8 the page is longer than the packed raster; the rest is dark (0xFF).
inline void PackAreaPage(const ScreenInfo &screen, int height, const QImage &image, char *dest, qsizetype pageBytes)
{
    const RasterFormat format = RasterFormatOf(screen);
    const qsizetype packed = std::min(RasterBytes(screen.Width, height, format), pageBytes);
    PackRaster(image, screen.Width, height, format, std::span<char>(dest, size_t(packed)));
    std::memset(dest + packed, 0xFF, size_t(pageBytes - packed));
}

} // namespace pelvoro
