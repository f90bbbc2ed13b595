#include "editors/table/ui/table_colour_box.h"

#include <QPainter>
#include <QPixmap>

namespace pelvoro {

TColor TableColourOfEntry(int entry)
{
    static constexpr TColor kColours[kTableColourEntries] = {kColorBlack, kColorRed, 0x00FF00, 0x00FFFF};
    return entry >= 0 && entry < kTableColourEntries ? kColours[entry] : kColorBlack;
}

int TableColourEntryOf(TColor colour)
{
    for (int entry = 0; entry < kTableColourEntries; ++entry) {
        if (TableColourOfEntry(entry) == colour)
            return entry;
    }
    return 0;
}

QColor TableColourSwatch(TColor colour)
{
    return QColor(colour & 0xFF, (colour >> 8) & 0xFF, (colour >> 16) & 0xFF);
}

int TableColourEntryCount(int colourModel)
{
    return colourModel >= 2 ? 4 : 2;
}

TableColourBox::TableColourBox(QWidget *parent) : QComboBox(parent)
{
    SetColourModel(1);
}

void TableColourBox::SetColourModel(int colourModel, TColor select)
{
    colourModel_ = colourModel;
    clear();
    static const char *const kNames[kTableColourEntries] = {"黑色", "红色", "绿色", "黄色"};
    for (int entry = 0; entry < TableColourEntryCount(colourModel); ++entry) {
        QPixmap swatch(16, 12);
        swatch.fill(TableColourSwatch(TableColourOfEntry(entry)));
        QPainter frame(&swatch);
        frame.setPen(Qt::gray);
        frame.drawRect(swatch.rect().adjusted(0, 0, -1, -1));
        frame.end();
        addItem(QIcon(swatch), QString::fromUtf8(kNames[entry]));
    }
    SelectColour(select);
}

TColor TableColourBox::Colour() const
{
    return currentIndex() < 0 ? kColorBlack : TableColourOfEntry(currentIndex());
}

void TableColourBox::SelectColour(TColor colour)
{
    const int entry = TableColourEntryOf(colour);
    setCurrentIndex(entry < count() ? entry : 0);
}

} // namespace pelvoro
