#include "editors/table/table_editor_rules.h"

#include <Qt>

#include <algorithm>
#include <cmath>

namespace pelvoro {

int TableEditorPageHeight(int screenHeight, int mainHeight)
{
    return mainHeight < 64 || screenHeight < 64 ? 64 : mainHeight;
}

QSize TableEditorWindowSize(const QSize &window, int barsHeight, const QSize &previous)
{
    QSize size = window;
    if (window.height() - barsHeight != previous.height() + 53)
        size.setHeight(barsHeight + previous.height() + 75);
    if (window.width() != previous.width() + 23 && previous.width() >= 352)
        size.setWidth(previous.width() + 64);
    return size;
}

int TableFitShare(int extent, int marginBefore, int marginAfter, int count)
{
    if (count < 2)
        return 0;
    // Delphi-style div: the share truncates towards zero.
    return (extent - marginBefore - marginAfter - count) / (count - 1);
}

int TableTextLineHeight(int points)
{
    return std::max(1, static_cast<int>(std::nearbyint(points * 96.0 / 72.0)));
}

int TableFitRowHeight(int extent, int marginBefore, int marginAfter, int count, int fontPoints)
{
    return std::max(TableFitShare(extent, marginBefore, marginAfter, count), TableTextLineHeight(fontPoints));
}

TableStartSize TableStartSizeFor(int screenWidth, int screenHeight)
{
    if (screenHeight != 0)
        return {};
    return {(screenWidth - 1) / 61 + 1, 4};
}

std::vector<PastedCell> PlacePastedText(const QString &text, const GridRect &selection, int colCount,
                                        int rowCount)
{
    QStringList lines = text.split(QStringLiteral("\r\n"));
    lines.removeLast(); // what follows the last line break (all of it without one)
    if (lines.isEmpty())
        return {};
    QStringList fields;
    for (const QString &line : lines)
        fields += line.split(QLatin1Char('\t'));
    const int width = int(lines.last().split(QLatin1Char('\t')).size());
    const int height = (int(fields.size()) + width - 1) / width;

    GridRect target;
    if (selection.IsSingleCell())
        target = {selection.Left, selection.Top, std::min(selection.Left + width - 1, colCount - 1),
                  std::min(selection.Top + height - 1, rowCount - 1)};
    else
        target = {selection.Left, selection.Top, std::min(selection.Left + width - 1, selection.Right),
                  std::min(selection.Top + height - 1, selection.Bottom)};

    std::vector<PastedCell> cells;
    for (int row = target.Top; row <= target.Bottom; ++row) {
        for (int col = target.Left; col <= target.Right; ++col) {
            const int index = (row - target.Top) * width + (col - target.Left);
            if (index < fields.size())
                cells.push_back({col, row, fields[index]});
        }
    }
    return cells;
}

QString TableFontSizeText(const QString &typed)
{
    const QString trimmed = typed.trimmed();
    bool ok = false;
    trimmed.toInt(&ok);
    return ok ? trimmed : QStringLiteral("12");
}

bool TableFontSizeKeyAccepted(int length, int key, const QString &text)
{
    if (length >= 3)
        return false;
    if (key == Qt::Key_Backspace || key == Qt::Key_Return || key == Qt::Key_Enter)
        return true;
    const QChar ch = text.size() == 1 ? text[0] : QChar();
    return (ch >= QLatin1Char('0') && ch <= QLatin1Char('9')) || ch == QLatin1Char('.');
}

int TableSizeSpinUp(int value)
{
    return value + 1;
}

int TableSizeSpinDown(int value)
{
    return value > 10 ? value - 1 : value;
}

QString TableSuggestedName(int screenIndex)
{
    return QStringLiteral("Tavrel%1-1.bls").arg(screenIndex + 1);
}

QString TableSaveName(const QString &chosen)
{
    return chosen.right(4).toLower() == QStringLiteral(".bls") ? chosen : chosen + QStringLiteral(".bls");
}

} // namespace pelvoro
