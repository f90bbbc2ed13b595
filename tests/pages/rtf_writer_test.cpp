// The RTF writer against the reader: what is written reads back as the same document.
#include "pages/rtf_reader.h"
#include "pages/rtf_writer.h"
#include "pages/text_editor_pages.h"

#include <gtest/gtest.h>

namespace pelvoro {
namespace {

CharFormat Format(const QString &face, int charset, int halfPoints, std::optional<QRgb> colour = {})
{
    CharFormat format;
    format.face = face;
    format.charset = charset;
    format.sizeHalfPoints = halfPoints;
    if (colour) {
        format.autoColor = false;
        format.color = *colour;
    }
    return format;
}

Paragraph Para(std::initializer_list<TextRun> runs, ParagraphFormat format = {}, std::optional<CharFormat> mark = {})
{
    Paragraph paragraph;
    for (const TextRun &run : runs)
        paragraph.runs.append(run);
    paragraph.format = format;
    paragraph.markFormat = mark ? *mark : (paragraph.runs.isEmpty() ? CharFormat{} : paragraph.runs.last().format);
    return paragraph;
}

const CharFormat kSong = Format(u"宋体"_qs, kGb2312Charset, 24, qRgb(255, 0, 0));
const CharFormat kArial = Format(u"Arial"_qs, kAnsiCharset, 21);

CharFormat Family(FontFamily family)
{
    CharFormat format = Format(u"Unknown Face"_qs, kAnsiCharset, 24);
    format.family = family;
    return format;
}

CharFormat With(CharFormat format, void (*change)(CharFormat &))
{
    change(format);
    return format;
}

struct RoundTripCase {
    const char *name;
    RichDocument document;
};

class RtfRoundTripTest : public ::testing::TestWithParam<RoundTripCase> {};

TEST_P(RtfRoundTripTest, ReaderGivesTheWrittenDocumentBack)
{
    const QByteArray rtf = WriteRtf(GetParam().document);
    const RichDocument back = ReadRichText(rtf);
    EXPECT_EQ(back.PlainText(), GetParam().document.PlainText()) << rtf.toStdString();
    ASSERT_EQ(back.paragraphs.size(), GetParam().document.paragraphs.size()) << rtf.toStdString();
    for (qsizetype i = 0; i < back.paragraphs.size(); ++i) {
        const Paragraph &want = GetParam().document.paragraphs[i];
        const Paragraph &got = back.paragraphs[i];
        EXPECT_EQ(got.format, want.format) << "paragraph " << i;
        EXPECT_EQ(got.markFormat, want.markFormat) << "paragraph " << i;
        ASSERT_EQ(got.runs.size(), want.runs.size()) << "paragraph " << i << "\n" << rtf.toStdString();
        for (qsizetype r = 0; r < got.runs.size(); ++r) {
            EXPECT_EQ(got.runs[r].text, want.runs[r].text) << "paragraph " << i << " run " << r;
            EXPECT_EQ(got.runs[r].format, want.runs[r].format) << "paragraph " << i << " run " << r;
        }
    }
}

INSTANTIATE_TEST_SUITE_P(
    Documents, RtfRoundTripTest,
    ::testing::Values(
        RoundTripCase{"Empty", {}},
        RoundTripCase{"OneEmptyParagraph", {{Para({}, {}, kSong)}}},
        RoundTripCase{"EditorNotice", EditorDocument({u"今日停水通知"_qs, u"请各位住户做好准备 8:00-17:00"_qs})},
        RoundTripCase{"EmptyLinesBetweenAndAtTheEnd",
                      {{Para({{u"上"_qs, kSong}}), Para({}, {}, kArial), Para({{u"下"_qs, kSong}}),
                        Para({}, {}, kSong)}}},
        RoundTripCase{"EveryStyle",
                      {{Para({{u"粗"_qs, With(kSong, [](CharFormat &f) { f.bold = true; })},
                              {u"斜"_qs, With(kSong, [](CharFormat &f) { f.italic = true; })},
                              {u"线"_qs, With(kSong, [](CharFormat &f) { f.underline = true; })},
                              {u"删"_qs, With(kSong, [](CharFormat &f) { f.strike = true; })},
                              {u"all"_qs, With(kArial, [](CharFormat &f) { f.bold = f.italic = f.strike = true; })},
                              {u"und"_qs, With(kArial, [](CharFormat &f) { f.underline = f.bold = true; })},
                              {u"auto"_qs, Format(u"宋体"_qs, kGb2312Charset, 24)}})}}},
        RoundTripCase{"ColoursAndSizes",
                      {{Para({{u"黄"_qs, Format(u"黑体"_qs, kGb2312Charset, 72, qRgb(255, 255, 0))},
                              {u"绿"_qs, Format(u"黑体"_qs, kGb2312Charset, 3276, qRgb(0, 255, 0))},
                              {u"蓝"_qs, Format(u"黑体"_qs, kGb2312Charset, 2, qRgb(0, 0, 255))},
                              {u"黑"_qs, Format(u"黑体"_qs, kGb2312Charset, 25, qRgb(0, 0, 0))}})}}},
        RoundTripCase{"Alignments",
                      {{Para({{u"l"_qs, kArial}}, {Alignment::Left}), Para({{u"c"_qs, kArial}}, {Alignment::Center}),
                        Para({{u"r"_qs, kArial}}, {Alignment::Right}),
                        Para({{u"j"_qs, kArial}}, {Alignment::Justify})}}},
        RoundTripCase{"LineSpacingRules",
                      {{Para({{u"a"_qs, kSong}}, {Alignment::Left, LineSpacingRule::Single}),
                        Para({{u"b"_qs, kSong}}, {Alignment::Left, LineSpacingRule::OneAndHalf}),
                        Para({{u"c"_qs, kSong}}, {Alignment::Left, LineSpacingRule::Double}),
                        Para({{u"d"_qs, kSong}}, {Alignment::Left, LineSpacingRule::AtLeast, 300}),
                        Para({{u"e"_qs, kSong}}, {Alignment::Left, LineSpacingRule::Exactly, 280}),
                        Para({{u"f"_qs, kSong}}, {Alignment::Center, LineSpacingRule::Multiple, 15}),
                        Para({{u"g"_qs, kSong}}, {Alignment::Right, LineSpacingRule::Multiple, 21}),
                        Para({{u"h"_qs, kSong}}, {Alignment::Left, LineSpacingRule::Multiple, 100})}}},
        // What GBK cannot hold goes as \u, in a Chinese font and in a Western one alike.
        RoundTripCase{"BeyondGbk",
                      {{Para({{u"€ 😀 한국 ñ 中"_qs, kSong}, {u"café 中文 ∑ 😀 €"_qs, kArial}})}}},
        RoundTripCase{"SyntaxCharactersAndTabs",
                      {{Para({{u"{a}\\b\tc ;d"_qs, kSong}, {u"\\par {\\b x}"_qs, kArial}})}}},
        RoundTripCase{"FacesOfOtherCharsetsAndEmptyFace",
                      {{Para({{u"x"_qs, Format(u"宋体"_qs, kAnsiCharset, 24)},
                              {u"中"_qs, Format(u"宋体"_qs, kDefaultCharset, 24)},
                              {u"y"_qs, Format(QString(), kDefaultCharset, 24)},
                              {u"z"_qs, Format(u"Times New Roman"_qs, 238, 24)}})}}},
        // The family a document gives an unknown face decides what it is drawn with: it is kept.
        RoundTripCase{"FontFamilies",
                      {{Para({{u"n"_qs, Family(FontFamily::Nil)},
                              {u"r"_qs, Family(FontFamily::Roman)},
                              {u"s"_qs, Family(FontFamily::Swiss)},
                              {u"m"_qs, Family(FontFamily::Modern)},
                              {u"o"_qs, Family(FontFamily::Other)}})}}},
        // The mark's own format sizes an empty line; it may differ from the last run.
        RoundTripCase{"MarkFormatApart",
                      {{Para({{u"小"_qs, kSong}}, {}, Format(u"宋体"_qs, kGb2312Charset, 48, qRgb(255, 0, 0)))}}}),
    [](const auto &info) { return std::string(info.param.name); });

TEST(RtfWriterTest, WritesGbkBytesAndTheEditorsSpacingRule)
{
    const QByteArray rtf = WriteRtf(EditorDocument({u"中😀"_qs}));
    // 中 is D6 D0 in GBK; what GBK cannot hold goes as \u (a signed 16-bit number for each half of a
    // pair) with a '?' for readers that do not know \u.
    EXPECT_TRUE(rtf.contains("\\'d6\\'d0\\u-10179?\\u-8704?")) << rtf.toStdString();
    EXPECT_TRUE(rtf.contains("\\fcharset134 \\'cb\\'ce\\'cc\\'e5;")) << rtf.toStdString(); // 宋体
    EXPECT_TRUE(rtf.contains("\\red255\\green0\\blue0;")) << rtf.toStdString();
    // 0.75 lines are 15 twentieths: 180 twips of a 240-twip line, as a multiple.
    EXPECT_TRUE(rtf.contains("\\sl180\\slmult1")) << rtf.toStdString();
    EXPECT_TRUE(rtf.contains("\\ansicpg936")) << rtf.toStdString();
}

TEST(RtfWriterTest, MultiplesOfWholeLinesReadAsTheFixedRules)
{
    struct Case {
        int twentieths;
        LineSpacingRule rule;
    };
    for (const Case c : {Case{20, LineSpacingRule::Single}, Case{30, LineSpacingRule::OneAndHalf},
                         Case{40, LineSpacingRule::Double}}) {
        const ParagraphFormat format{Alignment::Left, LineSpacingRule::Multiple, c.twentieths};
        const RichDocument document{{Para({{u"x"_qs, kSong}}, format)}};
        EXPECT_EQ(ReadRtf(WriteRtf(document)).paragraphs.value(0).format.spacingRule, c.rule) << c.twentieths;
    }
}

} // namespace
} // namespace pelvoro
