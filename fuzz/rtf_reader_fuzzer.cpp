// Feeds arbitrary bytes to the rich-text reader. Besides the sanitizers' checks it traps when the
// document breaks what the layout relies on (no control characters but tabs in runs and none in
// face names, no empty runs, sizes within range), when what the writer makes of it does not read
// back to the same document (text, paragraph and character formats), or when a second write and
// read changes the bytes.
//
//   rtf_reader_fuzzer -dict=fuzz/rtf.dict -max_len=8192 -timeout=10 CORPUS tests/pages/data/rtf
#include "pages/rtf_reader.h"
#include "pages/rtf_writer.h"

#include <cstddef>
#include <cstdint>

namespace {

void Check(bool condition)
{
    if (!condition)
        __builtin_trap();
}

void CheckFormat(const pelvoro::CharFormat &format)
{
    Check(format.sizeHalfPoints >= 2 && format.sizeHalfPoints <= 3276);
    for (QChar c : format.face)
        Check(c.unicode() >= 0x20 && c.unicode() != 0x7F);
}

void CheckDocument(const pelvoro::RichDocument &document)
{
    for (const pelvoro::Paragraph &paragraph : document.paragraphs) {
        CheckFormat(paragraph.markFormat);
        for (const pelvoro::TextRun &run : paragraph.runs) {
            Check(!run.text.isEmpty());
            CheckFormat(run.format);
            for (QChar c : run.text)
                Check(c.unicode() >= 0x20 || c == u'\t');
        }
    }
}

// Multiple spacing of 20, 30 and 40 twentieths is single, one-and-a-half and double spacing, and
// is written and read back as those.
pelvoro::ParagraphFormat Settled(pelvoro::ParagraphFormat format)
{
    using pelvoro::LineSpacingRule;
    if (format.spacingRule == LineSpacingRule::Multiple) {
        const LineSpacingRule rules[] = {LineSpacingRule::Single, LineSpacingRule::OneAndHalf, LineSpacingRule::Double};
        for (int i = 0; i < 3; ++i) {
            if (format.spacingValue == 20 + 10 * i)
                return pelvoro::ParagraphFormat{format.alignment, rules[i], 0};
        }
    }
    return format;
}

bool SameDocument(const pelvoro::RichDocument &a, const pelvoro::RichDocument &b)
{
    if (a.paragraphs.size() != b.paragraphs.size())
        return false;
    for (qsizetype i = 0; i < a.paragraphs.size(); ++i) {
        const pelvoro::Paragraph &p = a.paragraphs[i];
        const pelvoro::Paragraph &q = b.paragraphs[i];
        if (!(Settled(p.format) == Settled(q.format)) || !(p.markFormat == q.markFormat))
            return false;
        if (p.runs.size() != q.runs.size())
            return false;
        for (qsizetype r = 0; r < p.runs.size(); ++r) {
            if (p.runs[r].text != q.runs[r].text || !(p.runs[r].format == q.runs[r].format))
                return false;
        }
    }
    return true;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QByteArrayView bytes(reinterpret_cast<const char *>(data), qsizetype(size));
    const pelvoro::RichDocument document = pelvoro::ReadRtf(bytes);
    CheckDocument(document);
    CheckDocument(pelvoro::ReadRichText(bytes));
    // What was read is written so that it reads back the same; from the second write on (the first
    // settles the spacing rule) writing and reading change nothing.
    const pelvoro::RichDocument again = pelvoro::ReadRtf(pelvoro::WriteRtf(document));
    Check(SameDocument(again, document));
    const QByteArray settled = pelvoro::WriteRtf(again);
    Check(pelvoro::WriteRtf(pelvoro::ReadRtf(settled)) == settled);
    return 0;
}
