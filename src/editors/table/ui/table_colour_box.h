#pragma once

#include "editors/table/grid_types.h"

#include <QColor>
#include <QComboBox>

// The colour lists of the table editor (background, text and line colour): black and red on a
// two-colour screen, black, red, green and yellow on a four-colour one, each with its swatch.
namespace pelvoro {

inline constexpr int kTableColourEntries = 4;

// Entry 0 black, 1 red, 2 green, 3 yellow; any other entry gives black.
TColor TableColourOfEntry(int entry);
// The entry whose colour is exactly `colour`; black (0) for any other value.
int TableColourEntryOf(TColor colour);
// A table colour (0x00BBGGRR) as the screen shows it.
QColor TableColourSwatch(TColor colour);
// How many entries the lists hold for a colour model: 2 up to model 1, 4 from model 2 on.
int TableColourEntryCount(int colourModel);

class TableColourBox : public QComboBox {
    Q_OBJECT
public:
    explicit TableColourBox(QWidget *parent = nullptr);

    // Refills the list for the model; the selection goes to `select` (black when the model does not
    // offer it).
    void SetColourModel(int colourModel, TColor select = kColorBlack);
    int ColourModel() const { return colourModel_; }
    // The colour of the chosen entry; black when none is chosen.
    TColor Colour() const;
    // Chooses the entry of `colour`, black for a colour the list does not offer.
    void SelectColour(TColor colour);

private:
    int colourModel_ = 1;
};

} // namespace pelvoro
