#include "pages/effect_lists.h"

#include "config/screen_info.h"

namespace pelvoro {
namespace {

const QStringList &NormalEffects()
{
    static const QStringList list = {
        QStringLiteral("1.随机"),
        QStringLiteral("2.翻页"),
        QStringLiteral("3.左覆盖"),
        QStringLiteral("4.右覆盖"),
        QStringLiteral("5.上覆盖"),
        QStringLiteral("6.下覆盖"),
        QStringLiteral("7.左上角覆盖（斜线）"),
        QStringLiteral("8.右上角覆盖（斜线）"),
        QStringLiteral("9.左下角覆盖（斜线）"),
        QStringLiteral("10.右下角覆盖（斜线）"),
        QStringLiteral("11.左上角覆盖（直线）"),
        QStringLiteral("12.右上角覆盖（直线）"),
        QStringLiteral("13.左下角覆盖（直线）"),
        QStringLiteral("14.右下角覆盖（直线）"),
        QStringLiteral("15.左上角覆盖（边沿）"),
        QStringLiteral("16.右上角覆盖（边沿）"),
        QStringLiteral("17.左下角覆盖（边沿）"),
        QStringLiteral("18.右下角覆盖（边沿）"),
        QStringLiteral("19.水平百叶(左右)"),
        QStringLiteral("20.水平百叶(右左)"),
        QStringLiteral("21.垂直百叶(上下)"),
        QStringLiteral("22.垂直百叶(下上)"),
        QStringLiteral("23.左右对开"),
        QStringLiteral("24.上下对开"),
        QStringLiteral("25.左右闭合"),
        QStringLiteral("26.上下闭合"),
        QStringLiteral("27.上移"),
        QStringLiteral("28.下移"),
        QStringLiteral("29.左移"),
        QStringLiteral("30.右移"),
        QStringLiteral("31.连续上移"),
        QStringLiteral("32.连续下移"),
        QStringLiteral("33.连续左移"),
        QStringLiteral("34.连续右移"),
        QStringLiteral("35.中间向四周（矩形）"),
        QStringLiteral("36.四周向中间（矩形）"),
        QStringLiteral("37.中间向四周（菱形）"),
        QStringLiteral("38.四周向中间（菱形）"),
        QStringLiteral("39.中间向四周（十字）"),
        QStringLiteral("40.四周向中间（十字）"),
        QStringLiteral("41.向左飞入"),
        QStringLiteral("42.向右飞入"),
    };
    return list;
}

const QStringList &ZpKqEffects()
{
    static const QStringList list = {
        QStringLiteral("1.随机"),
        QStringLiteral("2.翻页"),
        QStringLiteral("3.左覆盖"),
        QStringLiteral("4.右覆盖"),
        QStringLiteral("5.上覆盖"),
        QStringLiteral("6.下覆盖"),
        QStringLiteral("7.水平百叶(左右)"),
        QStringLiteral("8.水平百叶(右左)"),
        QStringLiteral("9.垂直百叶(上下)"),
        QStringLiteral("10.垂直百叶(下上)"),
        QStringLiteral("11.左右对开"),
        QStringLiteral("12.上下对开"),
        QStringLiteral("13.左右闭合"),
        QStringLiteral("14.上下闭合"),
        QStringLiteral("15.上移"),
        QStringLiteral("16.下移"),
        QStringLiteral("17.左移"),
        QStringLiteral("18.右移"),
        QStringLiteral("19.连续上移"),
        QStringLiteral("20.连续下移"),
        QStringLiteral("21.连续左移"),
        QStringLiteral("22.连续右移"),
    };
    return list;
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

} // namespace pelvoro
