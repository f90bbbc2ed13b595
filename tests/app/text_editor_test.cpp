// "文本": the rich-text page editor sized for the screen, its lists and commands, its files and the
// questions of closing, and its text becoming the same pages as the saved file.
#include "main_window_fixture.h"

#include "app/main_area_panel.h"
#include "pages/font_substitution.h"
#include "pages/page_conversion.h"
#include "pages/page_store.h"
#include "pages/rich_layout.h"
#include "pages/rtf_reader.h"
#include "pages/rtf_writer.h"
#include "pages/text_editor_pages.h"
#include "pages/ui/text_editor_find.h"
#include "pages/ui/text_editor_window.h"
#include "pages/ui/window_placement.h"
#include "pages/word_to_rtf.h"

#include <QAction>
#include <QComboBox>
#include <QInputMethodEvent>
#include <QScreen>
#include <QStatusBar>
#include <QToolBar>
#include <QLineEdit>
#include <QPointer>
#include <QScrollArea>
#include <QScopeGuard>
#include <QScrollBar>
#include <QToolButton>

namespace pelvoro::test {
namespace {

// --- sizing, without widgets

struct SizingCase {
    int width, height, mainHeight;
    QSize textBox, scrollClient, window;
    bool centred;
};

TEST(TabletSizingTest, TextBoxScrollBoxAndWindowFollowTheScreen)
{
    const SizingCase cases[] = {
        {256, 128, 128, {281, 131}, {281, 131}, {452, 327}, true},  // narrow: 452 wide
        {400, 128, 128, {425, 131}, {425, 131}, {445, 327}, true},  // w + 20
        {256, 128, 32, {281, 71}, {281, 71}, {452, 267}, true},     // main area below 64 dots
        {256, 200, 100, {281, 103}, {281, 103}, {452, 299}, true},  // M + 3
        {256, 200, 16, {281, 71}, {281, 71}, {452, 267}, true},     // below 17 dots: still 71
        {1024, 128, 128, {1049, 131}, {792, 131}, {804, 327}, false}, // wider than 791: 804, scrolls
        {314, 64, 64, {339, 67}, {339, 67}, {359, 263}, true},      // 339 is w + 20
        {313, 64, 64, {338, 67}, {338, 67}, {452, 263}, true},      // 338 is narrow
        {766, 64, 64, {791, 67}, {791, 67}, {811, 263}, true},      // 791 is w + 20
        {767, 64, 64, {792, 67}, {792, 67}, {804, 263}, false},     // 792 is wide
    };
    for (const SizingCase &c : cases) {
        const TabletSizing sizing = SizeTablet(c.width, c.height, c.mainHeight);
        const std::string name = std::to_string(c.width) + "x" + std::to_string(c.height) + " M"
                                 + std::to_string(c.mainHeight);
        EXPECT_EQ(sizing.textBox, c.textBox) << name;
        EXPECT_EQ(sizing.scrollClient, c.scrollClient) << name;
        EXPECT_EQ(sizing.window, c.window) << name;
        EXPECT_EQ(sizing.centred, c.centred) << name;
        EXPECT_EQ(sizing.textBoxX, 0) << name; // never negative, and 0 when the box is the client
    }
}

TEST(TabletSizingTest, ScrollingKeepsTheCaretVisible)
{
    // A view of 100 pixels now at 50: the caret inside stays put, right of it becomes the last column.
    EXPECT_EQ(HorizontalScrollFor(120, 50, 100, CaretMove::TextChange), 50);
    EXPECT_EQ(HorizontalScrollFor(150, 50, 100, CaretMove::TextChange), 51);
    EXPECT_EQ(HorizontalScrollFor(400, 50, 100, CaretMove::ArrowKey), 301);
    // Left of it: to the start after typing, to the caret after an arrow key.
    EXPECT_EQ(HorizontalScrollFor(20, 50, 100, CaretMove::TextChange), 0);
    EXPECT_EQ(HorizontalScrollFor(20, 50, 100, CaretMove::ArrowKey), 20);
    EXPECT_EQ(VerticalScrollFor(90, 0, 71), 19);
    EXPECT_EQ(VerticalScrollFor(60, 0, 71), 0);
    EXPECT_EQ(VerticalScrollFor(60, 30, 71), 30); // only a line ending below the view scrolls
}

TEST(TabletSizingTest, LineSpacingSpinStopsAtThreeQuarters)
{
    EXPECT_DOUBLE_EQ(LineSpacingDown(0.75), 0.75);
    EXPECT_DOUBLE_EQ(LineSpacingUp(0.75), 0.8);
    EXPECT_DOUBLE_EQ(LineSpacingDown(LineSpacingUp(0.75)), 0.75);
    double v = 0.75;
    for (int i = 0; i < 25; ++i)
        v = LineSpacingUp(v);
    EXPECT_DOUBLE_EQ(v, 2.0); // steps do not drift
    EXPECT_EQ(EditorParagraphFormat(Alignment::Left, 0.75).spacingValue, 15);
    EXPECT_EQ(EditorParagraphFormat(Alignment::Left, 0.8).spacingValue, 16);
}

// --- the window

TEST(WindowPlacementTest, FramesAreKeptOnTheDesktop)
{
    const QRect desktop(0, 0, 1024, 738); // 1024 x 768 less a 30-pixel panel
    const struct {
        const char *name;
        QRect frame, kept;
    } cases[] = {
        {"inside stays", {100, 50, 452, 327}, {100, 50, 452, 327}},
        {"off the right edge", {300, 20, 814, 347}, {210, 20, 814, 347}},
        {"above and left", {-20, -20, 452, 327}, {0, 0, 452, 327}},
        {"off the bottom", {10, 600, 452, 327}, {10, 411, 452, 327}},
        {"larger than the desktop", {50, 50, 1100, 900}, {0, 0, 1024, 738}},
    };
    for (const auto &c : cases)
        EXPECT_EQ(KeepOnDesktop(c.frame, desktop), c.kept) << c.name;
    EXPECT_EQ(KeepOnDesktop({0, 0, 100, 100}, {1920, 0, 1024, 768}), QRect(1920, 0, 100, 100)) << "a second screen";
}

class TextEditorTest : public MainWindowTest {
protected:
    void SetUp() override
    {
        MainWindowTest::SetUp();
        InstallFontSubstitutions();
    }
    // Two screens of the same main area; `colorMode` 1 is dual colour.
    void StartStation(int width, int height, int mainHeight, int colorMode)
    {
        QList<QByteArray> lines = {"[全局参数]", "显示屏数目=1"};
        for (const char *section : {"[0号屏参数]", "[1号屏参数]"}) {
            lines << section << "横向点数=" + QByteArray::number(width) << "纵向点数=" + QByteArray::number(height)
                  << "第一区域=主区" << "主区域高=" + QByteArray::number(mainHeight)
                  << "单双色=" + QByteArray::number(colorMode);
        }
        QByteArray ini;
        for (const QByteArray &line : lines)
            ini += Gbk(line.constData()) + "\r\n";
        WriteFile("SysConfig.ini", ini);
        Start();
    }
    TFrmTablet *Open()
    {
        editor = window->OpenTextEditor();
        EXPECT_TRUE(QTest::qWaitForWindowExposed(editor.data()));
        return editor;
    }
    void Type(const QString &text)
    {
        editor->RichEdit1()->setFocus();
        editor->RichEdit1()->insertPlainText(text);
    }
    void TearDown() override
    {
        delete editor.data();
        MainWindowTest::TearDown();
    }

