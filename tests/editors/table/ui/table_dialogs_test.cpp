#include "editors/table/ui/cell_properties_dialog.h"
#include "editors/table/ui/table_colour_box.h"
#include "editors/table/ui/table_properties_dialog.h"

#include "editors/table/grid_fixture.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QFrame>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QTabWidget>
#include <QTest>
#include <QToolButton>

namespace pelvoro::test {
namespace {

template <typename T>
T *Child(const QWidget &parent, const char *name)
{
    T *child = parent.findChild<T *>(QString::fromLatin1(name));
    EXPECT_NE(child, nullptr) << name;
    return child;
}

// Clicks a button as the operator would, once the page it sits on is laid out.
void Click(QAbstractButton *button)
{
    QApplication::processEvents();
    // A check box stretched by its layout answers only over its box and text.
    const QPoint at = qobject_cast<QCheckBox *>(button) ? QPoint(6, button->height() / 2) : button->rect().center();
    QTest::mouseClick(button, Qt::LeftButton, {}, at);
}

void Click(const QWidget &dialog, const char *button)
{
    Click(Child<QAbstractButton>(dialog, button));
}

void ChooseRow(QListWidget *list, int row)
{
    list->scrollToItem(list->item(row));
    QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, list->visualItemRect(list->item(row)).center());
}

QStringList Entries(const QComboBox &box)
{
    QStringList texts;
    for (int i = 0; i < box.count(); ++i)
        texts << box.itemText(i);
    return texts;
}

QStringList Entries(const QListWidget &list)
{
    QStringList texts;
    for (int i = 0; i < list.count(); ++i)
        texts << list.item(i)->text();
    return texts;
}

TEST(TableColourBox, EntriesByModelWithTheirColoursAndSwatches)
{
    TableColourBox box;
    box.SetColourModel(1);
    EXPECT_EQ(Entries(box), QStringList({"黑色", "红色"}));
    box.SetColourModel(2);
    EXPECT_EQ(Entries(box), QStringList({"黑色", "红色", "绿色", "黄色"}));

    const TColor colours[] = {0x000000, 0x0000FF, 0x00FF00, 0x00FFFF};
    const QColor swatches[] = {Qt::black, Qt::red, Qt::green, Qt::yellow};
    for (int entry = 0; entry < 4; ++entry) {
        EXPECT_EQ(TableColourOfEntry(entry), colours[entry]) << entry;
        EXPECT_EQ(TableColourEntryOf(colours[entry]), entry) << entry;
        box.setCurrentIndex(entry);
        EXPECT_EQ(box.Colour(), colours[entry]);
        const QImage swatch = box.itemIcon(entry).pixmap(16, 12).toImage();
        EXPECT_EQ(swatch.pixelColor(8, 6), swatches[entry]) << entry;
    }
    // Any other colour shows as black, and so does green on a two-colour list.
    box.SelectColour(0x123456);
    EXPECT_EQ(box.currentIndex(), 0);
    box.SetColourModel(1, 0x00FF00);
    EXPECT_EQ(box.currentIndex(), 0);
    box.SetColourModel(1, kColorRed);
    EXPECT_EQ(box.Colour(), kColorRed);
}

// --- 表格属性 ----------------------------------------------------------------------------------

// The editor window as the properties dialog sees it: a real table engine, its calls recorded.
class FakePageHost : public TablePageHost {
public:
    explicit FakePageHost(Prompt &prompt) : engine(prompt) { engine.SetPageArea(256, 128, {}, 1); }

