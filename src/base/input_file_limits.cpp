#include "base/input_file_limits.h"

#include <QFileInfo>

namespace pelvoro {

QString DocumentFileRefusal(const QString &path)
{
    const QFileInfo info(path); // a symbolic link counts as what it points to
    if (!info.exists())
        return {};
    if (!info.isFile())
        return QStringLiteral("%1不是普通文件，不能转换").arg(path);
    if (info.size() > kMaxDocumentBytes) {
        return QStringLiteral("%1太大（%2 MB），不能转换：文件不能超过%3 MB")
            .arg(path)
            .arg((info.size() + 1024 * 1024 - 1) / (1024 * 1024))
            .arg(kMaxDocumentBytes / (1024 * 1024));
    }
    return {};
}

QString StoredFileRefusal(const QString &path, qint64 maxBytes)
{
    const QFileInfo info(path);
    if (!info.exists())
        return {};
    if (!info.isFile())
        return QStringLiteral("不是普通文件");
    if (info.size() > maxBytes)
        return QStringLiteral("文件有%1字节，超过此类文件最多的%2字节").arg(info.size()).arg(maxBytes);
    return {};
}

} // namespace pelvoro
