// Laying a paragraph out one line at a time gives the lines of laying it out whole.
#include "pages/line_wrap.h"
#include "pages/rich_layout.h"

#include <QFont>

#include <gtest/gtest.h>

namespace pelvoro {
namespace {

QString Repeat(const QString &piece, int units)
{
    QString text;
    while (text.size() < units)
        text += piece;
    text.truncate(units);
    return text;
}

TEST(LineWrapTest, WindowedLinesAreTheWholeParagraphsLines)
{
    // Many windows of a few hundred units each, yet under the 4096 units at which the engine itself
    // cuts a whole paragraph into items (where it may treat a run of blanks differently).
    constexpr int kUnits = 4000;
    CharFormat format;
    const QFont font = RichLayout::FontFor(format);
    // Plain and bold halves: the window carries the formats over its cuts.
    auto halves = [](int size) {
        QTextLayout::FormatRange bold;
        bold.start = size / 2;
        bold.length = size - size / 2;
        QFont heavy = RichLayout::FontFor(CharFormat{});
        heavy.setBold(true);
        bold.format.setFont(heavy);
        return QList<QTextLayout::FormatRange>{bold};
    };
    const struct {
        const char *name;
        QString text;
    } texts[] = {
        {"words", Repeat(QStringLiteral("the quick brown fox jumps over a lazy dog "), kUnits)},
        {"one long token", QString(kUnits, u'a')},
        {"tokens longer than a line between words",
         Repeat(QStringLiteral("go ") + QString(700, u'x') + QStringLiteral(" and "), kUnits)},
        {"Chinese and Latin", Repeat(QStringLiteral("欢迎光临本店 Welcome 今日特价商品一律八折 "), kUnits)},
        {"runs of blanks", Repeat(QStringLiteral("a     bb          ccc "), kUnits)},
    };
    for (const auto &t : texts) {
        for (int width : {16, 100, 256, 1000}) {
            SCOPED_TRACE(std::string(t.name) + " at " + std::to_string(width));
            const auto formats = halves(int(t.text.size()));
            const std::vector<WrappedLine> whole = WrapParagraph(t.text, formats, font, width, WrapStrategy::Whole);
            const std::vector<WrappedLine> windowed =
                WrapParagraph(t.text, formats, font, width, WrapStrategy::Windowed);
            ASSERT_EQ(windowed.size(), whole.size());
            for (size_t i = 0; i < whole.size(); ++i) {
                ASSERT_EQ(windowed[i].first, whole[i].first) << "line " << i;
                ASSERT_EQ(windowed[i].count, whole[i].count) << "line " << i;
            }
        }
    }
}

} // namespace
} // namespace pelvoro
