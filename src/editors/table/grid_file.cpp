// The grid's table files.
#include "editors/table/grid_model.h"

#include "base/atomic_file.h"
#include "editors/table/bls_reader.h"
#include "editors/table/bls_writer.h"

#include <QFile>
#include <QIODevice>

namespace pelvoro {

QByteArray TCustomEasyGrid::SaveToBytes() const
{
    return WriteTableFile(content_);
}

TableFileResult TCustomEasyGrid::SaveToStream(QIODevice &stream) const
{
    const QByteArray bytes = SaveToBytes();
    if (stream.write(bytes) != bytes.size())
        return TableFileResult::Failure(stream.errorString());
    return {};
}

TableFileResult TCustomEasyGrid::SaveToFile(const QString &path) const
{
    QString error;
    if (!WriteFileAtomically(path, SaveToBytes(), &error))
        return TableFileResult::Failure(error);
    return {};
}

void TCustomEasyGrid::AdoptContent(GridContent &&content)
{
    content_ = std::move(content);
    // The first cell that is neither a title nor fixed becomes current.
    current_ = anchor_ = topLeft_ = QPoint(FixedCols() + 1, FixedRows() + 1);
    selection_ = GridRect::Cell(current_.x(), current_.y());
    ClipSelection();
    RepaintAll();
}

TableFileResult TCustomEasyGrid::LoadFromBytes(QByteArrayView bytes)
{
    TableReadResult read = ReadTableFile(bytes);
    if (!read.content)
        return TableFileResult::Failure(read.message);
    AdoptContent(std::move(*read.content));
    return {};
}

TableFileResult TCustomEasyGrid::LoadFromStream(QIODevice &stream)
{
    const qint64 start = stream.pos();
    const QByteArray bytes = stream.readAll();
    TableReadResult read = ReadTableFile(bytes);
    if (!read.content)
        return TableFileResult::Failure(read.message);
    AdoptContent(std::move(*read.content));
    // Leave the stream right after the table, as a reader going field by field would.
    if (!stream.isSequential())
        stream.seek(start + read.consumed);
    return {};
}

TableFileResult TCustomEasyGrid::LoadFromFile(const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return TableFileResult::Failure(QStringLiteral("%1: %2").arg(path, file.errorString()));
    const bool autoUpdate = autoUpdate_;
    autoUpdate_ = false;
    const TableFileResult result = LoadFromBytes(file.readAll());
    SetAutoUpdate(true);
    autoUpdate_ = autoUpdate;
    return result;
}

} // namespace pelvoro