    QPointer<TFrmTablet> editor;
};

TEST_F(TextEditorTest, OpensSizedForTheScreenWithItsStartingState)
{
    StartStation(1024, 128, 128, 1);
    Open();
    EXPECT_EQ(editor->RichEdit1()->size(), QSize(1049, 131));
    EXPECT_EQ(editor->RichEdit1()->lineWrapColumnOrWidth(), 1024); // wraps where the conversion does
    EXPECT_EQ(editor->ScrollBox1()->viewport()->size(), QSize(792, 131));
    // 804 pixels wide, unless the desktop is narrower (the offscreen one is 800).
    const int frame = editor->frameGeometry().width() - editor->width();
    EXPECT_EQ(editor->size(), QSize(std::min(804, editor->screen()->availableGeometry().width() - frame), 327));
    EXPECT_TRUE(editor->isModal());

    EXPECT_EQ(editor->windowTitle(), "未命名 - 文字编辑");
    EXPECT_EQ(editor->FontList()->currentText(), "宋体");
    EXPECT_TRUE(editor->FontList()->itemText(editor->FontList()->count() - 1).isEmpty());
    EXPECT_EQ(editor->SizeList()->currentText(), "12");
    EXPECT_EQ(editor->ColourList()->count(), 3);
    EXPECT_EQ(editor->ColourList()->currentText(), "红");
    EXPECT_EQ(editor->LineSpaceBox()->text(), "0.75");
    EXPECT_TRUE(editor->LineSpaceBox()->isReadOnly());
    EXPECT_FALSE(editor->IsModified());
    EXPECT_FALSE(editor->Command("剪切")->isEnabled());
    EXPECT_FALSE(editor->Command("项目编号")->isVisible());
    EXPECT_EQ(editor->RichEdit1()->palette().color(QPalette::Base), QColor(Qt::black));

    Type(u"通知"_qs);
    const RichDocument typed = editor->Document();
    ASSERT_EQ(typed.paragraphs.size(), 1);
    const CharFormat format = typed.paragraphs[0].runs.value(0).format;
    EXPECT_EQ(format.face, "宋体");
    EXPECT_EQ(format.sizeHalfPoints, 24);
    EXPECT_EQ(format.color, qRgb(255, 0, 0));
    EXPECT_FALSE(format.autoColor);
    EXPECT_EQ(typed.paragraphs[0].format, (ParagraphFormat{Alignment::Left, LineSpacingRule::Multiple, 15}));
    EXPECT_TRUE(editor->IsModified());
}

TEST_F(TextEditorTest, SingleColourScreenOffersRedOnlyAndOpenedTextTurnsRed)
{
    StartStation(256, 128, 128, 0);
    RichDocument blue = EditorDocument({u"蓝色文字"_qs});
    blue.paragraphs[0].runs[0].format.color = qRgb(0, 0, 255);
    ASSERT_TRUE(WriteRtfFile(Path("blue.rtf"), blue));
    Open();
    EXPECT_EQ(editor->size(), QSize(452, 327));
    ASSERT_EQ(editor->ColourList()->count(), 1);
    EXPECT_EQ(editor->ColourList()->itemText(0), "红");

    prompt.files.enqueue({Path("blue.rtf")});
    prompt.filterIndexes.enqueue(0);
    editor->Command("打开")->trigger();
    ASSERT_EQ(prompt.fileDialogs.size(), 1);
    EXPECT_EQ(prompt.fileDialogs[0].filters, QStringList({"RTF格式(*.rtf)", "文本文档(*.txt)", "Word文档(*.doc)"}));
    EXPECT_EQ(editor->Document().paragraphs[0].runs[0].format.color, qRgb(255, 0, 0));
    EXPECT_TRUE(editor->IsModified());
    EXPECT_EQ(editor->windowTitle(), "blue.rtf - 文字编辑");
}

TEST_F(TextEditorTest, DualColourScreenKeepsOpenedColours)
{
    StartStation(256, 128, 128, 1);
    RichDocument green = EditorDocument({u"绿色"_qs}, {u"宋体"_qs, 12, qRgb(0, 255, 0)});
    ASSERT_TRUE(WriteRtfFile(Path("green.rtf"), green));
    Open();
    prompt.files.enqueue({Path("green.rtf")});
    prompt.filterIndexes.enqueue(0);
    editor->OpenFromToolbar();
    EXPECT_EQ(editor->Document().paragraphs[0].runs[0].format.color, qRgb(0, 255, 0));
    EXPECT_FALSE(editor->IsModified());
    editor->RichEdit1()->selectAll();
    EXPECT_EQ(editor->ColourList()->currentText(), "绿");
}

TEST_F(TextEditorTest, LineSpacingSpinButtonsChangeTheParagraph)
{
    StartStation(256, 128, 128, 1);
    Open();
    Type(u"行"_qs);
    editor->SpinDownButton()->click();
    EXPECT_EQ(editor->LineSpaceBox()->text(), "0.75");
    editor->SpinUpButton()->click();
    EXPECT_EQ(editor->LineSpaceBox()->text(), "0.8");
    EXPECT_EQ(editor->Document().paragraphs[0].format.spacingValue, 16);
    editor->SpinUpButton()->click();
    editor->SpinDownButton()->click();
    EXPECT_EQ(editor->LineSpaceBox()->text(), "0.8");
    // An opened paragraph shows its own spacing.
    editor->SetDocument(RichDocument{{[] {
        Paragraph p;
        p.Append(QStringLiteral("a"), CharFormat{});
        p.format = {Alignment::Left, LineSpacingRule::Multiple, 30};
        return p;
    }()}});
    EXPECT_EQ(editor->LineSpaceBox()->text(), "1.5");
}

TEST_F(TextEditorTest, SelectionFollowUpAndFormattingCommands)
{
    StartStation(256, 128, 128, 1);
    Open();
    Paragraph paragraph;
    paragraph.Append(u"宋体字"_qs, EditorCharFormat(u"宋体"_qs, 12, qRgb(255, 0, 0)));
    paragraph.Append(u"黑体字"_qs, EditorCharFormat(u"黑体"_qs, 24, qRgb(255, 255, 0)));
    paragraph.markFormat = paragraph.runs.last().format;
    editor->SetDocument(RichDocument{{paragraph}});

    QTextCursor cursor = editor->RichEdit1()->textCursor();
    cursor.setPosition(3);
    cursor.setPosition(6, QTextCursor::KeepAnchor);
    editor->RichEdit1()->setTextCursor(cursor);
    EXPECT_EQ(editor->FontList()->currentText(), "黑体");
    EXPECT_EQ(editor->SizeList()->currentText(), "24");
    EXPECT_EQ(editor->ColourList()->currentText(), "黄");
    EXPECT_TRUE(editor->Command("剪切")->isEnabled());
    EXPECT_TRUE(editor->Command("编辑/复制[&C]")->isEnabled());

    editor->RichEdit1()->selectAll();
    EXPECT_TRUE(editor->FontList()->currentText().isEmpty()); // mixed faces: the empty entry
    EXPECT_TRUE(editor->SizeList()->currentText().isEmpty());
    EXPECT_EQ(editor->ColourList()->currentIndex(), -1);

    // Choices apply to the selection; a size that is not a whole number becomes 12.
    editor->ChooseColour(2);
    editor->ChooseSize(QStringLiteral("1x"));
    EXPECT_EQ(editor->SizeList()->currentText(), "12");
    editor->Command("粗体")->trigger();
    editor->Command("中对齐")->trigger();
    editor->ChooseFont(editor->FontList()->findText(QStringLiteral("Arial")));
    EXPECT_EQ(editor->RememberedCharset(), kAnsiCharset);
    const RichDocument d = editor->Document();
    ASSERT_EQ(d.paragraphs[0].runs.size(), 1);
    const CharFormat f = d.paragraphs[0].runs[0].format;
    EXPECT_EQ(f.face, "Arial");
    EXPECT_EQ(f.charset, kAnsiCharset);
    EXPECT_EQ(f.color, qRgb(0, 255, 0));
    EXPECT_EQ(f.sizeHalfPoints, 24);
    EXPECT_TRUE(f.bold);
    EXPECT_EQ(d.paragraphs[0].format.alignment, Alignment::Center);

    // A letter typed into the size box sets it to 12.
    editor->SizeList()->setEditText(QStringLiteral("3"));
    QTest::keyClick(editor->SizeList()->lineEdit(), Qt::Key_A);
    EXPECT_EQ(editor->SizeList()->currentText(), "12");
}

TEST_F(TextEditorTest, SaveAsProposesTheScreensNameAndSaveWritesBack)
{
    StartStation(256, 128, 128, 1);
    Open();
    Type(u"保存的文字"_qs);
    prompt.files.enqueue({Path("notice")});
    editor->Command("保存")->trigger(); // untitled: save as
    ASSERT_EQ(prompt.fileDialogs.size(), 1);
    EXPECT_EQ(prompt.fileDialogs[0].directory, Path("Tavrel1-1.rtf"));
    EXPECT_EQ(prompt.fileDialogs[0].filters, QStringList{"RTF格式(*.rtf)"});
    EXPECT_EQ(editor->FileName(), Path("notice.rtf")); // the default extension
    EXPECT_EQ(editor->windowTitle(), "notice.rtf - 文字编辑");
    EXPECT_FALSE(editor->IsModified());
    EXPECT_EQ(ReadRichTextFile(Path("notice.rtf"))->PlainText(), u"保存的文字"_qs);

    Type(u"又"_qs);
    editor->Command("文件/保存[&S]")->trigger(); // named: written back without a dialog
    EXPECT_EQ(prompt.fileDialogs.size(), 1);
    EXPECT_EQ(ReadRichTextFile(Path("notice.rtf"))->PlainText(), editor->Document().PlainText());

    editor->Command("文件/新建[&N]")->trigger();
    EXPECT_TRUE(editor->Document().IsEmpty());
    EXPECT_EQ(editor->windowTitle(), "未命名 - 文字编辑");
    EXPECT_FALSE(editor->IsModified());
}

TEST_F(TextEditorTest, FilesThatCannotBeOpenedKeepTheText)
{
    StartStation(256, 128, 128, 1);
    Open();
    Type(u"原文"_qs);
    const QByteArray path = qgetenv("PATH");
    QDir().mkpath(Path("empty-bin"));
    qputenv("PATH", QFile::encodeName(Path("empty-bin")));
    WriteFile("report.doc", "not a document");
    prompt.files.enqueue({Path("report.doc")});
    prompt.filterIndexes.enqueue(1);
    editor->Command("文件/打开[&O]")->trigger();
    qputenv("PATH", path);
    QTRY_VERIFY_WITH_TIMEOUT(!editor->Converting(), 60000);
    ASSERT_EQ(prompt.messages.size(), 1);
    EXPECT_EQ(prompt.messages[0].text, kWordNotInstalledMessage);
    EXPECT_EQ(prompt.fileDialogs[0].filters,
              QStringList({"Rich Text Format(*.rtf)", "Word文档(*.doc)", "Bitmap(*.bmp)"}));

    prompt.files.enqueue({Path("missing.rtf")});
    prompt.filterIndexes.enqueue(0);
    editor->OpenFromMenu();
    ASSERT_EQ(prompt.messages.size(), 2);
    EXPECT_TRUE(prompt.messages[1].text.contains("missing.rtf"));

    prompt.files.enqueue({Path("picture.bmp")});
    prompt.filterIndexes.enqueue(2);
    editor->OpenFromMenu(); // bitmaps are ignored
    EXPECT_EQ(prompt.messages.size(), 2);
    EXPECT_EQ(editor->Document().PlainText(), u"原文"_qs);
}

// At the narrowest window (452 pixels) the tool bars take rows enough to show every control: no
// overflow button hides one, and the text box stays whole below them. On any screen the window stays
// on the desktop.
TEST_F(TextEditorTest, EveryControlIsInSightAndTheWindowOnTheDesktop)
{
    for (const int width : {256, 768, 1024}) {
        SCOPED_TRACE(width);
        StartStation(width, 128, 128, 1);
        Open();
        const QRect desktop = editor->screen()->availableGeometry();
        EXPECT_TRUE(desktop.contains(editor->frameGeometry())) << "on the desktop";
        const QRect client = editor->rect();
        for (QToolBar *bar : editor->findChildren<QToolBar *>()) {
            EXPECT_TRUE(bar->isVisible()) << bar->windowTitle().toStdString();
            EXPECT_TRUE(client.contains(QRect(bar->mapTo(editor, QPoint()), bar->size())))
                << bar->windowTitle().toStdString();
            if (auto *more = bar->findChild<QToolButton *>(QStringLiteral("qt_toolbar_ext_button")))
                EXPECT_FALSE(more->isVisible()) << bar->windowTitle().toStdString();
        }
        for (QWidget *control : std::initializer_list<QWidget *>{editor->FontList(), editor->ColourList(),
                                                                 editor->SizeList(), editor->LineSpaceBox(),
                                                                 editor->SpinUpButton(), editor->SpinDownButton()})
            EXPECT_TRUE(control->isVisible()) << control->objectName().toStdString();
        const QRect box(editor->ScrollBox1()->mapTo(editor, QPoint()), editor->ScrollBox1()->size());
        EXPECT_TRUE(client.contains(box)) << "the text box below the tool bars";
        delete editor.data();
        window.reset();
    }
    StartStation(256, 128, 128, 1);
    Open();
    EXPECT_EQ(editor->width(), 452);
}

// Each colour's swatch beside its name in black: no name drawn in aqua.
TEST_F(TextEditorTest, ColourListShowsSwatchesBesideBlackNames)
{
    StartStation(256, 128, 128, 1);
    Open();
    QComboBox *colours = editor->ColourList();
    const QRgb swatches[] = {qRgb(255, 0, 0), qRgb(255, 255, 0), qRgb(0, 255, 0)};
    for (int entry = 0; entry < colours->count(); ++entry) {
        SCOPED_TRACE(entry);
        colours->setCurrentIndex(entry);
        const QImage face = colours->grab().toImage().convertToFormat(QImage::Format_RGB32);
        int swatch = 0, aqua = 0, dark = 0;
        for (int y = 0; y < face.height(); ++y) {
            for (int x = 0; x < face.width(); ++x) {
                const QColor pixel = face.pixelColor(x, y);
                swatch += pixel.rgb() == (swatches[entry] | 0xFF000000u);
                aqua += pixel.red() < 64 && pixel.green() > 192 && pixel.blue() > 192;
                dark += pixel.lightness() < 128;
            }
        }
        EXPECT_GT(swatch, 100) << "the swatch";
        EXPECT_EQ(aqua, 0);
        EXPECT_GT(dark, 5) << "the name in black";
    }
}

// Chinese typed through an input method lands in the text box in the typing format.
TEST_F(TextEditorTest, InputMethodTextIsTyped)
{
    StartStation(256, 128, 128, 1);
    Open();
    editor->RichEdit1()->setFocus();
    QInputMethodEvent composing(QStringLiteral("gongjiao"), {});
    QApplication::sendEvent(editor->RichEdit1(), &composing);
    QInputMethodEvent committed;
    committed.setCommitString(u"公交"_qs);
    QApplication::sendEvent(editor->RichEdit1(), &committed);
    const RichDocument typed = editor->Document();
    EXPECT_EQ(typed.PlainText(), u"公交"_qs);
    ASSERT_FALSE(typed.paragraphs.value(0).runs.isEmpty());
    EXPECT_EQ(typed.paragraphs[0].runs[0].format.color, qRgb(255, 0, 0));
}

// A Word document's converted text is untitled: saving asks where, and a same-named file of the
// operator's beside the document is never written.
TEST_F(TextEditorTest, AWordDocumentOpensUntitled)
{
    StartStation(256, 128, 128, 1);
    Open();
    const QByteArray path = qgetenv("PATH");
    const auto restoreCache = qScopeGuard([cache = qgetenv("XDG_CACHE_HOME")] { qputenv("XDG_CACHE_HOME", cache); });
    qputenv("XDG_CACHE_HOME", QFile::encodeName(Path("cache"))); // the shared office profile's folder
    QDir().mkpath(Path("bin"));
    qputenv("PATH", QFile::encodeName(Path("bin")));
    // A converter that writes <name>.rtf into --outdir (the last but one argument).
    WriteFile("bin/soffice", "#!/bin/sh\nfor a; do prev=$out; out=$a; done\n"
                             "printf '{\\\\rtf1 converted}' > \"$prev/report.rtf\"\n");
    QFile(Path("bin/soffice")).setPermissions(QFileDevice::ReadOwner | QFileDevice::ExeOwner);
    WriteFile("report.doc", "a document");
    WriteFile("report.rtf", "mine");
    prompt.files.enqueue({Path("report.doc")});
    prompt.filterIndexes.enqueue(1);
    editor->Command("文件/打开[&O]")->trigger();
    qputenv("PATH", path);
    // The window stays live while the converter runs, and says what it converts.
    EXPECT_TRUE(editor->Converting());
    EXPECT_EQ(editor->statusBar()->currentMessage(), "状态：正在转换 report.doc…");
    EXPECT_FALSE(editor->RichEdit1()->isEnabled());
    EXPECT_FALSE(editor->Command("文件/打开[&O]")->isEnabled()) << "nor by its shortcut";
    ASSERT_NE(QApplication::overrideCursor(), nullptr);
    QTRY_VERIFY_WITH_TIMEOUT(!editor->Converting(), 60000);
    EXPECT_TRUE(editor->RichEdit1()->isEnabled());
    EXPECT_TRUE(editor->Command("文件/打开[&O]")->isEnabled());
    EXPECT_FALSE(editor->Command("剪切")->isEnabled()) << "nothing selected";
    EXPECT_FALSE(editor->statusBar()->isVisible());
    EXPECT_EQ(QApplication::overrideCursor(), nullptr);
    EXPECT_TRUE(prompt.messages.isEmpty()) << prompt.messages.value(0).text.toStdString();
    EXPECT_EQ(editor->Document().PlainText(), u"converted"_qs);
    EXPECT_EQ(editor->windowTitle(), "未命名 - 文字编辑");

    prompt.files.enqueue({});
    EXPECT_FALSE(editor->Save());
    EXPECT_EQ(prompt.fileDialogs.last().caption, "另存为");
    EXPECT_EQ(ReadFile("report.rtf"), "mine");
}

TEST_F(TextEditorTest, FindAndReplace)
{
    StartStation(256, 128, 128, 1);
    Open();
    Type(QStringLiteral("red green red blue"));
    editor->Command("查找...")->trigger();
    ASSERT_TRUE(editor->FindDialog()->isVisible());
    editor->FindDialog()->FindEdit()->setText(QStringLiteral("red"));
    editor->FindFirst();
    EXPECT_EQ(editor->RichEdit1()->textCursor().selectionStart(), 0);
    editor->FindNext();
    EXPECT_EQ(editor->RichEdit1()->textCursor().selectionStart(), 10);
    editor->FindNext();
    ASSERT_EQ(prompt.messages.size(), 1); // no third one
    EXPECT_EQ(ReplaceAllInEdit(editor->RichEdit1(), QStringLiteral("red"), QStringLiteral("黄"), {}), 2);
    EXPECT_EQ(editor->Document().PlainText(), u"黄 green 黄 blue"_qs);
    EXPECT_EQ(editor->Document().paragraphs[0].runs.size(), 1); // replaced text keeps the format
}

// The questions of closing, by selected node and answer.
struct CloseCase {
    const char *name;
    bool mainAreaSelected;
    PromptButton answer;
    bool closes;
    bool convertsOrSaves;
};

TEST_F(TextEditorTest, ClosingAsksByTheSelectedNode)
{
    const CloseCase cases[] = {
        {"MainYes", true, PromptButton::Yes, true, true},     {"MainNo", true, PromptButton::No, true, false},
        {"MainCancel", true, PromptButton::Cancel, false, false}, {"OtherYes", false, PromptButton::Yes, true, true},
        {"OtherNo", false, PromptButton::No, true, false},   {"OtherCancel", false, PromptButton::Cancel, false, false},
    };
    StartStation(64, 32, 32, 1);
    for (const CloseCase &c : cases) {
        SCOPED_TRACE(c.name);
        QFile::remove(Path("Tavrel1.dat"));
        QFile::remove(Path("temp.rtf"));
        QFile::remove(Path("Tavrel1-1.rtf"));
        Click(c.mainAreaSelected ? AreaNode(0, 0) : ScreenNode(0));
        prompt.questions.clear();
        Open();
        Type(QStringLiteral("AB"));
        prompt.answers.enqueue(c.answer);
        if (!c.mainAreaSelected && c.answer == PromptButton::Yes)
            prompt.files.enqueue({Path("Tavrel1-1.rtf")});
        editor->close();
        ASSERT_EQ(prompt.questions.size(), 1);
        EXPECT_EQ(prompt.questions[0].caption, "提示信息");
        EXPECT_EQ(prompt.questions[0].text, c.mainAreaSelected ? "是否加载到主区节目列表？" : "是否保存当前编辑文件？");
        EXPECT_EQ(editor->isVisible(), !c.closes);
        EXPECT_EQ(Exists("Tavrel1.dat"), c.mainAreaSelected && c.convertsOrSaves);
        EXPECT_EQ(Exists("Tavrel1-1.rtf"), !c.mainAreaSelected && c.convertsOrSaves);
        if (!c.closes) {
            editor->RichEdit1()->clear();
            editor->close(); // empty now: closes without a question
            EXPECT_EQ(prompt.questions.size(), 1);
        }
        QTest::qWait(0);
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        EXPECT_TRUE(editor.isNull()); // a new window each time
    }
}

TEST_F(TextEditorTest, TypedTextBecomesTheSamePagesAsItsSavedFile)
{
    StartStation(64, 32, 32, 1);
    Click(AreaNode(0, 0));
    Open();
    QTest::keyClicks(editor->RichEdit1(), QStringLiteral("Hi 12"));
    Type(u"中文通知，两行以上的文字"_qs);
    editor->ChooseColour(1);
    QTest::keyClick(editor->RichEdit1(), Qt::Key_Return);
    editor->Command("中对齐")->trigger();
    editor->ChooseSize(QStringLiteral("9"));
    Type(u"黄色居中"_qs);
    prompt.files.enqueue({Path("typed.rtf")});
    ASSERT_TRUE(editor->SaveAs());

    prompt.answers.enqueue(PromptButton::Yes);
    editor->close();
    ASSERT_TRUE(editor.isNull() || !editor->isVisible());
    EXPECT_TRUE(Exists("temp.rtf"));
    EXPECT_EQ(ReadFile("temp.rtf"), ReadFile("typed.rtf"));

    // The saved file converted on the second screen, as the editor's pages are made.
    RichLayout layout;
    struct Quiet : ConversionObserver {
        void Message(const QString &text, bool) override { ADD_FAILURE() << text.toStdString(); }
    } observer;
    const AddDocumentsResult expected =
        AddDocuments(table, 1, DocumentKind::RichText, {Path("typed.rtf")}, layout, observer, kEditorPageAttributes);
    ASSERT_GT(expected.pagesAdded, 1);
    const PageEntries editorEntries = ReadPageEntries(table, 0);
    ASSERT_EQ(editorEntries.entries.size(), expected.pagesAdded);
    EXPECT_EQ(window->Panelmain()->PageCount(), expected.pagesAdded);
    for (int page = 1; page <= expected.pagesAdded; ++page) {
        const PageRead typed = ReadPage(table, 0, page);
        const PageRead saved = ReadPage(table, 1, page);
        EXPECT_EQ(typed.entry, (PageEntry{0, 0, 4, 1})) << page;
        EXPECT_EQ(typed.entry, saved.entry) << page;
        EXPECT_EQ(typed.image, saved.image) << page;
    }
}

} // namespace
} // namespace pelvoro::test
