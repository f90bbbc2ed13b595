#include "screen_command.h"

#include "cli_command.h"

#include "base/atomic_file.h"
#include "config/config_store.h"
#include "pages/page_store.h"

#include <QBuffer>

namespace pelvoro::cli {

StationScreen LoadScreen(int index)
{
    StationScreen screen;
    ConfigStore store;
    LoadStation(store, screen.table, index);
    screen.index = index;
    return screen;
}

int ExportPng(const QImage &image, const QString &path)
{
    QByteArray png;
    QBuffer buffer(&png);
    buffer.open(QIODevice::WriteOnly);
    QString error;
    if (!image.save(&buffer, "PNG") || !WriteFileAtomically(path, png, &error)) {
        Err(QStringLiteral("cannot write %1 %2").arg(path, error).trimmed());
        return kRefused;
    }
    return kOk;
}

int Fail(const PageResult &result)
{
    Err(result.message);
    return kRefused;
}

} // namespace pelvoro::cli
