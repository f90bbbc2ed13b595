#include "config/ini_document.h"

#include "support/gbk_lines.h"

#include <gtest/gtest.h>

namespace pelvoro::test {
namespace {

// GBK characters whose second byte is ']' (0x5D); both come from GBK's extension range, where
// trail bytes below 0xA1 occur.
const QByteArray kHui = Gbk("揮"); // 0x93 0x5D
const QByteArray kLu = Gbk("慮");  // 0x91 0x5D

TEST(IniDocumentTest, TrailByteIsReallyClosingBracket)
{
    ASSERT_EQ(kHui, QByteArray("\x93\x5D"));
    ASSERT_EQ(kLu, QByteArray("\x91\x5D"));
}

TEST(IniDocumentTest, ParsingAndWritingBackChangesNoByte)
{
    const QByteArray bytes = GbkLines({"; 注释行", "[全局参数]", "显示屏数目=2", "", "  [0号屏参数]  ; 屏一",
                                       "横向点数 = 64 ", "\t; 缩进的注释"})
                             + "lf-line=1\n" + "stray=\xFF\x80\x81" + "\r\n" + "no-end=1";
    EXPECT_EQ(IniDocument::Parse(bytes).ToBytes(), bytes);
    EXPECT_EQ(IniDocument::Parse({}).ToBytes(), QByteArray());
}

TEST(IniDocumentTest, LooksUpNamesAsTheProfileFunctionsDo)
{
    const IniDocument doc = IniDocument::Parse(
        GbkLines({"key=before-any-section", "[Global]", "  Key  =  spaced value  ", "Key=second", "[Global]", "other=x",
                  "[全局参数]", "显示屏数目=7"}));
    EXPECT_EQ(doc.Value("GLOBAL", "key"), QByteArray("spaced value")) << "ASCII case is ignored, first key wins";
    EXPECT_FALSE(doc.Value("Global", "other")) << "the first of two equal sections wins";
    EXPECT_EQ(doc.Value(Gbk("全局参数"), Gbk("显示屏数目")), QByteArray("7"));
    EXPECT_FALSE(doc.Value(Gbk("全局参"), Gbk("显示屏数目")));
    EXPECT_FALSE(doc.Value("", "key")) << "lines before the first section belong to none";
}

TEST(IniDocumentTest, SectionNameWithClosingBracketTrailByte)
{
    const IniDocument doc = IniDocument::Parse(GbkLines({"[揮]", "a=1", "[0号屏慮]", "b=2", "[慮揮]", "c=3"}));
    EXPECT_EQ(doc.Sections(), (QList<QByteArray>{kHui, Gbk("0号屏慮"), kLu + kHui}));
    EXPECT_EQ(doc.Value(kHui, "a"), QByteArray("1"));
    EXPECT_EQ(doc.Value(Gbk("0号屏慮"), "b"), QByteArray("2"));
    EXPECT_EQ(doc.Value(kLu + kHui, "c"), QByteArray("3"));
    EXPECT_FALSE(doc.HasSection(QByteArray("\x93"))) << "the lead byte alone is no section name";

    IniDocument edited = doc;
    EXPECT_TRUE(edited.SetValue(kLu + kHui, "d", "4"));
    EXPECT_EQ(edited.Sections().size(), 3) << "the existing section is found, not appended again";
    EXPECT_EQ(edited.ToBytes(), GbkLines({"[揮]", "a=1", "[0号屏慮]", "b=2", "[慮揮]", "c=3", "d=4"}));
}

TEST(IniDocumentTest, BytesThatAreNotGbkAreReadAndKept)
{
    // A lead byte at the end of a name or value, bytes no GBK text has, a lead byte before '='.
    const QByteArray bytes = QByteArray("[bad\xFF]\r\n") + "name=\xFF\x80 tail \x81\r\n" + "k\x81=v\r\n" + "[" + kHui
                             + "\x81]\r\n" + "x=1\r\n";
    IniDocument doc = IniDocument::Parse(bytes);
    EXPECT_EQ(doc.Value("bad\xFF", "name"), QByteArray("\xFF\x80 tail \x81"));
    EXPECT_EQ(doc.Value("bad\xFF", "k\x81"), QByteArray("v")) << "'=' can never be a trail byte";
    // 0x81 followed by ']' is one character, so this header has no closing bracket.
    EXPECT_FALSE(doc.HasSection(kHui + "\x81"));
    EXPECT_EQ(doc.Value("bad\xFF", "x"), QByteArray("1"));

    EXPECT_TRUE(doc.SetValue("bad\xFF", "new", "1"));
    EXPECT_EQ(doc.ToBytes(), bytes + "new=1\r\n");
}

TEST(IniDocumentTest, ChangesOnlyTheValueOfAnExistingKey)
{
    IniDocument doc = IniDocument::Parse(GbkLines({"[s]", "  宽 = 64   ", "高=32"}));
    EXPECT_FALSE(doc.SetValue("s", Gbk("宽"), "64")) << "same value: nothing to change";
    EXPECT_TRUE(doc.SetValue("s", Gbk("宽"), "128"));
    EXPECT_EQ(doc.ToBytes(), GbkLines({"[s]", "  宽 = 128", "高=32"}));
}

TEST(IniDocumentTest, NewKeyGoesAtTheEndOfItsSectionNewSectionAtTheEndOfTheFile)
{
    IniDocument doc = IniDocument::Parse(GbkLines({"[a]", "x=1", "; last of a", "", "[b]", "y=2"}));
    EXPECT_TRUE(doc.SetValue("a", "z", "3"));
    EXPECT_TRUE(doc.SetValue("c", Gbk("新键"), Gbk("值")));
    EXPECT_EQ(doc.ToBytes(), GbkLines({"[a]", "x=1", "; last of a", "z=3", "", "[b]", "y=2", "[c]", "新键=值"}));
}

TEST(IniDocumentTest, NewLinesFollowTheFilesLineEnds)
{
    struct Case {
        QByteArray before;
        QByteArray after;
    };
    const Case cases[] = {
        {"", "[s]\r\nk=v\r\n"},                             // a new file gets CR LF
        {"[s]\nold=1\n", "[s]\nold=1\nk=v\n"},              // a file with LF keeps LF
        {"[s]\r\nold=1", "[s]\r\nold=1\r\nk=v\r\n"},        // a last line without its end gets one
        {"[t]\r\nold=1", "[t]\r\nold=1\r\n[s]\r\nk=v\r\n"}, // so does a file that needs a new section
    };
    for (const Case &c : cases) {
        IniDocument doc = IniDocument::Parse(c.before);
        doc.SetValue("s", "k", "v");
        EXPECT_EQ(doc.ToBytes(), c.after) << c.before.toStdString();
    }
}

TEST(IniDocumentTest, ValueWithALineBreakCannotAddLines)
{
    IniDocument doc = IniDocument::Parse(GbkLines({"[0号屏参数]", "显示屏名称=旧"}));
    EXPECT_TRUE(doc.SetValue(Gbk("0号屏参数"), Gbk("显示屏名称"), Gbk("新\r\n[1号屏参数]\r\n横向点数=8")));
    EXPECT_EQ(doc.ToBytes(), GbkLines({"[0号屏参数]", "显示屏名称=新"}));
    EXPECT_EQ(doc.Sections().size(), 1);
}

TEST(IniDocumentTest, BlanksAtTheEndsOfAValueAreKeptInQuotes)
{
    const struct {
        const char *value; // as set and read back
        const char *line;  // as written
    } cases[] = {
        {"  大厅 一 ", "k=\"  大厅 一 \""},
        {"\"quoted\"", "k=\"\"quoted\"\""},
        {"plain text", "k=plain text"},
        {"\"", "k=\""},
        {"", "k="},
    };
    for (const auto &c : cases) {
        IniDocument doc = IniDocument::Parse(GbkLines({"[s]"}));
        EXPECT_TRUE(doc.SetValue("s", "k", Gbk(c.value)) || !*c.value) << c.value;
        EXPECT_EQ(doc.ToBytes(), GbkLines({"[s]", c.line})) << c.value;
        EXPECT_EQ(IniDocument::Parse(doc.ToBytes()).Value("s", "k"), Gbk(c.value)) << c.value;
        EXPECT_FALSE(doc.SetValue("s", "k", Gbk(c.value))) << "the same value again: " << c.value;
    }
    // A value quoted by hand reads without its quotes, as the system's own INI functions read it.
    EXPECT_EQ(IniDocument::Parse(GbkLines({"[s]", "k = \"x\" "})).Value("s", "k"), QByteArray("x"));
}

TEST(IniDocumentTest, RemovesOneSectionOrKey)
{
    IniDocument doc = IniDocument::Parse(
        GbkLines({"[0号屏1页定时参数]", "a=1", "", "[0号屏2页定时参数]", "b=2", "[其他]", "c=3"}));
    EXPECT_TRUE(doc.RemoveSection(Gbk("0号屏1页定时参数")));
    EXPECT_FALSE(doc.RemoveSection(Gbk("0号屏1页定时参数")));
    EXPECT_TRUE(doc.RemoveKey(Gbk("其他"), "c"));
    EXPECT_FALSE(doc.RemoveKey(Gbk("其他"), "c"));
    EXPECT_EQ(doc.ToBytes(), GbkLines({"[0号屏2页定时参数]", "b=2", "[其他]"}));
}

} // namespace
} // namespace pelvoro::test
