#include "base/gbk.h"

#include <gtest/gtest.h>

namespace pelvoro {
namespace {

TEST(Gbk, DecodesAndEncodesAtTheEdgeWithoutLosingDamage)
{
    const struct {
        QByteArray bytes;
        QString text;
    } cases[] = {
        {QByteArray("\xD6\xF7\xC7\xF8"), QStringLiteral("主区")},
        {QByteArray("A\xD6\xF7"), QStringLiteral("A主")},
        {QByteArray("A\xD6"), QStringLiteral("A\uFFFD")}, // lead byte cut off at the end
        {QByteArray(), QString()},
    };
    for (const auto &c : cases)
        EXPECT_EQ(FromGbk(c.bytes), c.text) << c.bytes.toHex().constData();
    EXPECT_EQ(ToGbk(QStringLiteral("号屏参数")), QByteArray("\xBA\xC5\xC6\xC1\xB2\xCE\xCA\xFD"));
    EXPECT_EQ(GbkLength(QStringLiteral("a主区")), 5);
}

TEST(Gbk, NamesEachCharacterItCannotHoldOnce)
{
    const struct {
        QString text;
        QString lost;
    } cases[] = {
        {QStringLiteral(" 大厅 café 1号 "), QString()},
        {QStringLiteral("大厅😀한😀"), QStringLiteral("😀 한")}, // an emoji is two UTF-16 units, named whole
        {QString(), QString()},
    };
    for (const auto &c : cases)
        EXPECT_EQ(CharactersGbkCannotHold(c.text), c.lost) << c.text.toStdString();
}

TEST(Gbk, TextFilesAreUtf8WhenMarkedOrValidAndGbkOtherwise)
{
    const QByteArray gbk = ToGbk(QStringLiteral("欢迎光临"));
    const QByteArray utf8 = QStringLiteral("欢迎光临").toUtf8();
    const struct {
        QByteArray bytes;
        QString text;
    } cases[] = {
        {utf8, QStringLiteral("欢迎光临")},
        {"\xEF\xBB\xBF" + utf8, QStringLiteral("欢迎光临")},             // the mark is dropped
        {"\xEF\xBB\xBF" + QByteArray("ab"), QStringLiteral("ab")},       // marked ASCII
        {gbk, QStringLiteral("欢迎光临")},                                 // GBK is not valid UTF-8
        {"a\r\nb", QStringLiteral("a\r\nb")},                           // ASCII reads the same either way
        {utf8.chopped(1), FromGbk(utf8.chopped(1))},                      // a sequence cut off at the end
        {QByteArray("\xC0\xAF"), FromGbk(QByteArray("\xC0\xAF"))}, // overlong: not UTF-8
        {QByteArray(), QString()},
    };
    for (const auto &c : cases)
        EXPECT_EQ(DecodeTextFile(c.bytes), c.text) << c.bytes.toHex().constData();
}

} // namespace
} // namespace pelvoro
