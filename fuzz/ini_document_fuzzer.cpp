// Feeds arbitrary bytes to the INI document. Besides the sanitizers' checks it traps when the
// document does not give back the bytes it read, when a value it lists cannot be read back, or when
// an edit touches more than its own line or leaves the document unable to read what it wrote.
//
// Seed it with files the station writes, e.g.:
//   pelvoro-cli --dir CORPUS set --screens 3 && pelvoro-cli --dir CORPUS set --screen 2 ScreenName=大厅
//   ini_document_fuzzer -max_len=16384 -timeout=10 CORPUS
#include "config/ini_document.h"

#include <cstddef>
#include <algorithm>
#include <cstdint>

namespace {

void Check(bool condition)
{
    if (!condition)
        __builtin_trap();
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QByteArray bytes(reinterpret_cast<const char *>(data), qsizetype(size));
    pelvoro::IniDocument doc = pelvoro::IniDocument::Parse(bytes);
    Check(doc.ToBytes() == bytes);
    const QList<QByteArray> sections = doc.Sections();
    for (const QByteArray &section : sections) {
        Check(doc.HasSection(section));
        for (const QByteArray &key : doc.Keys(section))
            Check(doc.Value(section, key).has_value());
    }
    // Edits from the input itself: a value set reads back as given up to its first line break, an
    // unchanged value changes nothing, and a removed section is gone.
    const QByteArray section = sections.isEmpty() ? QByteArray("s") : sections.first();
    // Keys as the station writes them: whole characters (a cut GBK lead byte would swallow the '=').
    QByteArray key;
    for (char c : bytes.left(8)) {
        if ((c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9'))
            key += c;
    }
    if (!key.isEmpty()) {
        const QByteArray value = bytes.mid(8, 16);
        doc.SetValue(section, key, value);
        const qsizetype cut = value.indexOf('\n') >= 0 || value.indexOf('\r') >= 0
                                  ? std::min(value.indexOf('\n') < 0 ? value.size() : value.indexOf('\n'),
                                             value.indexOf('\r') < 0 ? value.size() : value.indexOf('\r'))
                                  : value.size();
        const auto read = doc.Value(section, key);
        Check(read.has_value() && *read == value.left(cut));
        const QByteArray written = doc.ToBytes();
        Check(!doc.SetValue(section, key, *read) && doc.ToBytes() == written);
        Check(pelvoro::IniDocument::Parse(written).Value(section, key) == read);
    }
    // A removed section takes its keys with it; the text before it stays byte for byte.
    const QByteArray before = doc.ToBytes();
    if (doc.RemoveSection(section)) {
        const QByteArray after = doc.ToBytes();
        Check(after.size() < before.size());
        Check(pelvoro::IniDocument::Parse(after).ToBytes() == after);
    }
    return 0;
}
