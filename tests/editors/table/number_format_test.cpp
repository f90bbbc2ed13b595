// Number, date and time formatting of typed cells.
#include "editors/table/date_time_format.h"
#include "editors/table/number_format.h"

#include <QLocale>

#include <gtest/gtest.h>

#include <clocale>

namespace pelvoro {
namespace {

struct NumberCase {
    const char *input;
    NumberFormat format;
    const char *expected; // nullptr: not a number
};

constexpr NumberFormat kPlain{3, 2, false, false, false};
constexpr NumberFormat kGrouped{3, 2, true, false, false};
constexpr NumberFormat kTrailing{3, 2, false, false, true};
constexpr NumberFormat kZeroNull{3, 2, false, true, false};

const NumberCase kNumberCases[] = {
    {"1234.5", kGrouped, "1,234.5"},
    {"1234.5", kTrailing, "1234.50"},
    {"1234.5", {3, 2, true, false, true}, "1,234.50"},
    {"0", kPlain, ""},
    {"0.", kPlain, ""},
    {"-", kPlain, ""},
    {"", kPlain, ""},
    {"   ", kPlain, ""},
    {"0.0", kPlain, "0"},
    {"0.0", kZeroNull, ""},
    {"0.001", kZeroNull, "0"},   // not zero: formatted, rounds to 0
    {"-0.001", kPlain, "0"},     // no sign in front of a zero
    {"1,2,3,4", kPlain, "1234"}, // separators are dropped wherever they stand
    {" 12.346 ", kPlain, "12.35"},
    {"-1234567.891", kGrouped, "-1,234,567.89"},
    {"999", {3, 0, true, false, false}, "999"},
    {"1000", {3, 0, true, false, true}, "1,000"},
    {"2.5", {3, 0, false, false, false}, "3"}, // a tie rounds away from zero
    {"12.30", {1, 4, false, false, false}, "12.3"},
    {"100", {1, 2, false, false, false}, "100"}, // the trailing zeros of the integer part stay
    {"1e3", kPlain, "1000"},
    {".5", kPlain, "0.5"},
    {"+7", kPlain, "7"},
    {"12a", kPlain, nullptr},
    {"1.2.3", kPlain, nullptr},
    {"--1", kPlain, nullptr},
    {"inf", kPlain, nullptr},
    {"nan", kPlain, nullptr},
    {"0x10", kPlain, nullptr},
    {"1e999", kPlain, nullptr},
    {"１２", kPlain, nullptr}, // full-width digits are no number
};

TEST(NumberFormatTest, FormatsAsTheCellAsks)
{
    for (const NumberCase &c : kNumberCases) {
        const auto result = FormatNumberText(QString::fromUtf8(c.input), c.format);
        if (c.expected == nullptr) {
            EXPECT_FALSE(result.has_value()) << c.input << " gave " << result->toStdString();
        } else
            EXPECT_EQ(result.value_or(QStringLiteral("<none>")), QString::fromUtf8(c.expected)) << c.input;
    }
}

TEST(NumberFormatTest, TheProcessLocaleChangesNothing)
{
    // A locale with "," as its decimal point and "." between thousands.
    const QLocale before;
    QLocale::setDefault(QLocale(QLocale::German, QLocale::Germany));
    std::setlocale(LC_ALL, "de_DE.UTF-8"); // where installed
    const auto grouped = FormatNumberText(QStringLiteral("1234.5"), kGrouped);
    const auto read = FormatNumberText(QStringLiteral("1,234.5"), kTrailing);
    std::setlocale(LC_ALL, "C");
    QLocale::setDefault(before);
    EXPECT_EQ(grouped.value_or(QString()), QStringLiteral("1,234.5"));
    EXPECT_EQ(read.value_or(QString()), QStringLiteral("1234.50"));
}

TEST(DateTimeFormatTest, DatesAndTimesAreRewrittenOrRefused)
{
    const QList<std::pair<const char *, const char *>> dates = {
        {"2024/3/5", "2024-03-05"},   {"2024-03-05", "2024-03-05"}, {"2024.12.31", "2024-12-31"},
        {"2024/ 3/ 5", "2024-03-05"}, {"24/3/5", "2024-03-05"},     {"2024/02/29", "2024-02-29"},
        {"    /  /  ", ""},           {"2023/02/29", nullptr},      {"2024/13/1", nullptr},
        {"2024/3", nullptr},          {"2024/3/5/1", nullptr},      {"3/5/2024x", nullptr},
        {"0000/1/1", nullptr},        {"2024//5", nullptr},         {"abc", nullptr},
    };
    for (const auto &[input, expected] : dates) {
        const auto result = FormatDateText(QString::fromUtf8(input));
        EXPECT_EQ(result.has_value(), expected != nullptr) << input;
        if (expected && result) {
            EXPECT_EQ(*result, QString::fromUtf8(expected)) << input;
        }
    }
    const QList<std::pair<const char *, const char *>> times = {
        {"8:30", "08:30:00"}, {"00:00:01", "00:00:01"}, {"23:59:59", "23:59:59"}, {" 7: 5: 3", "07:05:03"},
        {"  :  :  ", ""},     {"24:00", nullptr},       {"12:60", nullptr},       {"12:00:60", nullptr},
        {"12", nullptr},      {"1:2:3:4", nullptr},     {"8.30", nullptr},
    };
    for (const auto &[input, expected] : times) {
        const auto result = FormatTimeText(QString::fromUtf8(input));
        EXPECT_EQ(result.has_value(), expected != nullptr) << input;
        if (expected && result) {
            EXPECT_EQ(*result, QString::fromUtf8(expected)) << input;
        }
    }
}

} // namespace
} // namespace pelvoro
