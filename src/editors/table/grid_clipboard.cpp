#include "editors/table/grid_clipboard.h"

#include "editors/table/grid_messages.h"
#include "editors/table/grid_types.h"

#include <QClipboard>
#include <QGuiApplication>
#include <QMimeData>

namespace pelvoro {

namespace {

QClipboard *OpenClipboard()
{
    if (qobject_cast<QGuiApplication *>(QCoreApplication::instance()) == nullptr)
        throw EInvalidGridOperation(grid_text::kCannotOpenClipboard);
    QClipboard *clipboard = QGuiApplication::clipboard();
    if (clipboard == nullptr)
        throw EInvalidGridOperation(grid_text::kCannotOpenClipboard);
    return clipboard;
}

} // namespace

void SystemGridClipboard::PutBlock(const QByteArray &block)
{
    QClipboard *clipboard = OpenClipboard();
    clipboard->clear();
    auto *data = new QMimeData;
    data->setData(kGridClipboardFormat, block);
    clipboard->setMimeData(data);
}

std::optional<QByteArray> SystemGridClipboard::Block() const
{
    const QMimeData *data = OpenClipboard()->mimeData();
    if (data == nullptr || !data->hasFormat(kGridClipboardFormat))
        return std::nullopt;
    return data->data(kGridClipboardFormat);
}

} // namespace pelvoro
