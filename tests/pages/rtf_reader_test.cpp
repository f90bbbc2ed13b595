#include "pages/rtf_reader.h"

#include "base/gbk.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace pelvoro {
namespace {

QString Fixture(const char *name)
{
    return QStringLiteral(PELVORO_SOURCE_DIR "/tests/pages/data/rtf/") + QString::fromUtf8(name);
}

RichDocument Read(const char *rtf)
{
    return ReadRtf(QByteArray(rtf));
}

QStringList Texts(const RichDocument &document)
{
    QStringList texts;
    for (const Paragraph &paragraph : document.paragraphs)
        texts << paragraph.Text();
    return texts;
}

// The run holding the first occurrence of `text` (the whole run need not be `text`).
const TextRun *RunWith(const RichDocument &document, const QString &text)
{
    for (const Paragraph &paragraph : document.paragraphs) {
        for (const TextRun &run : paragraph.runs) {
            if (run.text.contains(text))
                return &run;
        }
    }
    return nullptr;
}

CharFormat FormatOf(const RichDocument &document, const QString &text)
{
    const TextRun *run = RunWith(document, text);
    EXPECT_NE(run, nullptr) << "no run holds " << text.toStdString();
    return run ? run->format : CharFormat{};
}

// --- text and its encodings

struct TextCase {
    const char *name;
    const char *rtf;
    const char *text; // UTF-8 of the first paragraph
};

class RtfTextTest : public ::testing::TestWithParam<TextCase> {};

TEST_P(RtfTextTest, DecodesText)
{
    const RichDocument document = Read(GetParam().rtf);
    ASSERT_FALSE(document.paragraphs.isEmpty());
    EXPECT_EQ(document.paragraphs[0].Text(), QString::fromUtf8(GetParam().text));
}

INSTANTIATE_TEST_SUITE_P(
    Cases, RtfTextTest,
    ::testing::Values(
        TextCase{"GbkFont", R"({\rtf1\ansi{\fonttbl{\f0\fnil\fcharset134 x;}}\f0 \'d6\'d0\'ce\'c4})", "中文"},
        TextCase{"GbkTrailByteWrittenLiterally", R"({\rtf1{\fonttbl{\f0\fcharset134 x;}}\f0 \'81@a})", "丂a"},
        TextCase{"AnsiCodePage936ForDefaultCharset",
                 R"({\rtf1\ansi\ansicpg936{\fonttbl{\f0\fcharset1 x;}}\f0 \'c4\'e3\'ba\'c3})", "你好"},
        TextCase{"AnsiCodePage936WithoutFontTable", R"({\rtf1\ansi\ansicpg936 \'c4\'e3})", "你"},
        TextCase{"Cp1252", R"({\rtf1\ansi\ansicpg936{\fonttbl{\f0\fcharset0 Arial;}}\f0 caf\'e9})", "café"},
        TextCase{"ShiftJis", R"({\rtf1{\fonttbl{\f0\fcharset128 M;}}\f0 \'82\'a0})", "あ"},
        TextCase{"Hangul", R"({\rtf1{\fonttbl{\f0\fcharset129 G;}}\f0 \'b0\'a1})", "가"},
        TextCase{"Big5", R"({\rtf1{\fonttbl{\f0\fcharset136 M;}}\f0 \'a4\'a4})", "中"},
        TextCase{"Greek", R"({\rtf1{\fonttbl{\f0\fcharset161 A;}}\f0 \'e1})", "α"},
        TextCase{"Cyrillic", R"({\rtf1{\fonttbl{\f0\fcharset204 A;}}\f0 \'c0})", "А"},
        TextCase{"CentralEurope", R"({\rtf1{\fonttbl{\f0\fcharset238 A;}}\f0 \'b9})", "ą"},
        TextCase{"FontCodePageBeatsCharset", R"({\rtf1{\fonttbl{\f0\fcharset0\cpg936 A;}}\f0 \'d6\'d0})", "中"},
        TextCase{"CharsetPerFont", R"({\rtf1{\fonttbl{\f0\fcharset134 S;}{\f1\fcharset0 A;}}\f0 \'d6\'d0\f1 \'e9})",
                 "中é"},
        TextCase{"UnicodeWithFallback", R"({\rtf1\uc1\u20013?\u25991?})", "中文"},
        TextCase{"FallbackIsHexBytes", R"({\rtf1\uc2\u20013\'d6\'d0x})", "中x"},
        TextCase{"FallbackIsControlWord", R"({\rtf1\uc1\u20013\tab x})", "中x"},
        TextCase{"NoFallback", R"({\rtf1\uc0\u20013 x})", "中x"},
        TextCase{"FallbackCountRestoredAfterGroup", R"({\rtf1\uc1{\uc2\u20013??}\u25991?})", "中文"},
        TextCase{"FallbackEndsAtGroup", R"({\rtf1\uc3{\u20013?}x})", "中x"},
        TextCase{"NegativeUnicode", R"({\rtf1\u-3913?})", "\xEF\x82\xB7"},
        TextCase{"SurrogatePair", R"({\rtf1\uc0 \u55357\u56832})", "😀"},
        TextCase{"AstralCodePoint", R"({\rtf1\uc0 \u128512})", "😀"},
        TextCase{"EscapedSyntax", R"({\rtf1 a\{b\}c\\d})", "a{b}c\\d"},
        TextCase{"SpecialCharacters", R"({\rtf1 \emdash\endash\lquote\rquote\ldblquote\rdblquote\~\_})", "—–‘’“” -"},
        TextCase{"TabsAndCells", R"({\rtf1 a\tab b\cell c})", "a\tb\tc"},
        TextCase{"LineEndsInFileIgnored", "{\\rtf1 a\r\nb\nc}", "abc"},
        TextCase{"DelimiterSpaceOnlyOnce", R"({\rtf1\b  x})", " x"},
        TextCase{"UnknownControlWordsIgnored", R"({\rtf1\foo\bar12 x\baz-3 y})", "xy"}),
    [](const auto &info) { return std::string(info.param.name); });

// --- character formats

TEST(RtfReaderTest, CharacterFormatsToggleAndRestoreWithGroups)
{
    const RichDocument d = Read(
        R"({\rtf1{\fonttbl{\f0\fcharset134 \'cb\'ce\'cc\'e5;}{\f1\fcharset0 Arial;}})"
        R"({\colortbl;\red255\green0\blue0;\red0\green0\blue255;})"
        R"(\f0 plain{\b bold}{\i italic}{\ul under}{\ul\ul0 ul0}{\ul\ulnone ulnone}{\uldb double})"
        R"({\strike strike}{\fs21 half}{\f1 arial}{\cf1 red}{\cf2 blue}{\cf1\cf0 auto}{\cf9 outside})"
        R"({\b\i\ul\cf1\fs40\plain reset}back})");
    const CharFormat plain = FormatOf(d, u"plain"_qs);
    EXPECT_EQ(plain.face, u"宋体"_qs);
    EXPECT_EQ(plain.charset, 134);
    EXPECT_EQ(plain.sizeHalfPoints, 24);
    EXPECT_EQ(plain.PointSize(), 12);
    EXPECT_TRUE(plain.autoColor);
    EXPECT_FALSE(plain.bold || plain.italic || plain.underline || plain.strike);

    EXPECT_TRUE(FormatOf(d, u"bold"_qs).bold);
    EXPECT_TRUE(FormatOf(d, u"italic"_qs).italic);
    EXPECT_TRUE(FormatOf(d, u"under"_qs).underline);
    EXPECT_FALSE(FormatOf(d, u"ul0"_qs).underline);
    EXPECT_FALSE(FormatOf(d, u"ulnone"_qs).underline);
    EXPECT_TRUE(FormatOf(d, u"double"_qs).underline);
    EXPECT_TRUE(FormatOf(d, u"strike"_qs).strike);
    EXPECT_EQ(FormatOf(d, u"half"_qs).sizeHalfPoints, 21);
    EXPECT_EQ(FormatOf(d, u"half"_qs).PointSize(), 10);
    EXPECT_EQ(FormatOf(d, u"arial"_qs).face, u"Arial"_qs);
    EXPECT_EQ(FormatOf(d, u"arial"_qs).charset, 0);
    EXPECT_FALSE(FormatOf(d, u"red"_qs).autoColor);
    EXPECT_EQ(FormatOf(d, u"red"_qs).color, qRgb(255, 0, 0));
    EXPECT_EQ(FormatOf(d, u"blue"_qs).color, qRgb(0, 0, 255));
    EXPECT_TRUE(FormatOf(d, u"auto"_qs).autoColor);
    EXPECT_TRUE(FormatOf(d, u"outside"_qs).autoColor);
    EXPECT_EQ(FormatOf(d, u"reset"_qs), plain);
    EXPECT_EQ(FormatOf(d, u"back"_qs), plain);
}

TEST(RtfReaderTest, ExplicitBlackInFirstColourEntryIsNotAutomatic)
{
    const CharFormat f = FormatOf(Read(R"({\rtf1{\colortbl\red0\green0\blue0;}\cf0 x})"), u"x"_qs);
    EXPECT_FALSE(f.autoColor);
    EXPECT_EQ(f.color, qRgb(0, 0, 0));
}

TEST(RtfReaderTest, SizesAreClampedAndDefaulted)
{
    const RichDocument d = Read(R"({\rtf1{\fs99999999 big}{\fs0 zero}{\fs1 tiny}{\fs-5 negative}})");
    EXPECT_EQ(FormatOf(d, u"big"_qs).sizeHalfPoints, 3276);
    EXPECT_EQ(FormatOf(d, u"zero"_qs).sizeHalfPoints, 24);
    EXPECT_EQ(FormatOf(d, u"tiny"_qs).sizeHalfPoints, 2);
    EXPECT_EQ(FormatOf(d, u"negative"_qs).sizeHalfPoints, 24);
}

TEST(RtfReaderTest, UnknownFontFallsBackToDefaultFont)
{
    const RichDocument d = Read(R"({\rtf1\deff1{\fonttbl{\f1 Arial;}}{\f7 x}})");
    EXPECT_EQ(FormatOf(d, u"x"_qs).face, u"Arial"_qs);
    EXPECT_EQ(FormatOf(d, u"x"_qs).charset, kDefaultCharset);
}

TEST(RtfReaderTest, FontTableWithoutEntryGroupsAndUnicodeNames)
{
    const RichDocument d = Read(R"({\rtf1{\fonttbl\f0\fswiss Helvetica;\f1\fnil\uc0 \u23435\u20307;)"
                                R"(\f2\froman Times;\f3\fmodern Courier;\f4\fscript Brush;\f5 Plain;})"
                                R"({\f0 a}{\f1 b}{\f2 c}{\f3 d}{\f4 e}{\f5 f}})");
    EXPECT_EQ(FormatOf(d, u"a"_qs).face, u"Helvetica"_qs);
    EXPECT_EQ(FormatOf(d, u"b"_qs).face, u"宋体"_qs);
    // The family decides what an unknown face is drawn with.
    const std::pair<const char16_t *, FontFamily> families[] = {
        {u"a", FontFamily::Swiss},  {u"b", FontFamily::Nil},   {u"c", FontFamily::Roman},
        {u"d", FontFamily::Modern}, {u"e", FontFamily::Other}, {u"f", FontFamily::Nil}};
    for (const auto &[text, family] : families)
        EXPECT_EQ(FormatOf(d, QString::fromUtf16(text)).family, family) << QString::fromUtf16(text).toStdString();
}

TEST(RtfReaderTest, FontNamesDropControlCharacters)
{
    const struct {
        const char *rtf;
        const char *face;
    } cases[] = {
        {"{\\rtf1{\\fonttbl{\\f0 Ar\\u9 ?ial;}}\\f0 x}", "Arial"},
        {"{\\rtf1{\\fonttbl{\\f0 Ar\\'09ial;}}\\f0 x}", "Arial"},
        {"{\\rtf1{\\fonttbl{\\f0 Ar\tial\x01;}}\\f0 x}", "Arial"},
        {"{\\rtf1{\\fonttbl{\\f0 \x7F Sim\x1FSun;}}\\f0 x}", "SimSun"},
    };
    for (const auto &c : cases)
        EXPECT_EQ(FormatOf(Read(c.rtf), u"x"_qs).face, QString::fromLatin1(c.face)) << c.rtf;
}

// Writers that keep East Asian formats apart ("\dbch\af", "\afs", "\ab") give them for Chinese
// characters only; the same words for right-to-left text change nothing.
TEST(RtfReaderTest, EastAsianFormatsApplyToChineseCharacters)
{
    const RichDocument d = Read(R"({\rtf1{\fonttbl{\f0 Latin;}{\f1\fcharset134 CJK;}{\f2 Arabic;}}\f0\fs20 )"
                                R"(\rtlch\af2\afs40\ab \ltrch\dbch\af1\afs32\ab\ai \'d6\'d0 ab\uc0\u25991})");
    ASSERT_EQ(d.paragraphs.size(), 1);
    const CharFormat chinese = FormatOf(d, u"中"_qs);
    EXPECT_EQ(chinese.face, u"CJK"_qs);
    EXPECT_EQ(chinese.sizeHalfPoints, 32);
    EXPECT_TRUE(chinese.bold);
    EXPECT_TRUE(chinese.italic);
    const CharFormat latin = FormatOf(d, u"ab"_qs);
    EXPECT_EQ(latin.face, u"Latin"_qs);
    EXPECT_EQ(latin.sizeHalfPoints, 20);
    EXPECT_FALSE(latin.bold);
    EXPECT_EQ(FormatOf(d, u"文"_qs), chinese);
    EXPECT_EQ(d.paragraphs[0].Text(), u"中 ab文"_qs);
}

// --- paragraphs

struct ParagraphCase {
    const char *name;
    const char *controls;
    ParagraphFormat format;
};

class RtfParagraphTest : public ::testing::TestWithParam<ParagraphCase> {};

TEST_P(RtfParagraphTest, ReadsAlignmentAndSpacing)
{
    const QByteArray rtf = QByteArray("{\\rtf1\\qc\\sl480\\slmult1 before\\par\\pard") + GetParam().controls
                           + " text\\par after}";
    const RichDocument d = ReadRtf(rtf);
    ASSERT_EQ(d.paragraphs.size(), 3);
    EXPECT_EQ(d.paragraphs[1].format, GetParam().format);
    EXPECT_EQ(d.paragraphs[2].format, GetParam().format); // kept until the next \pard
}

INSTANTIATE_TEST_SUITE_P(
    Cases, RtfParagraphTest,
    ::testing::Values(ParagraphCase{"Defaults", "", {}}, ParagraphCase{"Left", "\\qc\\ql", {Alignment::Left}},
                      ParagraphCase{"Centred", "\\qc", {Alignment::Center}},
                      ParagraphCase{"Right", "\\qr", {Alignment::Right}},
                      ParagraphCase{"Justified", "\\qj", {Alignment::Justify}},
                      ParagraphCase{"SingleAsMultiple", "\\sl240\\slmult1", {}},
                      ParagraphCase{"OneAndHalf", "\\sl360\\slmult1", {Alignment::Left, LineSpacingRule::OneAndHalf}},
                      ParagraphCase{"Double", "\\sl480\\slmult1", {Alignment::Left, LineSpacingRule::Double}},
                      ParagraphCase{"Multiple", "\\sl180\\slmult1", {Alignment::Left, LineSpacingRule::Multiple, 15}},
                      ParagraphCase{"AtLeast", "\\sl300\\slmult0", {Alignment::Left, LineSpacingRule::AtLeast, 300}},
                      ParagraphCase{"AtLeastWithoutMult", "\\sl300", {Alignment::Left, LineSpacingRule::AtLeast, 300}},
                      ParagraphCase{"Exactly", "\\sl-300\\slmult0", {Alignment::Left, LineSpacingRule::Exactly, 300}},
                      ParagraphCase{"AutoSpacing", "\\sl0", {}},
                      ParagraphCase{"LastValueWins",
                                    "\\sl276\\slmult1\\sl360\\slmult1\\qr",
                                    {Alignment::Right, LineSpacingRule::OneAndHalf}}),
    [](const auto &info) { return std::string(info.param.name); });

TEST(RtfReaderTest, ParagraphBreaks)
{
    struct Case {
        const char *rtf;
        QStringList texts;
    };
    const Case cases[] = {
        {R"({\rtf1 a\par b\par})", {u"a"_qs, u"b"_qs}},
        {R"({\rtf1 a\par b})", {u"a"_qs, u"b"_qs}},
        {R"({\rtf1 a\par\par})", {u"a"_qs, QString()}},
        {R"({\rtf1 a\line b})", {u"a"_qs, u"b"_qs}},
        {"{\\rtf1 a\\\nb}", {u"a"_qs, u"b"_qs}},
        {R"({\rtf1 a\row b\page c\sect\sect d})", {u"a"_qs, u"b"_qs, u"c"_qs, u"d"_qs}},
        {R"({\rtf1 \par})", {QString()}},
        {R"({\rtf1 })", {}},
        {"", {}},
    };
    for (const Case &c : cases)
        EXPECT_EQ(Texts(Read(c.rtf)), c.texts) << c.rtf;
}

TEST(RtfReaderTest, ParagraphTakesFormatsInForceAtItsMark)
{
    const RichDocument d = Read(R"({\rtf1\fs48 big{\fs20\qc\par}small\fs30\par})");
    ASSERT_EQ(d.paragraphs.size(), 2);
    EXPECT_EQ(d.paragraphs[0].markFormat.sizeHalfPoints, 20);
    EXPECT_EQ(d.paragraphs[0].format.alignment, Alignment::Center);
    EXPECT_EQ(d.paragraphs[1].markFormat.sizeHalfPoints, 30);
    EXPECT_EQ(d.paragraphs[1].format.alignment, Alignment::Left);
}

// --- what is not text

TEST(RtfReaderTest, SkipsDestinationsThatAreNotText)
{
    const RichDocument d = Read(
        R"({\rtf1{\stylesheet{\s0 Normal;}}{\info{\title T}{\author A}}{\*\generator G;})"
        R"({\header H}{\footerr F}{\*\unknown U}{\pict\pngblip\bin5 {}}{ 0a0b}Z)"
        R"({\field{\*\fldinst HYPERLINK "x"}{\fldrslt shown}}{\*\pn\pnlvlblt{\pntxtb\'b7}}text)"
        R"({\listtable{\list{\listlevel{\leveltext\'01\u8226 ?;}}}}{\fldinst I}.})");
    EXPECT_EQ(Texts(d), QStringList{u"Zshowntext."_qs});
}

// A list's numbers and bullets are given as text for readers without lists (LibreOffice and Word
// write "\listtext", WordPad "\pntext"): they are the start of their line.
TEST(RtfReaderTest, ListNumbersAndBulletsAreText)
{
    const RichDocument d = Read(
        R"({\rtf1\ansi{\fonttbl{\f0\fswiss Arial;}{\f1\fnil\fcharset2 Symbol;}})"
        R"({\listtable{\list{\listlevel{\leveltext\'02\'00.;}}}}{\*\listoverridetable{\listoverride\ls1}})"
        R"(\pard\ls1{\listtext\pard\plain \f0 1.\tab}\f0 first\par)"
        R"(\pard\ls1{\listtext\pard\plain \f0 2.\tab}second\par)"
        R"(\pard{\pntext\f1\'b7\tab}{\*\pn\pnlvlblt\pnf1{\pntxtb\'b7}}third\par})");
    EXPECT_EQ(Texts(d), (QStringList{u"1.\tfirst"_qs, u"2.\tsecond"_qs, u"\u00B7\tthird"_qs}));
}

TEST(RtfReaderTest, TextAfterTheDocumentGroupIsNotRead)
{
    EXPECT_EQ(Texts(Read(R"({\rtf1 a}b{\rtf1 c})")), QStringList{u"a"_qs});
}

// --- malformed input: recover what can be read, never read outside the bytes, never hang

TEST(RtfReaderTest, MalformedInputs)
{
    struct Case {
        const char *name;
        QByteArray rtf;
        QStringList texts;
    };
    const Case cases[] = {
        {"truncated hex", QByteArray("{\\rtf1 ab\\'4"), {u"ab"_qs}},
        {"truncated hex then text", QByteArray("{\\rtf1 ab\\'4x}"), {u"abx"_qs}},
        {"truncated hex no digit", QByteArray("{\\rtf1 ab\\'"), {u"ab"_qs}},
        {"lone backslash at end", QByteArray("{\\rtf1 ab\\"), {u"ab"_qs}},
        {"truncated lead byte", QByteArray("{\\rtf1{\\fonttbl{\\f0\\fcharset134 x;}}\\f0 a\\'d6}"), {u"a\uFFFD"_qs}},
        {"unclosed groups", QByteArray("{\\rtf1 a{\\b b{\\i c"), {u"abc"_qs}},
        {"stray closing brace first", QByteArray("}}{\\rtf1 a}"), {u"a"_qs}},
        {"NUL bytes", QByteArray("{\\rtf1 a\0b\\u0?c}", 16), {u"abc"_qs}},
        {"control characters",
         QByteArray("{\\rtf1 a\x01\x1f"
                    "b\\u13?\\u10?c}"),
         {u"abc"_qs}},
        {"huge unicode", QByteArray("{\\rtf1 \\u99999999999?x}"), {u"\uFFFDx"_qs}},
        {"huge negative unicode", QByteArray("{\\rtf1 \\u-99999?x}"), {u"\uFFFDx"_qs}},
        {"huge skip count", QByteArray("{\\rtf1 \\uc2147483647\\u20013 abc}"), {u"中"_qs}},
        {"binary longer than input", QByteArray("{\\rtf1 a\\bin2147483647 xyz}"), {u"a"_qs}},
        {"negative binary", QByteArray("{\\rtf1 a\\bin-5 b}"), {u"ab"_qs}},
        {"huge parameter", QByteArray("{\\rtf1 \\b99999999999999999999999 x}"), {u"x"_qs}},
        {"long control word", QByteArray("{\\rtf1 \\") + QByteArray(5000, 'a') + " x}", {u"x"_qs}},
        {"no document group", QByteArray("\xff\xfe\x00z", 4), {u"ÿþz"_qs}},
        {"colour table text", QByteArray("{\\rtf1{\\colortbl;\\red999\\green-1 junk;}\\cf1 x}"), {u"x"_qs}},
        {"unfinished font table", QByteArray("{\\rtf1{\\fonttbl{\\f0\\fcharset134 A"), {}},
    };
    for (const Case &c : cases)
        EXPECT_EQ(Texts(ReadRtf(c.rtf)), c.texts) << c.name;
}

TEST(RtfReaderTest, DeepNestingIsBoundedAndQuick)
{
    const int depth = 200000;
    QByteArray rtf = "{\\rtf1 a";
    rtf += QByteArray(depth, '{');
    rtf += "\\b deep\\par";
    rtf += QByteArray(depth, '}');
    rtf += "z\\par}";
    QElapsedTimer timer;
    timer.start();
    const RichDocument d = ReadRtf(rtf);
    // Groups past the nesting limit are skipped whole; the text around them stays.
    EXPECT_EQ(Texts(d), QStringList{u"az"_qs});
    EXPECT_FALSE(FormatOf(d, u"az"_qs).bold);

    const RichDocument unclosed = ReadRtf(QByteArray(QByteArray("{\\rtf1 a") + QByteArray(depth, '{') + "b"));
    EXPECT_EQ(Texts(unclosed), QStringList{u"a"_qs});
}

TEST(RtfReaderTest, NestingBelowTheLimitIsHonoured)
{
    QByteArray rtf = "{\\rtf1 a";
    rtf += QByteArray(500, '{');
    rtf += "\\b b";
    rtf += QByteArray(500, '}');
    rtf += "c}";
    const RichDocument d = ReadRtf(rtf);
    EXPECT_EQ(Texts(d), QStringList{u"abc"_qs});
    EXPECT_TRUE(FormatOf(d, u"b"_qs).bold);
    EXPECT_FALSE(FormatOf(d, u"c"_qs).bold);
}

// --- plain text and files

TEST(RtfReaderTest, NonRtfBytesAreReadAsGbkOrUtf8Text)
{
    const RichDocument d = ReadRichText(ToGbk(u"第一行\r\nsecond\n\nlast\r\n"_qs));
    EXPECT_EQ(Texts(d), (QStringList{u"第一行"_qs, u"second"_qs, QString(), u"last"_qs}));
    EXPECT_EQ(Texts(ReadRichText(u"第一行\r\nsecond\n\nlast\r\n"_qs.toUtf8())), Texts(d));
    EXPECT_EQ(d.paragraphs[0].runs[0].format.face, u"宋体"_qs);
    EXPECT_EQ(d.paragraphs[0].runs[0].format.sizeHalfPoints, 24);
    EXPECT_TRUE(ReadRichText(QByteArray()).paragraphs.isEmpty());
    // RTF is recognised after leading white space.
    EXPECT_EQ(Texts(ReadRichText("\r\n {\\rtf1 \\b x}")), QStringList{u"x"_qs});
}

TEST(RtfReaderTest, MissingFileGivesNothing)
{
    EXPECT_FALSE(ReadRichTextFile(QStringLiteral("/nonexistent/none.rtf")).has_value());
}

TEST(RtfReaderTest, WordPadDocument)
{
    const auto d = ReadRichTextFile(Fixture("wordpad.rtf"));
    ASSERT_TRUE(d.has_value());
    ASSERT_EQ(Texts(*d), (QStringList{u"标题"_qs, u"黑体 Arial"_qs, u"右"_qs}));
    const Paragraph &title = d->paragraphs[0];
    EXPECT_EQ(title.format, (ParagraphFormat{Alignment::Center, LineSpacingRule::OneAndHalf}));
    EXPECT_EQ(title.runs[0].format.face, u"宋体"_qs);
    EXPECT_EQ(title.runs[0].format.color, qRgb(255, 0, 0));
    const CharFormat hei = FormatOf(*d, u"黑体"_qs);
    EXPECT_EQ(hei.face, u"黑体"_qs);
    EXPECT_TRUE(hei.bold);
    EXPECT_EQ(hei.PointSize(), 16);
    EXPECT_EQ(hei.color, qRgb(0, 0, 255));
    const CharFormat arial = FormatOf(*d, u"Arial"_qs);
    EXPECT_EQ(arial.face, u"Arial"_qs);
    EXPECT_EQ(arial.PointSize(), 10);
    EXPECT_TRUE(arial.autoColor);
    EXPECT_EQ(d->paragraphs[1].format, ParagraphFormat{});
    EXPECT_EQ(d->paragraphs[2].format, (ParagraphFormat{Alignment::Right, LineSpacingRule::Exactly, 300}));
    EXPECT_TRUE(FormatOf(*d, u"右"_qs).italic);
}

TEST(RtfReaderTest, WordDocument)
{
    const auto d = ReadRichTextFile(Fixture("word.rtf"));
    ASSERT_TRUE(d.has_value());
    ASSERT_EQ(Texts(*d), (QStringList{u"中文Wordlink"_qs, u"\uF0B7 after"_qs}));
    EXPECT_EQ(d->paragraphs[0].format, (ParagraphFormat{Alignment::Center, LineSpacingRule::OneAndHalf}));
    const CharFormat chinese = FormatOf(*d, u"中文"_qs);
    EXPECT_EQ(chinese.face, u"宋体"_qs);
    EXPECT_EQ(chinese.charset, 134);
    EXPECT_TRUE(chinese.bold);
    EXPECT_EQ(chinese.color, qRgb(255, 0, 0));
    const CharFormat word = FormatOf(*d, u"Word"_qs);
    EXPECT_EQ(word.face, u"Times New Roman"_qs);
    EXPECT_FALSE(word.bold);
    EXPECT_TRUE(FormatOf(*d, u"link"_qs).underline);
    EXPECT_EQ(d->paragraphs[1].format, ParagraphFormat{});
}

TEST(RtfReaderTest, LibreOfficeDocument)
{
    const auto d = ReadRichTextFile(Fixture("libreoffice.rtf"));
    ASSERT_TRUE(d.has_value());
    ASSERT_EQ(Texts(*d), (QStringList{u"中文粗体 text"_qs, u"italic under strike"_qs, u"Line two 𝄞 ü é"_qs}));
    EXPECT_EQ(d->paragraphs[0].format.alignment, Alignment::Center);
    EXPECT_EQ(d->paragraphs[1].format, (ParagraphFormat{Alignment::Right, LineSpacingRule::OneAndHalf}));
    EXPECT_EQ(d->paragraphs[2].format, (ParagraphFormat{Alignment::Left, LineSpacingRule::Double}));
    const CharFormat zhong = FormatOf(*d, u"中文"_qs);
    EXPECT_EQ(zhong.face, u"宋体"_qs); // the name is written in Shift-JIS bytes
    EXPECT_EQ(zhong.color, qRgb(255, 0, 0));
    EXPECT_FALSE(zhong.bold);
    EXPECT_TRUE(FormatOf(*d, u"粗体"_qs).bold);
    EXPECT_TRUE(FormatOf(*d, u"italic"_qs).italic);
    EXPECT_TRUE(FormatOf(*d, u"under"_qs).underline);
    EXPECT_TRUE(FormatOf(*d, u"strike"_qs).strike);
}

// Documents written by the installed LibreOffice, when there is one.
class LibreOfficeRtfTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        soffice_ = QStandardPaths::findExecutable(QStringLiteral("soffice"));
        if (soffice_.isEmpty())
            GTEST_SKIP() << "soffice is not installed; LibreOffice-written RTF is covered by the stored sample only";
        ASSERT_TRUE(dir_.isValid());
    }

    // Converts `name` in the temporary folder to RTF and reads the result.
    std::optional<RichDocument> Convert(const QString &name, const QByteArray &content, const QString &filter = {})
    {
        QFile input(dir_.filePath(name));
        if (!input.open(QIODevice::WriteOnly) || input.write(content) != content.size())
            return std::nullopt;
        input.close();
        QStringList arguments{QStringLiteral("-env:UserInstallation=file://")
                                  + dir_.filePath(QStringLiteral("profile")),
                              QStringLiteral("--headless"), QStringLiteral("--norestore")};
        if (!filter.isEmpty())
            arguments << QStringLiteral("--infilter=") + filter;
        arguments << QStringLiteral("--convert-to") << QStringLiteral("rtf") << QStringLiteral("--outdir")
                  << dir_.filePath(QStringLiteral("out")) << input.fileName();
        QProcess process;
        process.start(soffice_, arguments);
        if (!process.waitForFinished(180000)) {
            process.kill();
            process.waitForFinished(5000);
            ADD_FAILURE() << "soffice did not finish in time";
            return std::nullopt;
        }
        const QString output = dir_.filePath(QStringLiteral("out/") + QFileInfo(name).completeBaseName() + ".rtf");
        auto document = ReadRichTextFile(output);
        if (!document)
            ADD_FAILURE() << "soffice wrote no RTF: " << process.readAllStandardError().toStdString();
        return document;
    }

    QString soffice_;
    QTemporaryDir dir_;
};

