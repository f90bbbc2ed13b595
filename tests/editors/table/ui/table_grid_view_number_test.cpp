#include "editors/table/number_input_rules.h"

#include <gtest/gtest.h>

namespace pelvoro {
namespace {

struct NumberCase {
    const char *text;
    int intLength;
    int decLength;
    bool allowNegative;
    int maxLength;
    bool accepted;
    const char *shown; // the editor's text when accepted
};

class NumberInputTest : public ::testing::TestWithParam<NumberCase> {};

TEST_P(NumberInputTest, AcceptsOnlyWhatTheCellCanHold)
{
    const NumberCase &c = GetParam();
    const NumberInputCheck check =
        CheckNumberInput(QString::fromUtf8(c.text), {c.maxLength, c.intLength, c.decLength, c.allowNegative});
    EXPECT_EQ(check.Accepted, c.accepted) << c.text;
    if (c.accepted) {
        EXPECT_EQ(check.Text, QString::fromUtf8(c.shown)) << c.text;
    }
}

INSTANTIATE_TEST_SUITE_P(
    Rules, NumberInputTest,
    ::testing::Values(
        // Three integer and two decimal digits, negatives allowed: -12.34 typed key by key.
        NumberCase{"-", 3, 2, true, 255, true, "-"}, NumberCase{"-1", 3, 2, true, 255, true, "-1"},
        NumberCase{"-12.", 3, 2, true, 255, true, "-12."}, NumberCase{"-12.34", 3, 2, true, 255, true, "-12.34"},
        NumberCase{"1234", 3, 2, true, 255, false, ""}, NumberCase{"12.345", 3, 2, true, 255, false, ""},
        NumberCase{"123.4", 3, 2, true, 255, true, "123.4"}, NumberCase{"00", 3, 2, true, 255, false, ""},
        NumberCase{"-00", 3, 2, true, 255, false, ""}, NumberCase{"1.2.", 3, 2, true, 255, false, ""},
        NumberCase{"1.-2", 3, 2, true, 255, false, ""}, NumberCase{"1-", 3, 2, true, 255, false, ""},
        NumberCase{"12a", 3, 2, true, 255, false, ""}, NumberCase{"-1", 3, 2, false, 255, false, ""},
        NumberCase{"12.3", 3, 2, true, 3, false, ""},
        // A leading point gets its zero, after the sign.
        NumberCase{".", 3, 2, true, 255, true, "0."}, NumberCase{"-.", 3, 2, true, 255, true, "-0."},
        NumberCase{".5", 3, 2, true, 255, true, "0.5"},
        // Whole numbers: no point, digits limited by the length only without negatives.
        NumberCase{".", 3, 0, false, 255, false, ""}, NumberCase{"1234567", 3, 0, false, 255, true, "1234567"},
        NumberCase{"1234567", 3, 0, false, 5, false, ""}, NumberCase{"-1234", 3, 0, true, 255, true, "-1234"},
        NumberCase{"-12345", 3, 0, true, 255, false, ""}, NumberCase{"1-2", 3, 0, true, 255, false, ""},
        NumberCase{"007", 3, 0, false, 255, false, ""}));

} // namespace
} // namespace pelvoro
