#include "pages/font_substitution.h"

#include <QFont>
#include <QFontDatabase>
#include <QSet>

namespace pelvoro {
namespace {

struct Substitution {
    QStringList windowsFaces;
    QStringList installed;
};

const QString &Song()
{
    static const QString song = QStringLiteral("宋体");
    return song;
}

const QList<Substitution> &Table()
{
    static const QStringList song = {QStringLiteral("AR PL UMing CN"), QStringLiteral("AR PL SungtiL GB"),
                                     QStringLiteral("Noto Serif CJK SC"), QStringLiteral("WenQuanYi Zen Hei")};
    static const QStringList hei = {QStringLiteral("WenQuanYi Zen Hei"), QStringLiteral("WenQuanYi Micro Hei"),
                                    QStringLiteral("Noto Sans CJK SC"), QStringLiteral("AR PL UMing CN")};
    static const QStringList kai = {QStringLiteral("AR PL UKai CN"), QStringLiteral("AR PL KaitiM GB"),
                                    QStringLiteral("AR PL UMing CN")};
    static const QList<Substitution> table = {
        {{QStringLiteral("宋体"), QStringLiteral("SimSun"), QStringLiteral("新宋体"), QStringLiteral("NSimSun"),
          QStringLiteral("仿宋"), QStringLiteral("仿宋_GB2312"), QStringLiteral("FangSong")},
         song},
        {{QStringLiteral("黑体"), QStringLiteral("SimHei"), QStringLiteral("微软雅黑"),
          QStringLiteral("Microsoft YaHei")},
         hei},
        {{QStringLiteral("楷体"), QStringLiteral("楷体_GB2312"), QStringLiteral("KaiTi")}, kai},
        {{QStringLiteral("Arial")}, {QStringLiteral("Liberation Sans"), QStringLiteral("DejaVu Sans")}},
        {{QStringLiteral("Times New Roman")}, {QStringLiteral("Liberation Serif"), QStringLiteral("DejaVu Serif")}},
        {{QStringLiteral("Courier New")}, {QStringLiteral("Liberation Mono"), QStringLiteral("DejaVu Sans Mono")}},
    };
    return table;
}

// The font-substitution table of Windows for the common Western names.
QString WindowsName(const QString &face)
{
    static const QList<std::pair<QString, QString>> aliases = {
        {QStringLiteral("Helvetica"), QStringLiteral("Arial")},
        {QStringLiteral("Times"), QStringLiteral("Times New Roman")},
        {QStringLiteral("Courier"), QStringLiteral("Courier New")},
    };
    for (const auto &[alias, name] : aliases) {
        if (face.compare(alias, Qt::CaseInsensitive) == 0)
            return name;
    }
    return face;
}

bool Installed(const QString &face)
{
    static const QSet<QString> families = [] {
        QSet<QString> lower;
        for (const QString &family : QFontDatabase::families())
            lower.insert(family.toLower());
        return lower;
    }();
    return families.contains(face.toLower());
}

// The first installed face of a substitution, else its first (the font matcher then does its best).
QString FirstInstalled(const QStringList &faces)
{
    for (const QString &face : faces) {
        if (Installed(face))
            return face;
    }
    return faces.value(0);
}

bool IsEastAsianCharset(int charset)
{
    return charset == kGb2312Charset || charset == 128 || charset == 129 || charset == 136;
}

} // namespace

QStringList SubstitutesFor(const QString &windowsFace)
{
    const QString name = WindowsName(windowsFace);
    for (const Substitution &entry : Table()) {
        if (entry.windowsFaces.contains(name, Qt::CaseInsensitive))
            return entry.installed;
    }
    return {};
}

void InstallFontSubstitutions()
{
    for (const Substitution &entry : Table()) {
        for (const QString &face : entry.windowsFaces)
            QFont::insertSubstitutions(face, entry.installed);
    }
    for (const QString &alias : {QStringLiteral("Helvetica"), QStringLiteral("Times"), QStringLiteral("Courier")})
        QFont::insertSubstitutions(alias, SubstitutesFor(alias));
}

QString DrawingFace(const QString &face, int charset, FontFamily family)
{
    const QString name = face.isEmpty() ? Song() : face;
    if (const QStringList substitutes = SubstitutesFor(name); !substitutes.isEmpty())
        return FirstInstalled(substitutes);
    if (Installed(name))
        return name;
    if (IsEastAsianCharset(charset))
        return LinkedFace();
    switch (family) {
    case FontFamily::Swiss:
        return FirstInstalled(SubstitutesFor(QStringLiteral("Arial")));
    case FontFamily::Roman:
        return FirstInstalled(SubstitutesFor(QStringLiteral("Times New Roman")));
    case FontFamily::Modern:
        return FirstInstalled(SubstitutesFor(QStringLiteral("Courier New")));
    case FontFamily::Nil:
    case FontFamily::Other:
        break;
    }
    return LinkedFace();
}

QString LinkedFace()
{
    return FirstInstalled(SubstitutesFor(Song()));
}

} // namespace pelvoro
