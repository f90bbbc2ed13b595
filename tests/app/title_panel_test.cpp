#include "app/title_panel.h"

#include "base/gbk.h"
#include "pages/subtitle_conversion.h"
#include "pages/subtitle_store.h"
#include "support/app_dir_fixture.h"
#include "support/gbk_lines.h"
#include "support/scripted_prompt.h"
#include "support/subtitle_fixtures.h"

#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSignalSpy>
#include <QSpinBox>
#include <QTest>
#include <QToolButton>
#include <QTreeWidget>

#include <memory>

namespace pelvoro::test {
namespace {

class TitlePanelTest : public AppDirTest {
protected:
    void SetUp() override
    {
        AppDirTest::SetUp();
        table.LastIndex = 1;
        table[0] = TitleScreen(256, 16, 0);
        table[1] = TitleScreen(256, 16, 0);
    }
    void TearDown() override
    {
        panel.reset();
        AppDirTest::TearDown();
    }

    void Start(int screen = 0)
    {
        panel = std::make_unique<TitlePanel>(table, prompt);
        panel->RefreshSubtitleList(screen);
        panel->show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(panel.get()));
    }
    // Converts `text` as the operator does: types nothing, sets the edit and presses "转换字幕".
    void ConvertText(const QString &text)
    {
        panel->TextEdit()->setText(text);
        panel->ConvertButton()->click();
    }
    void ClickPage(int k)
    {
        QTreeWidgetItem *item = panel->PageList()->topLevelItem(k - 1);
        ASSERT_NE(item, nullptr);
        const QRect rect = panel->PageList()->visualItemRect(item);
        ASSERT_FALSE(rect.isEmpty());
        QTest::mouseClick(panel->PageList()->viewport(), Qt::LeftButton, {}, rect.center());
    }
    QStringList NodeTexts() const
    {
        QStringList texts;
        for (int i = 0; i < panel->PageList()->topLevelItemCount(); ++i)
            texts.append(panel->PageList()->topLevelItem(i)->text(0));
        return texts;
    }
    QStringList Messages() const { return prompt.MessageTexts(QStringLiteral("提示")); }
    SubtitleEntry StoredEntry() const
    {
        const SubtitleState state = ReadSubtitleState(table, 0);
        EXPECT_TRUE(state.Ok()) << state.message.toStdString();
        return state.entry;
    }
    bool SpeedShown() const { return !panel->SpeedEdit()->isHidden(); }
    bool DwellShown() const { return !panel->DwellEdit()->isHidden(); }
    void ChooseFile(const QString &path, int filter)
    {
        prompt.files.enqueue({path});
        prompt.filterIndexes.enqueue(filter);
    }

