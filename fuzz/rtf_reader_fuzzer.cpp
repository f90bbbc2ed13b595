// Feeds arbitrary bytes to the rich-text reader. Besides the sanitizers' checks it traps when the
// document breaks what the layout relies on: no control characters but tabs in runs, no empty runs,
// sizes within range.
//
//   rtf_reader_fuzzer -dict=fuzz/rtf.dict -max_len=8192 -timeout=10 CORPUS tests/pages/data/rtf
#include "pages/rtf_reader.h"

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

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QByteArrayView bytes(reinterpret_cast<const char *>(data), qsizetype(size));
    CheckDocument(pelvoro::ReadRtf(bytes));
    CheckDocument(pelvoro::ReadRichText(bytes));
    return 0;
}
