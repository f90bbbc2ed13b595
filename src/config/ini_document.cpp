#include "config/ini_document.h"

#include "base/gbk.h"

namespace pelvoro {
namespace {

bool IsGbkTrail(unsigned char c)
{
    return c >= 0x40 && c <= 0xFE && c != 0x7F;
}

bool IsBlank(char c)
{
    return c == ' ' || c == '\t';
}

QByteArray Trimmed(const QByteArray &bytes)
{
    qsizetype begin = 0;
    qsizetype end = bytes.size();
    while (begin < end && IsBlank(bytes[begin]))
        ++begin;
    while (end > begin && IsBlank(bytes[end - 1]))
        --end;
    return bytes.mid(begin, end - begin);
}

// A value in double quotes is read without them, as the system's own INI functions read it; that
// is how a value keeps leading or trailing blanks, which are otherwise trimmed.
QByteArray Unquoted(const QByteArray &trimmed)
{
    if (trimmed.size() >= 2 && trimmed.front() == '"' && trimmed.back() == '"')
        return trimmed.mid(1, trimmed.size() - 2);
    return trimmed;
}

QByteArray Quoted(const QByteArray &value)
{
    const bool blankEnd = !value.isEmpty() && (IsBlank(value.front()) || IsBlank(value.back()));
    const bool looksQuoted = value.size() >= 2 && value.front() == '"' && value.back() == '"';
    return blankEnd || looksQuoted ? '"' + value + '"' : value;
}

// Whether a double-byte character starts at `i`. A lead byte followed by something that cannot be
// a trail byte is a stray byte, and the next byte is read on its own.
bool DoubleByteAt(const QByteArray &text, qsizetype i)
{
    return IsGbkLeadByte(static_cast<unsigned char>(text[i])) && i + 1 < text.size()
           && IsGbkTrail(static_cast<unsigned char>(text[i + 1]));
}

// Position of `wanted` in `text` from `from` on, skipping the second byte of every GBK double-byte
// character (a trail byte may look like ']').
qsizetype FindOutsideDoubleBytes(const QByteArray &text, char wanted, qsizetype from)
{
    for (qsizetype i = from; i < text.size(); ++i) {
        if (DoubleByteAt(text, i)) {
            ++i;
            continue;
        }
        if (text[i] == wanted)
            return i;
    }
    return -1;
}

} // namespace

bool IniNamesEqual(const QByteArray &a, const QByteArray &b)
{
    if (a.size() != b.size())
        return false;
    for (qsizetype i = 0; i < a.size(); ++i) {
        const auto ca = static_cast<unsigned char>(a[i]);
        const auto cb = static_cast<unsigned char>(b[i]);
        if (DoubleByteAt(a, i)) {
            if (ca != cb || a[i + 1] != b[i + 1])
                return false;
            ++i;
            continue;
        }
        auto lower = [](unsigned char c) { return (c >= 'A' && c <= 'Z') ? c + 32 : c; };
        if (lower(ca) != lower(cb))
            return false;
    }
    return true;
}

IniDocument::Line IniDocument::ParseLine(QByteArray text, QByteArray eol)
{
    Line line;
    line.text = std::move(text);
    line.eol = std::move(eol);
    const QByteArray trimmed = Trimmed(line.text);
    if (trimmed.startsWith('[')) {
        const qsizetype open = line.text.indexOf('[');
        const qsizetype close = FindOutsideDoubleBytes(line.text, ']', open + 1);
        if (close > open) {
            line.kind = Kind::Section;
            line.name = Trimmed(line.text.mid(open + 1, close - open - 1));
        }
        return line;
    }
    if (trimmed.isEmpty() || trimmed.startsWith(';'))
        return line;
    const qsizetype eq = FindOutsideDoubleBytes(line.text, '=', 0);
    if (eq < 0)
        return line;
    line.kind = Kind::Entry;
    line.name = Trimmed(line.text.left(eq));
    line.valueStart = int(eq + 1);
    return line;
}

IniDocument IniDocument::Parse(const QByteArray &bytes)
{
    IniDocument doc;
    qsizetype pos = 0;
    while (pos < bytes.size()) {
        const qsizetype nl = bytes.indexOf('\n', pos);
        if (nl < 0) {
            doc.lines_.push_back(ParseLine(bytes.mid(pos), {}));
            break;
        }
        qsizetype end = nl;
        QByteArray eol("\n");
        if (end > pos && bytes[end - 1] == '\r') {
            --end;
            eol = "\r\n";
        }
        doc.lines_.push_back(ParseLine(bytes.mid(pos, end - pos), eol));
        pos = nl + 1;
    }
    return doc;
}

QByteArray IniDocument::ToBytes() const
{
    QByteArray out;
    for (const Line &line : lines_)
        out += line.text + line.eol;
    return out;
}

int IniDocument::FindSection(const QByteArray &section) const
{
    for (int i = 0; i < int(lines_.size()); ++i) {
        if (lines_[i].kind == Kind::Section && IniNamesEqual(lines_[i].name, section))
            return i;
    }
    return -1;
}

int IniDocument::SectionEnd(int header) const
{
    for (int i = header + 1; i < int(lines_.size()); ++i) {
        if (lines_[i].kind == Kind::Section)
            return i;
    }
    return int(lines_.size());
}

int IniDocument::FindKey(int header, const QByteArray &key) const
{
    const int end = SectionEnd(header);
    for (int i = header + 1; i < end; ++i) {
        if (lines_[i].kind == Kind::Entry && IniNamesEqual(lines_[i].name, key))
            return i;
    }
    return -1;
}

QByteArray IniDocument::NewLineEnd() const
{
    // New lines follow the file's own convention; a new file gets the Windows one.
    for (const Line &line : lines_) {
        if (!line.eol.isEmpty())
            return line.eol;
    }
    return "\r\n";
}

std::optional<QByteArray> IniDocument::Value(const QByteArray &section, const QByteArray &key) const
{
    const int header = FindSection(section);
    if (header < 0)
        return std::nullopt;
    const int at = FindKey(header, key);
    if (at < 0)
        return std::nullopt;
    return Unquoted(Trimmed(lines_[at].text.mid(lines_[at].valueStart)));
}

bool IniDocument::HasSection(const QByteArray &section) const
{
    return FindSection(section) >= 0;
}

QList<QByteArray> IniDocument::Sections() const
{
    QList<QByteArray> names;
    for (const Line &line : lines_) {
        if (line.kind == Kind::Section)
            names.append(line.name);
    }
    return names;
}

QList<QByteArray> IniDocument::Keys(const QByteArray &section) const
{
    QList<QByteArray> keys;
    const int header = FindSection(section);
    if (header < 0)
        return keys;
    const int end = SectionEnd(header);
    for (int i = header + 1; i < end; ++i) {
        if (lines_[i].kind == Kind::Entry)
            keys.append(lines_[i].name);
    }
    return keys;
}

bool IniDocument::SetValue(const QByteArray &section, const QByteArray &key, const QByteArray &rawValue)
{
    // A value is the rest of its line: a line break in it would start new lines, even sections, of
    // its own. It is cut there; blanks at its ends are kept by quoting it.
    QByteArray wanted = rawValue;
    for (qsizetype i = 0; i < wanted.size(); ++i) {
        if (wanted[i] == '\n' || wanted[i] == '\r') {
            wanted.truncate(i);
            break;
        }
    }
    const QByteArray value = Quoted(wanted);
    const QByteArray eol = NewLineEnd();
    int header = FindSection(section);
    if (header < 0) {
        if (!lines_.empty() && lines_.back().eol.isEmpty())
            lines_.back().eol = eol;
        lines_.push_back(ParseLine('[' + section + ']', eol));
        lines_.push_back(ParseLine(key + '=' + value, eol));
        return true;
    }
    const int at = FindKey(header, key);
    if (at >= 0) {
        Line &line = lines_[at];
        if (Unquoted(Trimmed(line.text.mid(line.valueStart))) == wanted)
            return false;
        // Blanks after the equals sign stay, as the line was written.
        qsizetype start = line.valueStart;
        while (start < line.text.size() && IsBlank(line.text[start]))
            ++start;
        line.text = line.text.left(start) + value;
        return true;
    }
    // After the section's last non-blank line, so that blank lines separating sections stay
    // between them.
    int insertAt = header + 1;
    const int end = SectionEnd(header);
    for (int i = header + 1; i < end; ++i) {
        if (!Trimmed(lines_[i].text).isEmpty())
            insertAt = i + 1;
    }
    if (lines_[insertAt - 1].eol.isEmpty())
        lines_[insertAt - 1].eol = eol;
    lines_.insert(lines_.begin() + insertAt, ParseLine(key + '=' + value, eol));
    return true;
}

bool IniDocument::RemoveKey(const QByteArray &section, const QByteArray &key)
{
    const int header = FindSection(section);
    if (header < 0)
        return false;
    const int at = FindKey(header, key);
    if (at < 0)
        return false;
    lines_.erase(lines_.begin() + at);
    return true;
}

bool IniDocument::RemoveSection(const QByteArray &section)
{
    const int header = FindSection(section);
    if (header < 0)
        return false;
    lines_.erase(lines_.begin() + header, lines_.begin() + SectionEnd(header));
    return true;
}

} // namespace pelvoro