    TEasyGrid &Grid() override { return engine.Grid(); }
    PageArea GetPageArea() const override { return engine.GetPageArea(); }
    void SetPageArea(int width, int height, const PageMargins &margins, int colourModel) override
    {
        calls << QStringLiteral("SetPageArea %1x%2 %3,%4,%5,%6 model %7 rows %8")
                     .arg(width)
                     .arg(height)
                     .arg(margins.Left)
                     .arg(margins.Top)
                     .arg(margins.Right)
                     .arg(margins.Bottom)
                     .arg(colourModel)
                     .arg(engine.Grid().RowCount());
        engine.SetPageArea(width, height, margins, colourModel);
    }
    QSize ScreenMainArea() const override { return {256, 128}; }
    void FitColumns() override
    {
        calls << QStringLiteral("FitColumns cols %1").arg(engine.Grid().ColCount());
        engine.FitColumns();
    }

    TableEngine engine;
    QStringList calls;
};

class TablePropertiesTest : public ::testing::Test {
protected:
    QLineEdit *Field(const char *name) { return Child<QLineEdit>(dialog, name); }

    ScriptedPrompt prompt;
    FakePageHost host{prompt};
    TEasyGrid &grid = host.engine.Grid();
    TFrmPara dialog{host};
};

TEST_F(TablePropertiesTest, OpensWithTheGridsCountsMarginsOfOneAndRedLines)
{
    dialog.open();
    EXPECT_EQ(dialog.windowTitle(), QStringLiteral("表格属性"));
    EXPECT_EQ(Field("Rows")->text(), QStringLiteral("4"));
    EXPECT_EQ(Field("Cols")->text(), QStringLiteral("4"));
    for (const char *margin : {"TopMargin", "BottomMargin", "LeftMargin", "RightMargin"})
        EXPECT_EQ(Field(margin)->text(), QStringLiteral("1")) << margin;
    auto *colour = Child<QComboBox>(dialog, "LineColour");
    EXPECT_EQ(Entries(*colour), QStringList({"黑色", "红色"}));
    EXPECT_EQ(colour->currentText(), QStringLiteral("红色"));
    dialog.reject();

    // Shown again: the counts and the colour list follow the editor, typed margins stay.
    Field("TopMargin")->setText(QStringLiteral("7"));
    grid.SetRowCount(9);
    host.engine.SetPageArea(256, 128, {}, 2);
    dialog.open();
    EXPECT_EQ(Field("Rows")->text(), QStringLiteral("8"));
    EXPECT_EQ(Field("TopMargin")->text(), QStringLiteral("7"));
    EXPECT_EQ(Entries(*colour).size(), 4);
    EXPECT_EQ(colour->currentText(), QStringLiteral("红色"));
}

TEST_F(TablePropertiesTest, FieldsTakeDigitsAndBackspaceOnly)
{
    dialog.open();
    for (const char *name : {"Rows", "Cols", "TopMargin", "BottomMargin", "LeftMargin", "RightMargin"}) {
        QLineEdit *edit = Field(name);
        edit->clear();
        QTest::keyClicks(edit, QStringLiteral("1a-2.x 3"));
        EXPECT_EQ(edit->text(), QStringLiteral("123")) << name;
        QTest::keyClick(edit, Qt::Key_Backspace);
        EXPECT_EQ(edit->text(), QStringLiteral("12")) << name;
    }
}

TEST_F(TablePropertiesTest, SpinButtonsCountUpAndDownToZero)
{
    dialog.open();
    for (const char *name : {"Rows", "TopMargin", "BottomMargin", "LeftMargin", "RightMargin"}) {
        QLineEdit *edit = Field(name);
        const QByteArray up = QByteArray(name) + "Up";
        const QByteArray down = QByteArray(name) + "Down";
        edit->setText(QStringLiteral("1"));
        Click(dialog, up.constData());
        Click(dialog, up.constData());
        EXPECT_EQ(edit->text(), QStringLiteral("3")) << name;
        for (int i = 0; i < 5; ++i)
            Click(dialog, down.constData());
        EXPECT_EQ(edit->text(), QStringLiteral("0")) << name;
    }
}

TEST_F(TablePropertiesTest, OkLaysThePageOutAgainAndSetsCountsWidthsAndLineColour)
{
    grid.SetCellProp({1, 1, 2, 2}, CellProp::LineWidth, 3);
    dialog.open();
    Field("Rows")->setText(QStringLiteral("6"));
    Field("Cols")->setText(QStringLiteral("3"));
    Field("TopMargin")->setText(QStringLiteral("2"));
    Field("BottomMargin")->setText(QStringLiteral("3"));
    Field("LeftMargin")->setText(QStringLiteral("4"));
    Field("RightMargin")->setText(QStringLiteral("5"));
    Child<QComboBox>(dialog, "LineColour")->setCurrentIndex(0);
    Click(dialog, "BtnOk");

    EXPECT_EQ(dialog.result(), QDialog::Accepted);
    EXPECT_FALSE(dialog.isVisible());
    // The page first, with the old counts; the columns are fitted once the counts are set.
    EXPECT_EQ(host.calls, QStringList({"SetPageArea 256x128 4,2,5,3 model 1 rows 5", "FitColumns cols 4"}));
    EXPECT_EQ(grid.RowCount(), 7);
    EXPECT_EQ(grid.ColCount(), 4);
    EXPECT_EQ(grid.ColWidth(1), (256 - 4 - 5 - 4) / 3);
    EXPECT_EQ(grid.Props().ClientLineColor, kColorBlack);
    for (int col = 1; col < grid.ColCount(); ++col) {
        for (int row = 1; row < grid.RowCount(); ++row)
            EXPECT_EQ(grid.Cell(col, row).LineWidth, 1) << col << "," << row;
    }
}

TEST_F(TablePropertiesTest, LineColourByEntry)
{
    host.engine.SetPageArea(256, 128, {}, 2);
    const TColor expected[] = {kColorBlack, kColorRed, 0x00FF00, 0x00FFFF};
    for (int entry = 0; entry < 4; ++entry) {
        dialog.open();
        Child<QComboBox>(dialog, "LineColour")->setCurrentIndex(entry);
        Click(dialog, "BtnOk");
        EXPECT_EQ(grid.Props().ClientLineColor, expected[entry]) << entry;
        EXPECT_EQ(host.GetPageArea().colourModel, 2) << "a four-colour page keeps its colours";
    }
}

TEST_F(TablePropertiesTest, CancelChangesNothing)
{
    const QByteArray before = grid.SaveToBytes();
    dialog.open();
    Field("Rows")->setText(QStringLiteral("9"));
    Field("LeftMargin")->setText(QStringLiteral("9"));
    Child<QComboBox>(dialog, "LineColour")->setCurrentIndex(0);
    Click(dialog, "BtnCancel");
    EXPECT_EQ(dialog.result(), QDialog::Rejected);
    EXPECT_TRUE(host.calls.isEmpty());
    EXPECT_EQ(grid.SaveToBytes(), before);
}

// --- 单元格格式 --------------------------------------------------------------------------------

class CellPropertiesTest : public GridTest {
protected:
    // A dialog for `selection`, shown, on the given page.
    std::unique_ptr<TFormCellProp> Open(const GridRect &selection, int page = 0)
    {
        auto dialog = std::make_unique<TFormCellProp>(grid, selection);
        dialog->open();
        Child<QTabWidget>(*dialog, "Pages")->setCurrentIndex(page);
        return dialog;
    }
};

TEST_F(CellPropertiesTest, ShowsTheValuesTheCellsShare)
{
    const GridRect sel{1, 1, 2, 2};
    grid.SetCellProp(sel, CellProp::DataStyle, int(dsNumber));
    grid.SetCellProp(sel, CellProp::IntLength, 7);
    grid.SetCellProp(sel, CellProp::ThousandSep, true);
    grid.SetCellProp(sel, CellProp::AlignMode, int(taBottomRight));
    grid.SetCellProp(sel, CellProp::FontStyle, int(kFontItalic | kFontUnderline));
    grid.SetCellProp(sel, CellProp::FontSize, 14);
    grid.SetCellProp(sel, CellProp::PenStyle, int(psDashDotDot));
    grid.SetCellProp(sel, CellProp::Color, 0x00FF00);
    grid.SetCellProp(sel, CellProp::DrawBottom, true);
    const auto d = Open(sel);

    EXPECT_EQ(d->windowTitle(), QStringLiteral("单元格格式"));
    EXPECT_EQ(Child<QListWidget>(*d, "TypeList")->currentItem()->text(), QStringLiteral("数值"));
    EXPECT_FALSE(Child<QWidget>(*d, "NumberFields")->isHidden());
    EXPECT_EQ(Child<QLineEdit>(*d, "MaxLength")->text(), QStringLiteral("255"));
    EXPECT_EQ(Child<QLineEdit>(*d, "IntLength")->text(), QStringLiteral("7"));
    EXPECT_EQ(Child<QLineEdit>(*d, "DecLength")->text(), QStringLiteral("2"));
    EXPECT_EQ(Child<QCheckBox>(*d, "ThousandSep")->checkState(), Qt::Checked);
    EXPECT_EQ(Child<QCheckBox>(*d, "TrailingZero")->checkState(), Qt::Unchecked);
    EXPECT_EQ(Child<QComboBox>(*d, "HorzAlign")->currentText(), QStringLiteral("文本居右"));
    EXPECT_EQ(Child<QComboBox>(*d, "VertAlign")->currentText(), QStringLiteral("文本居下"));
    EXPECT_EQ(Child<QCheckBox>(*d, "MergeCells")->checkState(), Qt::Unchecked);
    EXPECT_EQ(Child<QListWidget>(*d, "FontNameList")->currentItem()->text(), QStringLiteral("宋体"));
    EXPECT_EQ(Child<QListWidget>(*d, "FontStyleList")->currentItem()->text(), QStringLiteral("倾斜"));
    EXPECT_EQ(Child<QCheckBox>(*d, "Underline")->checkState(), Qt::Checked);
    EXPECT_EQ(Child<QLineEdit>(*d, "FontSize")->text(), QStringLiteral("14"));
    EXPECT_EQ(Child<QListWidget>(*d, "FontSizeList")->currentItem()->text(), QStringLiteral("14"));
    EXPECT_FALSE(Child<QFrame>(*d, "FontColourPanel")->isHidden());
    EXPECT_EQ(Child<QComboBox>(*d, "PenStyle")->currentText(), QStringLiteral("两短一长相间虚线"));
    auto *back = Child<QFrame>(*d, "BackColourPanel");
    EXPECT_FALSE(back->isHidden());
    EXPECT_EQ(back->palette().color(QPalette::Window), QColor(Qt::green));
    EXPECT_EQ(Child<QCheckBox>(*d, "DrawBottom")->checkState(), Qt::Checked);
    EXPECT_EQ(Child<QCheckBox>(*d, "DrawTop")->checkState(), Qt::Unchecked);
    EXPECT_EQ(Child<QLineEdit>(*d, "LineWidth")->text(), QStringLiteral("1"));
    EXPECT_EQ(Child<QCheckBox>(*d, "ReadOnly")->checkState(), Qt::Unchecked);
}

// One cell of the selection set apart leaves the matching control undecided.
TEST_F(CellPropertiesTest, DifferingPropertiesAreMarkedUndecided)
{
    enum Kind { Text, Grey, NoListRow, NoComboEntry, NoPanel };
    struct Case {
        CellProp prop;
        QVariant value;
        const char *control;
        Kind kind;
    };
    const Case cases[] = {
        {CellProp::DataStyle, int(dsTime), "TypeList", NoListRow},
        {CellProp::MaxLength, 9, "MaxLength", Text},
        {CellProp::DecLength, 0, "DecLength", Text},
        {CellProp::AllowNegative, false, "AllowNegative", Grey},
        {CellProp::ZeroNull, true, "ZeroNull", Grey},
        {CellProp::AlignMode, int(taLeft), "HorzAlign", NoComboEntry},
        {CellProp::AlignMode, int(taTop), "VertAlign", NoComboEntry},
        {CellProp::AutoWordBreak, false, "AutoWordBreak", Grey},
        {CellProp::FontName, QStringLiteral("黑体"), "FontNameList", NoListRow},
        {CellProp::FontStyle, int(kFontBold), "FontStyleList", NoListRow},
        {CellProp::FontStyle, int(kFontUnderline), "Underline", Grey},
        {CellProp::FontSize, 20, "FontSize", Text},
        {CellProp::FontColor, kColorRed, "FontColourPanel", NoPanel},
        {CellProp::DrawLeft, true, "DrawLeft", Grey},
        {CellProp::LineWidth, 2, "LineWidth", Text},
        {CellProp::PenStyle, int(psDot), "PenStyle", NoComboEntry},
        {CellProp::Color, kColorBlack, "BackColourPanel", NoPanel},
        {CellProp::ReadOnly, true, "ReadOnly", Grey},
    };
    for (const Case &c : cases) {
        TEasyGrid g{prompt, ScreenResolution{96, 96}};
        g.SetCellProp(GridRect::Cell(2, 3), c.prop, c.value);
        TFormCellProp d(g, {1, 1, 2, 3});
        d.open();
        switch (c.kind) {
        case Text:
            EXPECT_EQ(Child<QLineEdit>(d, c.control)->text(), QString()) << c.control;
            break;
        case Grey:
            EXPECT_EQ(Child<QCheckBox>(d, c.control)->checkState(), Qt::PartiallyChecked) << c.control;
            break;
        case NoListRow:
            EXPECT_TRUE(Child<QListWidget>(d, c.control)->selectedItems().isEmpty()) << c.control;
            break;
        case NoComboEntry:
            EXPECT_EQ(Child<QComboBox>(d, c.control)->currentIndex(), -1) << c.control;
            break;
        case NoPanel:
            EXPECT_TRUE(Child<QFrame>(d, c.control)->isHidden()) << c.control;
            break;
        }
        // Nothing undecided is written back: OK leaves the odd cell as it was.
        const TCellInfo odd = g.Cell(2, 3);
        Click(d, "BtnOk");
        EXPECT_EQ(g.Cell(2, 3), odd) << c.control;
    }
}

TEST_F(CellPropertiesTest, ChoosingATypeShowsItsSamplesAndNumberFields)
{
    struct Case {
        int row;
        QStringList samples;
        QString description;
        bool numberFields;
    };
    const Case cases[] = {
        {0, {"中文字符", "12345678", "ABCDEFG HIJKLMN", ",.<>!@#$%^&*()"},
         "常规类型的单元格可以输入任意字符,而不作特殊的处理。", false},
        {1, {"123", "12345.6789", "-98765.4321", "0.0005"}, "数值类型的单元格用于一般数字的显示和输入。", true},
        {2, {"1999-01-01"}, "日期类型的单元格允许按日期格式显示和输入内容。", false},
        {3, {"8:30", "00:00:01", "12:00:00", "23:59:59"}, "时间类型的单元格允许按时间格式显示和输入内容。", false},
    };
    const auto d = Open({1, 1, 1, 1});
    auto *types = Child<QListWidget>(*d, "TypeList");
    EXPECT_EQ(Entries(*types), QStringList({"常规", "数值", "日期", "时间"}));
    for (const Case &c : cases) {
        ChooseRow(types, c.row);
        EXPECT_EQ(Entries(*Child<QListWidget>(*d, "SampleList")), c.samples) << c.row;
        EXPECT_EQ(Child<QLabel>(*d, "Description")->text(), c.description) << c.row;
        EXPECT_NE(Child<QWidget>(*d, "NumberFields")->isHidden(), c.numberFields) << c.row;
    }
}

TEST_F(CellPropertiesTest, NumberBoxesRefuseOtherKeysAndStopAtTheirLimits)
{
    struct Case {
        const char *box;
        int page;
        QString typed;
        QString shown;
    };
    const Case cases[] = {
        {"MaxLength", 0, "300", "255"}, {"IntLength", 0, "256", "255"}, {"DecLength", 0, "255", "255"},
        {"LineWidth", 3, "6", "5"},     {"LineWidth", 3, "4", "4"},     {"FontSize", 2, "410", "409"},
        {"FontSize", 2, "1a2.b", "12"}, {"MaxLength", 0, "-#$x", "-#$"},
    };
    grid.SetCellProp({1, 1, 1, 1}, CellProp::DataStyle, int(dsNumber));
    for (const Case &c : cases) {
        const auto d = Open({1, 1, 1, 1}, c.page);
        auto *box = Child<QLineEdit>(*d, c.box);
        box->clear();
        QTest::keyClicks(box, c.typed);
        EXPECT_EQ(box->text(), c.shown) << c.box << " " << c.typed.toStdString();
        QTest::keyClick(box, Qt::Key_Backspace);
        EXPECT_EQ(box->text(), c.shown.chopped(1)) << c.box;
    }
}

TEST_F(CellPropertiesTest, ChoosingOneSideOfAnUndecidedAlignmentPicksTheOthersFirstEntry)
{
    grid.SetCellProp(GridRect::Cell(2, 1), CellProp::AlignMode, int(taBottomRight));
    const auto d = Open({1, 1, 2, 1}, 1);
    auto *horz = Child<QComboBox>(*d, "HorzAlign");
    auto *vert = Child<QComboBox>(*d, "VertAlign");
    ASSERT_EQ(horz->currentIndex(), -1);
    ASSERT_EQ(vert->currentIndex(), -1);
    horz->setFocus();
    QTest::keyClick(horz, Qt::Key_Down);
    EXPECT_EQ(horz->currentIndex(), 0);
    EXPECT_EQ(vert->currentText(), QStringLiteral("文本居上"));
    Click(*d, "BtnOk");
    EXPECT_EQ(grid.Cell(1, 1).AlignMode, taTopLeft);
    EXPECT_EQ(grid.Cell(2, 1).AlignMode, taTopLeft);
}

TEST_F(CellPropertiesTest, OkWritesTheChangesIntoTheWholeSelection)
{
    grid.SetForeText(2, 2, QStringLiteral("1234.5"));
    QList<GridRect> after;
    grid.events.AfterSetCellProp = [&](TCustomEasyGrid &, const GridRect &range) { after << range; };
    const GridRect sel{1, 1, 3, 2};
    const auto d = Open(sel);
    d->SetColourChooser([](TColor) { return std::optional<TColor>(0x00FFFF); });
    ChooseRow(Child<QListWidget>(*d, "TypeList"), 1);
    Click(Child<QCheckBox>(*d, "ThousandSep"));
    ChooseRow(Child<QListWidget>(*d, "FontStyleList"), 2);
    Child<QTabWidget>(*d, "Pages")->setCurrentIndex(3);
    Click(Child<QCheckBox>(*d, "DrawLeft"));
    Click(Child<QCheckBox>(*d, "ReadOnly"));
    Child<QComboBox>(*d, "PenStyle")->setCurrentIndex(int(psDash));
    Click(*d, "BackColourButton");
    EXPECT_FALSE(Child<QFrame>(*d, "BackColourPanel")->isHidden());
    Click(*d, "BtnOk");

    EXPECT_EQ(d->result(), QDialog::Accepted);
    for (int col = sel.Left; col <= sel.Right; ++col) {
        for (int row = sel.Top; row <= sel.Bottom; ++row) {
            const TCellInfo &cell = grid.Cell(col, row);
            EXPECT_EQ(cell.DataStyle, dsNumber) << col << "," << row;
            EXPECT_TRUE(cell.ThousandSep);
            EXPECT_EQ(cell.FontStyle, kFontBold);
            EXPECT_TRUE(cell.DrawLeft);
            EXPECT_TRUE(cell.ReadOnly);
            EXPECT_EQ(cell.PenStyle, psDash);
            EXPECT_EQ(cell.Color, 0x00FFFF);
        }
    }
    EXPECT_EQ(grid.ForeText(2, 2), QStringLiteral("1,234.5"));
    EXPECT_FALSE(grid.Cell(1, 3).ReadOnly);
    EXPECT_FALSE(grid.Cell(4, 1).DrawLeft);
    EXPECT_EQ(after, QList<GridRect>{sel});
}

TEST_F(CellPropertiesTest, CancelAndARefusingOwnerChangeNothing)
{
    int afters = 0;
    grid.events.AfterSetCellProp = [&](TCustomEasyGrid &, const GridRect &) { ++afters; };
    const QByteArray before = grid.SaveToBytes();
    for (const char *button : {"BtnCancel", "BtnOk"}) {
        grid.events.BeforeSetCellProp = [](TCustomEasyGrid &, const GridRect &, bool &can) { can = false; };
        const auto d = Open({1, 1, 2, 2});
        ChooseRow(Child<QListWidget>(*d, "TypeList"), 2);
        Click(Child<QCheckBox>(*d, "AutoWordBreak"));
        Child<QLineEdit>(*d, "FontSize")->setText(QStringLiteral("30"));
        Click(*d, button);
        EXPECT_EQ(d->result(), QDialog::Rejected) << button;
        EXPECT_FALSE(d->isVisible());
        EXPECT_EQ(grid.SaveToBytes(), before) << button;
    }
    EXPECT_EQ(afters, 0);
}

TEST_F(CellPropertiesTest, MergeTickedMergesWithTheQuestionUntickedSplits)
{
    grid.SetForeText(1, 1, QStringLiteral("a"));
    grid.SetForeText(2, 2, QStringLiteral("b"));
    prompt.answers.enqueue(PromptButton::Ok);
    auto d = Open({1, 1, 2, 2}, 1);
    auto *merge = Child<QCheckBox>(*d, "MergeCells");
    Click(merge);
    ASSERT_EQ(merge->checkState(), Qt::Checked);
    Click(*d, "BtnOk");
    EXPECT_EQ(grid.MergeRect(2, 2), (GridRect{1, 1, 2, 2}));
    EXPECT_EQ(Questions().size(), 1);

    d = Open({1, 1, 2, 2}, 1);
    merge = Child<QCheckBox>(*d, "MergeCells");
    ASSERT_EQ(merge->checkState(), Qt::Checked);
    Click(merge);
    Click(*d, "BtnOk");
    EXPECT_FALSE(grid.IsMerged(1, 1));
    EXPECT_EQ(Texts({1, 1, 2, 2}), QStringLiteral("a|/|"));
}

TEST_F(CellPropertiesTest, OpensOnThePageItWasLastClosedOn)
{
    {
        TFormCellProp d(grid, {1, 1, 1, 1});
        d.open();
        Child<QTabWidget>(d, "Pages")->setCurrentIndex(2);
        Click(d, "BtnCancel");
    }
    TFormCellProp next(grid, {1, 1, 1, 1});
    EXPECT_EQ(Child<QTabWidget>(next, "Pages")->currentIndex(), 2);
    next.open();
    Child<QTabWidget>(next, "Pages")->setCurrentIndex(0);
    Click(next, "BtnOk");
    EXPECT_EQ(Child<QTabWidget>(TFormCellProp(grid, {1, 1, 1, 1}), "Pages")->currentIndex(), 0);
}

} // namespace
} // namespace pelvoro::test