TEST_F(LibreOfficeRtfTest, FormattedChineseText)
{
    const QByteArray html =
        QStringLiteral("<html><head><meta charset=\"utf-8\"></head><body>"
                       "<p style=\"text-align:center\"><font face=\"宋体\" color=\"#ff0000\">红色<b>粗体</b></font></p>"
                       "<p style=\"text-align:right; line-height:150%\"><i>斜体</i> <u>下划线</u> plain</p>"
                       "<p style=\"line-height:200%\"><font color=\"#0000ff\">蓝色 blue</font></p>"
                       "</body></html>")
            .toUtf8();
    const auto d = Convert(QStringLiteral("page.html"), html, QStringLiteral("HTML (StarWriter)"));
    ASSERT_TRUE(d.has_value());
    ASSERT_EQ(Texts(*d), (QStringList{u"红色粗体"_qs, u"斜体 下划线 plain"_qs, u"蓝色 blue"_qs}));
    EXPECT_EQ(d->paragraphs[0].format.alignment, Alignment::Center);
    EXPECT_EQ(d->paragraphs[1].format, (ParagraphFormat{Alignment::Right, LineSpacingRule::OneAndHalf}));
    EXPECT_EQ(d->paragraphs[2].format.spacingRule, LineSpacingRule::Double);
    const CharFormat red = FormatOf(*d, u"红色"_qs);
    EXPECT_EQ(red.face, u"宋体"_qs);
    EXPECT_EQ(red.color, qRgb(255, 0, 0));
    EXPECT_FALSE(red.bold);
    EXPECT_TRUE(FormatOf(*d, u"粗体"_qs).bold);
    EXPECT_TRUE(FormatOf(*d, u"斜体"_qs).italic);
    EXPECT_TRUE(FormatOf(*d, u"下划线"_qs).underline);
    EXPECT_FALSE(FormatOf(*d, u"plain"_qs).underline);
    EXPECT_EQ(FormatOf(*d, u"蓝色"_qs).color, qRgb(0, 0, 255));
    EXPECT_EQ(FormatOf(*d, u"blue"_qs).color, qRgb(0, 0, 255));
}

TEST_F(LibreOfficeRtfTest, PlainTextFile)
{
    const auto d = Convert(QStringLiteral("lines.txt"), QStringLiteral("你好 hello\n\nthird\n").toUtf8());
    ASSERT_TRUE(d.has_value());
    EXPECT_EQ(Texts(*d), (QStringList{u"你好 hello"_qs, QString(), u"third"_qs}));
}

} // namespace
} // namespace pelvoro
