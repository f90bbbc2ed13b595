#pragma once

#include <QByteArray>
#include <QString>

#include <optional>

// Where the grid's copy, cut and paste put their blocks. The station uses the platform clipboard;
// a test can hand the grid a clipboard of its own.
namespace pelvoro {

// The clipboard format of the grid's blocks.
inline const QString kGridClipboardFormat = QStringLiteral("Vantorlex EasyGrid");

class GridClipboard {
public:
    virtual ~GridClipboard() = default;
    // Empties the clipboard and puts `block` on it under the grid's format.
    virtual void PutBlock(const QByteArray &block) = 0;
    // The block under the grid's format, nullopt when there is none.
    virtual std::optional<QByteArray> Block() const = 0;
};

// The platform clipboard (QGuiApplication::clipboard()). Without a GUI application there is none:
// using it then throws EInvalidGridOperation("Cannot open clipboard").
class SystemGridClipboard : public GridClipboard {
public:
    void PutBlock(const QByteArray &block) override;
    std::optional<QByteArray> Block() const override;
};

} // namespace pelvoro
