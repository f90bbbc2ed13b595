// The clock and temperature panel stores into the screen's record, saves at once and moves the
// preview's samples.
#include "main_window_fixture.h"

#include "app/clock_panel.h"
#include "pages/ui/preview_window.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QComboBox>
#include <QLabel>

namespace pelvoro::test {
namespace {

class ClockPanelTest : public MainWindowTest {
protected:
    void SetUp() override
    {
        MainWindowTest::SetUp();
        WriteFile("SysConfig.ini", GbkLines({"[0号屏参数]", "第一区域=固定时钟", "第二区域=固定温度", "时钟对齐方式=0",
                                             "时钟秒=0", "温度颜色=1"}));
        Start();
        window->SetPreview(&preview);
        Click(AreaNode(0, 0));
    }
    ClockPanel *Panel() const { return window->Panelother(); }

    TFrmdisplay preview{table};
};

TEST_F(ClockPanelTest, ControlsShowTheRecordAndEveryChangeIsSavedAndPlaced)
{
    EXPECT_EQ(Panel()->FormatBox()->currentIndex(), 0);
    EXPECT_FALSE(Panel()->PartBox(6)->isChecked());
    EXPECT_TRUE(Panel()->PartBox(0)->isChecked());
    EXPECT_EQ(Panel()->AlignmentGroup()->checkedId(), 0);
    EXPECT_EQ(Panel()->TemperatureColourBox()->currentIndex(), 1);
    const QByteArray before = ReadFile("SysConfig.ini");
    EXPECT_EQ(before, GbkLines({"[0号屏参数]", "第一区域=固定时钟", "第二区域=固定温度", "时钟对齐方式=0", "时钟秒=0",
                                "温度颜色=1"})); // showing the panel writes nothing

    Panel()->FormatBox()->setCurrentIndex(1); // Western form without seconds: "YYYY-MM-DD Www HH:MM", 160 dots
    EXPECT_EQ(table[0].ClockFormat, 1);
    EXPECT_TRUE(ConfigLines().contains("时钟格式=1"));
    EXPECT_EQ(preview.EditTimer()->text().size(), 20);
    EXPECT_EQ(preview.EditTimer()->x(), 0);
    EXPECT_EQ(preview.EditTemp()->x(), 160); // left: the temperature follows the clock

    Panel()->AlignmentGroup()->button(2)->click(); // right: 256 − 160 − 40
    EXPECT_EQ(table[0].ClockAlign, 2);
    EXPECT_EQ(preview.EditTimer()->x(), 56);
    EXPECT_TRUE(ConfigLines().contains("时钟对齐方式=2"));

    Click(AreaNode(0, 1)); // the temperature node
    Panel()->TemperatureScaleBox()->setCurrentIndex(1);
    EXPECT_EQ(table[0].TempFormat, 1);
    EXPECT_EQ(preview.EditTemp()->text(), " 25℉");
    EXPECT_TRUE(ConfigLines().contains("温度格式=1"));
}

} // namespace
} // namespace pelvoro::test
