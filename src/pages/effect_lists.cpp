#include "pages/effect_lists.h"

#include "config/screen_info.h"

#include <array>

namespace pelvoro {
namespace {

struct EffectRow {
    Effect effect;
    const char16_t *name; // the list text after its number
    int normal;           // position in the "Normal" list
    int zpKq;             // position in the "ZP-KQ/TQ" list; -1 where that card lacks the effect
};

// The one table of effects and the positions the two card families give them.
constexpr std::array<EffectRow, kEffectCount> kEffects = {{
    {Effect::Random, u"随机", 0, 0},
    {Effect::PageTurn, u"翻页", 1, 1},
    {Effect::CoverLeft, u"左覆盖", 2, 2},
    {Effect::CoverRight, u"右覆盖", 3, 3},
    {Effect::CoverUp, u"上覆盖", 4, 4},
    {Effect::CoverDown, u"下覆盖", 5, 5},
    {Effect::CoverTopLeftSlant, u"左上角覆盖（斜线）", 6, -1},
    {Effect::CoverTopRightSlant, u"右上角覆盖（斜线）", 7, -1},
    {Effect::CoverBottomLeftSlant, u"左下角覆盖（斜线）", 8, -1},
    {Effect::CoverBottomRightSlant, u"右下角覆盖（斜线）", 9, -1},
    {Effect::CoverTopLeftStraight, u"左上角覆盖（直线）", 10, -1},
    {Effect::CoverTopRightStraight, u"右上角覆盖（直线）", 11, -1},
    {Effect::CoverBottomLeftStraight, u"左下角覆盖（直线）", 12, -1},
    {Effect::CoverBottomRightStraight, u"右下角覆盖（直线）", 13, -1},
    {Effect::CoverTopLeftEdge, u"左上角覆盖（边沿）", 14, -1},
    {Effect::CoverTopRightEdge, u"右上角覆盖（边沿）", 15, -1},
    {Effect::CoverBottomLeftEdge, u"左下角覆盖（边沿）", 16, -1},
    {Effect::CoverBottomRightEdge, u"右下角覆盖（边沿）", 17, -1},
    {Effect::BlindsLeftRight, u"水平百叶(左右)", 18, 6},
    {Effect::BlindsRightLeft, u"水平百叶(右左)", 19, 7},
    {Effect::BlindsTopBottom, u"垂直百叶(上下)", 20, 8},
    {Effect::BlindsBottomTop, u"垂直百叶(下上)", 21, 9},
    {Effect::OpenLeftRight, u"左右对开", 22, 10},
    {Effect::OpenTopBottom, u"上下对开", 23, 11},
    {Effect::CloseLeftRight, u"左右闭合", 24, 12},
    {Effect::CloseTopBottom, u"上下闭合", 25, 13},
    {Effect::MoveUp, u"上移", 26, 14},
    {Effect::MoveDown, u"下移", 27, 15},
    {Effect::MoveLeft, u"左移", 28, 16},
    {Effect::MoveRight, u"右移", 29, 17},
    {Effect::ScrollUp, u"连续上移", 30, 18},
    {Effect::ScrollDown, u"连续下移", 31, 19},
    {Effect::ScrollLeft, u"连续左移", 32, 20},
    {Effect::ScrollRight, u"连续右移", 33, 21},
    {Effect::RectangleOut, u"中间向四周（矩形）", 34, -1},
    {Effect::RectangleIn, u"四周向中间（矩形）", 35, -1},
    {Effect::DiamondOut, u"中间向四周（菱形）", 36, -1},
    {Effect::DiamondIn, u"四周向中间（菱形）", 37, -1},
    {Effect::CrossOut, u"中间向四周（十字）", 38, -1},
    {Effect::CrossIn, u"四周向中间（十字）", 39, -1},
    {Effect::FlyInLeft, u"向左飞入", 40, -1},
    {Effect::FlyInRight, u"向右飞入", 41, -1},
}};

using Column = int EffectRow::*;

constexpr int ListSize(Column column)
{
    int size = 0;
    for (const EffectRow &row : kEffects)
        size += row.*column >= 0 ? 1 : 0;
    return size;
}

// Every position of a list is taken by exactly one effect.
constexpr bool IsPermutation(Column column)
{
    const int size = ListSize(column);
    for (int position = 0; position < size; ++position) {
        int holders = 0;
        for (const EffectRow &row : kEffects)
            holders += row.*column == position ? 1 : 0;
        if (holders != 1)
            return false;
    }
    return true;
}

// Rows in the enumeration's order, which is the "Normal" list's.
constexpr bool FollowsEnumeration()
{
    for (int i = 0; i < kEffectCount; ++i) {
        if (kEffects[size_t(i)].effect != Effect(i) || kEffects[size_t(i)].normal != i)
            return false;
    }
    return true;
}

static_assert(FollowsEnumeration());
static_assert(ListSize(&EffectRow::normal) == 42 && IsPermutation(&EffectRow::normal));
static_assert(ListSize(&EffectRow::zpKq) == 22 && IsPermutation(&EffectRow::zpKq));

QStringList BuildList(Column column)
{
    QStringList list(ListSize(column));
    for (const EffectRow &row : kEffects) {
        const int position = row.*column;
        if (position >= 0)
            list[position] = QString::number(position + 1) + QLatin1Char('.') + QString::fromUtf16(row.name);
    }
    return list;
}

const QStringList &NormalEffects()
{
    static const QStringList list = BuildList(&EffectRow::normal);
    return list;
}

const QStringList &ZpKqEffects()
{
    static const QStringList list = BuildList(&EffectRow::zpKq);
    return list;
}

std::optional<Effect> Find(Column column, int position)
{
    if (position < 0)
        return std::nullopt;
    for (const EffectRow &row : kEffects) {
        if (row.*column == position)
            return row.effect;
    }
    return std::nullopt;
}

} // namespace

std::optional<QStringList> EffectList(const QString &cardType)
{
    if (cardType == kCardNormal)
        return NormalEffects();
    if (cardType == kCardZpKq)
        return ZpKqEffects();
    return std::nullopt;
}

std::optional<Effect> StoredEffect(const QString &cardType, int storedIndex)
{
    if (cardType == kCardZpKq) {
        if (const auto effect = Find(&EffectRow::zpKq, storedIndex))
            return effect;
    }
    return Find(&EffectRow::normal, storedIndex);
}

} // namespace pelvoro