    ScreenTable table;
    ScriptedPrompt prompt;
    std::unique_ptr<TitlePanel> panel;
};

TEST_F(TitlePanelTest, ControlsStartAsTheStationShowsThem)
{
    Start();
    EXPECT_EQ(panel->StyleList()->currentText(), QStringLiteral("向左连移"));
    EXPECT_EQ(panel->SpeedEdit()->value(), 5);
    EXPECT_EQ(panel->SpeedEdit()->maximum(), 50);
    EXPECT_EQ(panel->DwellEdit()->value(), 0);
    EXPECT_EQ(panel->DwellEdit()->maximum(), 255);
    EXPECT_TRUE(SpeedShown());
    EXPECT_FALSE(DwellShown());
    EXPECT_EQ(panel->ColourList()->count(), 3);
    if (panel->FontList()->findText(QStringLiteral("宋体")) >= 0) {
        EXPECT_EQ(panel->FontList()->currentText(), QStringLiteral("宋体"));
    }
    EXPECT_GT(panel->FontList()->count(), 0);
    panel->SetScreenCaptions(1, 32);
    EXPECT_EQ(panel->EditBox()->title(), QStringLiteral("2号屏大字幕编辑"));
    EXPECT_EQ(panel->ListBox()->title(), QStringLiteral("2号屏大字幕列表"));
    panel->SetCapacity(127);
    EXPECT_EQ(panel->CapacityLabel()->text(), QStringLiteral("最大存储页数：127页"));
}

TEST_F(TitlePanelTest, ConvertListsThePagesAndKeepsTheText)
{
    Start();
    QSignalSpy changed(panel.get(), &TitlePanel::SubtitleChanged);
    ConvertText(Chinese(40));
    EXPECT_EQ(NodeTexts(), (QStringList{"字幕页1", "字幕页2", "字幕页3"}));
    EXPECT_EQ(panel->PageCount(), 3);
    EXPECT_EQ(ReadFile("TavrelTitle1.dat").size(), 1554);
    EXPECT_EQ(ReadFile("TavrelTitle1.txt"), ToGbk(Chinese(40)));
    EXPECT_EQ(panel->TextEdit()->text(), Chinese(40));
    ASSERT_EQ(changed.count(), 1);
    EXPECT_EQ(changed[0][0].toInt(), 0);
    EXPECT_TRUE(prompt.messages.isEmpty());

    // Another screen lists its own subtitle; coming back lists this one again.
    panel->RefreshSubtitleList(1);
    EXPECT_EQ(panel->PageCount(), 0);
    EXPECT_TRUE(panel->TextEdit()->text().isEmpty());
    panel->RefreshSubtitleList(0);
    EXPECT_EQ(panel->PageCount(), 3);
    EXPECT_EQ(panel->TextEdit()->text(), Chinese(40));
}

TEST_F(TitlePanelTest, ConvertingABlankTextRemovesThePages)
{
    Start();
    ConvertText(QStringLiteral("abc"));
    ASSERT_EQ(panel->PageCount(), 1);
    QSignalSpy changed(panel.get(), &TitlePanel::SubtitleChanged);
    ConvertText(QStringLiteral("   "));
    EXPECT_EQ(panel->PageCount(), 0);
    EXPECT_FALSE(Exists("TavrelTitle1.dat"));
    EXPECT_FALSE(Exists("TavrelTitle1.txt"));
    EXPECT_EQ(Messages(), QStringList{"编辑框没有信息,不能转换字幕页!"});
    EXPECT_EQ(changed.count(), 1);
}

TEST_F(TitlePanelTest, TypingStopsAt512Bytes)
{
    Start();
    QLineEdit *edit = panel->TextEdit();
    edit->setFocus();
    QTest::keyClicks(edit, QString(600, QLatin1Char('a')));
    EXPECT_EQ(edit->text().size(), 512);

    edit->clear();
    edit->insert(Chinese(300)); // as typing or pasting does
    EXPECT_TRUE(edit->text().isEmpty()) << "600 bytes are refused at once";
    edit->insert(Chinese(256));
    EXPECT_EQ(edit->text(), Chinese(256));
    edit->insert(QStringLiteral("x"));
    EXPECT_EQ(edit->text(), Chinese(256));

    // A text from a file may be longer; it can be shortened but not lengthened by typing.
    edit->setText(Chinese(400));
    QTest::keyClick(edit, Qt::Key_Backspace);
    EXPECT_EQ(edit->text(), Chinese(399));
    QTest::keyClicks(edit, QStringLiteral("y"));
    EXPECT_EQ(edit->text(), Chinese(399));
}

TEST_F(TitlePanelTest, AddingFromTextAndRichTextFilesAppendsAndConverts)
{
    WriteFile("lines.txt", GbkLines({"今天", "营业"}));
    WriteFile("doc.rtf", QByteArray("{\\rtf1\\ansi\\ansicpg936\\f0\\fs24 first\\par second\\par}"));
    Start();
    panel->TextEdit()->setText(QStringLiteral("欢迎"));

    ChooseFile(Path("lines.txt"), 0);
    panel->AddButton()->click();
    ASSERT_EQ(prompt.fileDialogs.size(), 1);
    EXPECT_EQ(prompt.fileDialogs[0].filters, (QStringList{"文本文档(*.txt)", "Rich Text Format(*.rtf)"}));
    EXPECT_EQ(panel->TextEdit()->text(), QStringLiteral("欢迎今天营业"));
    EXPECT_EQ(ReadFile("TavrelTitle1.txt"), Gbk("欢迎今天营业"));
    EXPECT_EQ(panel->PageCount(), 1);

    ChooseFile(Path("doc.rtf"), 1);
    panel->AddButton()->click();
    EXPECT_EQ(panel->TextEdit()->text(), QStringLiteral("欢迎今天营业firstsecond"));
    EXPECT_EQ(ReadFile("TavrelTitle1.txt"), Gbk("欢迎今天营业firstsecond"));

    // A text file saved as UTF-8 reads as what it says; the station's own text file stays GBK.
    WriteFile("utf8.txt", QStringLiteral("出口\n").toUtf8());
    ChooseFile(Path("utf8.txt"), 0);
    panel->AddButton()->click();
    EXPECT_EQ(panel->TextEdit()->text(), QStringLiteral("欢迎今天营业firstsecond出口"));
    EXPECT_EQ(ReadFile("TavrelTitle1.txt"), Gbk("欢迎今天营业firstsecond出口"));
    EXPECT_TRUE(prompt.messages.isEmpty());

    // Cancelling the dialog changes nothing.
    prompt.files.enqueue({});
    panel->AddButton()->click();
    EXPECT_EQ(panel->TextEdit()->text(), QStringLiteral("欢迎今天营业firstsecond出口"));
}

TEST_F(TitlePanelTest, AddingUnreadableOrEmptyFiles)
{
    WriteFile("empty.txt", QByteArray("\r\n\r\n"));
    Start();

    // Nothing to convert: the file was empty.
    ChooseFile(Path("empty.txt"), 0);
    panel->AddButton()->click();
    EXPECT_EQ(Messages(), QStringList{"该文件内容为空！"});
    EXPECT_EQ(prompt.messages.last().icon, PromptIcon::Warning);
    EXPECT_FALSE(Exists("TavrelTitle1.dat"));

    // A rich-text file that cannot be read leaves the text as it was, which is still converted.
    prompt.messages.clear();
    panel->TextEdit()->setText(QStringLiteral("abc"));
    ChooseFile(Path("missing.rtf"), 1);
    panel->AddButton()->click();
    EXPECT_EQ(Messages(), QStringList{"找不到相应文件"});
    EXPECT_EQ(prompt.messages.first().icon, PromptIcon::Warning);
    EXPECT_EQ(panel->TextEdit()->text(), QStringLiteral("abc"));
    EXPECT_EQ(panel->PageCount(), 1);

    // With an empty text both messages follow each other.
    prompt.messages.clear();
    panel->DeleteAllButton()->click();
    ChooseFile(Path("missing.rtf"), 1);
    panel->AddButton()->click();
    EXPECT_EQ(Messages(), (QStringList{"找不到相应文件", "该文件内容为空！"}));
}

TEST_F(TitlePanelTest, CapacityDisablesAddingUntilEverythingIsDeleted)
{
    // 2048 x 32 dual colour: 7 pages of 128 bytes of text each.
    table[0] = TitleScreen(2048, 32, 1);
    Start();
    QSignalSpy changed(panel.get(), &TitlePanel::SubtitleChanged);
    ConvertText(QString(10 * 128, QLatin1Char('x')));
    EXPECT_EQ(Messages(), QStringList{"最多可编辑7页内容"});
    EXPECT_EQ(panel->PageCount(), 7);
    EXPECT_FALSE(panel->AddButton()->isEnabled());
    EXPECT_FALSE(panel->ConvertButton()->isEnabled());

    panel->DeleteAllButton()->click();
    EXPECT_FALSE(Exists("TavrelTitle1.dat"));
    EXPECT_FALSE(Exists("TavrelTitle1.txt"));
    EXPECT_TRUE(panel->TextEdit()->text().isEmpty());
    EXPECT_EQ(panel->PageCount(), 0);
    EXPECT_TRUE(panel->AddButton()->isEnabled());
    EXPECT_TRUE(panel->ConvertButton()->isEnabled());
    EXPECT_EQ(changed.count(), 2);
}

TEST_F(TitlePanelTest, SelectingAPageShowsItWithoutWriting)
{
    Start();
    ConvertText(Chinese(40));
    // Stored values the controls would write differently if showing them counted as an edit.
    ASSERT_TRUE(WriteSubtitleEntry(table, 0, SubtitleEntry{1, 4, 33, 9}).Ok());
    const QByteArray before = ReadFile("TavrelTitle1.dat");
    QSignalSpy shown(panel.get(), &TitlePanel::SubtitlePageShown);
    QSignalSpy changed(panel.get(), &TitlePanel::SubtitleChanged);

    ClickPage(2);
    ASSERT_EQ(shown.count(), 1) << "one read per click";
    EXPECT_EQ(shown[0][0].toInt(), 0);
    EXPECT_EQ(shown[0][1].toInt(), 2);
    EXPECT_EQ(shown[0][2].value<QImage>(), ReadSubtitlePage(table, 0, 2).image);
    EXPECT_EQ(panel->StyleList()->currentIndex(), 1);
    EXPECT_TRUE(DwellShown());
    EXPECT_EQ(panel->DwellEdit()->value(), 9);
    EXPECT_FALSE(SpeedShown());
    EXPECT_EQ(panel->SpeedEdit()->value(), 0);
    EXPECT_EQ(panel->CurrentEntry(), (SubtitleEntry{1, 4, 33, 9}));

    ClickPage(2); // the selected page again
    EXPECT_EQ(shown.count(), 2);

    ASSERT_TRUE(WriteSubtitleEntry(table, 0, SubtitleEntry{0, 4, 7, 9}).Ok());
    const QByteArray scrolling = ReadFile("TavrelTitle1.dat");
    ClickPage(3);
    EXPECT_EQ(panel->StyleList()->currentIndex(), 0);
    EXPECT_TRUE(SpeedShown());
    EXPECT_EQ(panel->SpeedEdit()->value(), 7);
    EXPECT_FALSE(DwellShown());
    EXPECT_EQ(panel->DwellEdit()->value(), 0);
    EXPECT_EQ(ReadFile("TavrelTitle1.dat"), scrolling);
    EXPECT_NE(scrolling, before);
    EXPECT_EQ(changed.count(), 0);
    EXPECT_TRUE(prompt.messages.isEmpty());
}

// Every change of a control writes the whole entry at once.
TEST_F(TitlePanelTest, AttributeEditsAreWrittenAtOnce)
{
    Start();
    ConvertText(Chinese(40));
    ASSERT_EQ(StoredEntry(), (SubtitleEntry{0, 0, 1, 1})) << "a conversion writes speed and dwell 1";
    QSignalSpy changed(panel.get(), &TitlePanel::SubtitleChanged);

    panel->SpeedEdit()->setValue(7);
    EXPECT_EQ(StoredEntry(), (SubtitleEntry{0, 0, 7, 1}));
    panel->StyleList()->setCurrentIndex(1);
    EXPECT_EQ(StoredEntry(), (SubtitleEntry{1, 0, 7, 1}));
    EXPECT_TRUE(DwellShown());
    EXPECT_FALSE(SpeedShown());
    panel->DwellEdit()->setValue(9);
    EXPECT_EQ(StoredEntry(), (SubtitleEntry{1, 0, 5, 9}));
    panel->StyleList()->setCurrentIndex(0);
    EXPECT_EQ(StoredEntry(), (SubtitleEntry{0, 0, 5, 9}));
    EXPECT_TRUE(SpeedShown());
    EXPECT_EQ(changed.count(), 4);

    // A new conversion keeps the style and starts speed and dwell at 1 again.
    panel->StyleList()->setCurrentIndex(1);
    panel->ConvertButton()->click();
    EXPECT_EQ(StoredEntry(), (SubtitleEntry{1, 0, 1, 1}));
}

TEST_F(TitlePanelTest, SendNeedsPages)
{
    Start();
    QSignalSpy send(panel.get(), &TitlePanel::SendRequested);
    panel->SendButton()->click();
    EXPECT_EQ(Messages(), QStringList{"没有添加字幕页,请添加字幕页!"});
    EXPECT_EQ(send.count(), 0);

    ConvertText(QStringLiteral("abc"));
    prompt.messages.clear();
    panel->SendButton()->click();
    EXPECT_EQ(send.count(), 1);
    EXPECT_TRUE(prompt.messages.isEmpty());
}

TEST_F(TitlePanelTest, DamagedFileIsReportedAndCanBeDeleted)
{
    WriteFile("TavrelTitle1.dat", QByteArray("\x01\xD2\x08\x00\x00\x00\x00\x00\xFF\x00\x0F\x00\x02", 13));
    Start();
    EXPECT_EQ(panel->PageCount(), 2);
    QSignalSpy shown(panel.get(), &TitlePanel::SubtitlePageShown);
    ClickPage(1);
    EXPECT_EQ(shown.count(), 0);
    ASSERT_EQ(prompt.messages.size(), 1);
    EXPECT_TRUE(prompt.messages[0].text.startsWith(QStringLiteral("字幕文件TavrelTitle1.dat已损坏：")));
    EXPECT_EQ(prompt.messages[0].icon, PromptIcon::Error);

    panel->DeleteAllButton()->click();
    EXPECT_FALSE(Exists("TavrelTitle1.dat"));
    EXPECT_EQ(panel->PageCount(), 0);
}

} // namespace
} // namespace pelvoro::test
