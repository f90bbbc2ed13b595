#pragma once

#include <QByteArray>
#include <QList>

#include <optional>
#include <vector>

namespace pelvoro {

// A Windows-style INI file held as the bytes it was read from. Section names, keys and values are
// GBK bytes; the document never decodes them, so bytes that are not valid GBK survive untouched.
// Edits change only the lines they concern: comments, unknown keys and sections, blank lines, line
// ends and order stay as they were. Like the platform's profile functions, names compare without
// regard to ASCII case and the first of duplicate sections or keys wins.
class IniDocument {
public:
    static IniDocument Parse(const QByteArray &bytes);
    QByteArray ToBytes() const;

    // The value without surrounding blanks, and without a pair of double quotes around it.
    std::optional<QByteArray> Value(const QByteArray &section, const QByteArray &key) const;
    bool HasSection(const QByteArray &section) const;
    QList<QByteArray> Sections() const;
    QList<QByteArray> Keys(const QByteArray &section) const;

    // Returns true when the document changed. A new key goes at the end of its section, a new
    // section at the end of the document. A value ends at its first line break; one with blanks
    // at an end (or in quotes of its own) is stored in double quotes, so that it reads back as given.
    bool SetValue(const QByteArray &section, const QByteArray &key, const QByteArray &value);
    // Removes a key; returns true when it existed.
    bool RemoveKey(const QByteArray &section, const QByteArray &key);
    // Removes the section's header and every line up to the next section; returns true when it
    // existed. Only the first of duplicate sections is removed, as the profile functions do.
    bool RemoveSection(const QByteArray &section);

private:
    enum class Kind { Other, Section, Entry };
    struct Line {
        QByteArray text; // without its line end
        QByteArray eol;  // "\r\n", "\n" or empty for a last line without one
        Kind kind = Kind::Other;
        QByteArray name;    // section name or key, trimmed
        int valueStart = 0; // Entry: offset of the value in text
    };
    static Line ParseLine(QByteArray text, QByteArray eol);
    int FindSection(const QByteArray &section) const; // header line index or -1
    int SectionEnd(int header) const;                 // index of the next header or size
    int FindKey(int header, const QByteArray &key) const;
    QByteArray NewLineEnd() const;

    std::vector<Line> lines_;
};

// Compares INI names as the profile functions do: ASCII letters without regard to case, GBK
// double-byte characters exactly.
bool IniNamesEqual(const QByteArray &a, const QByteArray &b);

} // namespace pelvoro
