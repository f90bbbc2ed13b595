#include "pages/font_substitution.h"

#include <QFont>

namespace pelvoro {
namespace {

struct Substitution {
    QStringList windowsFaces;
    QStringList installed;
};

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
    };
    return table;
}

} // namespace

QStringList SubstitutesFor(const QString &windowsFace)
{
    for (const Substitution &entry : Table()) {
        if (entry.windowsFaces.contains(windowsFace, Qt::CaseInsensitive))
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
}

} // namespace pelvoro
