#pragma once

#include "editors/table/cell_format_selection.h"
#include "editors/table/grid_model.h"

#include <QDialog>

#include <functional>
#include <optional>

class QCheckBox;
class QComboBox;
class QFrame;
class QLabel;
class QLineEdit;
class QListWidget;
class QTabWidget;
class QWidget;

// "单元格格式": the formatting of the cells of the grid's selection.
namespace pelvoro {

class TFormCellProp : public QDialog {
    Q_OBJECT
public:
    // Shows the current cell's values; a property that differs among the cells of `selection` is
    // left undecided (empty box, grey check box, nothing chosen in its list, no colour panel).
    TFormCellProp(TCustomEasyGrid &grid, const GridRect &selection, QWidget *parent = nullptr);
    ~TFormCellProp() override;

    // Picks a colour for "…" starting from the shown one; nullopt when the operator cancels. A
    // colour dialog unless set otherwise.
    using ColourChooser = std::function<std::optional<TColor>(TColor current)>;
    void SetColourChooser(ColourChooser chooser) { chooseColour_ = std::move(chooser); }

    // The values as the controls hold them now; undecided controls give nullopt.
    CellFormat ChosenFormat() const;

    void done(int result) override;

private:
    QWidget *MakeTypePage();
    QWidget *MakeAlignPage();
    QWidget *MakeFontPage();
    QWidget *MakeOtherPage();
    void Show(const CellFormat &format);
    void ShowType(int row);
    void ShowColour(QFrame *panel, std::optional<TColor> &slot, std::optional<TColor> colour);
    void PickColour(QFrame *panel, std::optional<TColor> &slot);
    void UpdatePreview();
    // "确定(&Y)": the grid's owner may refuse, then nothing is written and the dialog closes as
    // cancelled; otherwise the format goes into the selection and the owner hears of it.
    void Confirm();

    TCustomEasyGrid &grid_;
    GridRect selection_;
    ColourChooser chooseColour_;
    std::optional<TColor> fontColour_;
    std::optional<TColor> backColour_;

    QTabWidget *pages_ = nullptr;
    QListWidget *typeList_ = nullptr;
    QListWidget *sampleList_ = nullptr;
    QLabel *description_ = nullptr;
    QWidget *numberFields_ = nullptr;
    QLineEdit *maxLength_ = nullptr;
    QLineEdit *intLength_ = nullptr;
    QLineEdit *decLength_ = nullptr;
    QCheckBox *allowNegative_ = nullptr;
    QCheckBox *thousandSep_ = nullptr;
    QCheckBox *trailingZero_ = nullptr;
    QCheckBox *zeroNull_ = nullptr;
    QComboBox *horzAlign_ = nullptr;
    QComboBox *vertAlign_ = nullptr;
    QCheckBox *autoWordBreak_ = nullptr;
    QCheckBox *merge_ = nullptr;
    QListWidget *fontNames_ = nullptr;
    QListWidget *fontStyles_ = nullptr;
    QListWidget *fontSizes_ = nullptr;
    QLineEdit *fontSize_ = nullptr;
    QCheckBox *underline_ = nullptr;
    QFrame *fontColourPanel_ = nullptr;
    QLabel *preview_ = nullptr;
    QCheckBox *drawLeft_ = nullptr;
    QCheckBox *drawRight_ = nullptr;
    QCheckBox *drawTop_ = nullptr;
    QCheckBox *drawBottom_ = nullptr;
    QLineEdit *lineWidth_ = nullptr;
    QComboBox *penStyle_ = nullptr;
    QFrame *backColourPanel_ = nullptr;
    QCheckBox *readOnly_ = nullptr;
};

} // namespace pelvoro
