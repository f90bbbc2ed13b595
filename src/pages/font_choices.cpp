#include "pages/font_choices.h"

#include "pages/font_substitution.h"

#include <QFontDatabase>


#include <algorithm>
#include <QRegularExpression>
#include <QSet>

namespace pelvoro {

namespace {

const QStringList kChineseWindowsFaces = {QStringLiteral("宋体"), QStringLiteral("黑体"), QStringLiteral("楷体")};
const QStringList kGenericAliases = {QStringLiteral("Sans Serif"), QStringLiteral("Serif"),
                                     QStringLiteral("Monospace"), QStringLiteral("Sans"), QStringLiteral("Mono")};

// "AR PL UMing TW MBE" and "AR PL UMing CN" are one typeface; "Liberation Sans [1ASC]" is
// "Liberation Sans".
QString TypefaceKey(const QString &family)
{
    static const QRegularExpression foundry(QStringLiteral(R"(\s*\[[^\]]*\]$)"));
    static const QRegularExpression region(QStringLiteral(R"(\s+(CN|SC|TC|HK|TW|JP|KR)(\s+MBE)?$)"));
    QString key = family;
    key.remove(foundry);
    key.remove(region);
    return key.toCaseFolded();
}

// Simplified Chinese cuts first, so that of the regional cuts the CN one is kept.
int RegionRank(const QString &family)
{
    if (family.endsWith(QLatin1String(" CN")) || family.endsWith(QLatin1String(" SC")))
        return 0;
    return family.contains(QLatin1Char('[')) ? 2 : 1;
}

} // namespace

QStringList FontChoices(const QStringList &installedFamilies, const std::function<bool(const QString &)> &drawsChinese)
{
    QStringList choices;
    QSet<QString> taken;
    for (const QString &windowsFace : kChineseWindowsFaces) {
        const bool installedAsIs = installedFamilies.contains(windowsFace);
        const QStringList substitutes = SubstitutesFor(windowsFace);
        const bool drawable = installedAsIs || std::any_of(substitutes.begin(), substitutes.end(), [&](const QString &f) {
                                  return installedFamilies.contains(f);
                              });
        if (drawable) {
            choices.append(windowsFace);
            taken.insert(TypefaceKey(windowsFace));
        }
    }

    QStringList ordered = installedFamilies;
    std::stable_sort(ordered.begin(), ordered.end(),
                     [](const QString &a, const QString &b) { return RegionRank(a) < RegionRank(b); });
    QStringList chinese;
    QStringList others;
    for (const QString &family : ordered) {
        if (kGenericAliases.contains(family, Qt::CaseInsensitive))
            continue;
        const QString key = TypefaceKey(family);
        if (taken.contains(key))
            continue;
        taken.insert(key);
        (drawsChinese(family) ? chinese : others).append(family);
    }
    // Back in the database's (alphabetical) order within each group.
    auto byInstalledOrder = [&](const QString &a, const QString &b) {
        return installedFamilies.indexOf(a) < installedFamilies.indexOf(b);
    };
    std::sort(chinese.begin(), chinese.end(), byInstalledOrder);
    std::sort(others.begin(), others.end(), byInstalledOrder);
    return choices + chinese + others;
}

QStringList InstalledFontChoices()
{
    return FontChoices(QFontDatabase::families(), [](const QString &family) {
        return QFontDatabase::writingSystems(family).contains(QFontDatabase::SimplifiedChinese);
    });
}

} // namespace pelvoro
