#include "editors/table/column_names.h"

namespace pelvoro {

namespace {
constexpr int kLetters = 26;
constexpr int kLastTwoLetterIndex = 255;
} // namespace

QString ColumnName(int col)
{
    const int k = col - 1;
    if (k < 0 || k > kLastTwoLetterIndex)
        return {};
    if (k < kLetters)
        return QString(QChar(u'A' + k));
    return QString(QChar(u'@' + k / kLetters)) + QChar(u'A' + k % kLetters);
}

int ColumnFromName(const QString &name)
{
    const QString upper = name.toUpper();
    for (int col = 1; col <= kLastTwoLetterIndex + 1; ++col) {
        if (ColumnName(col) == upper)
            return col;
    }
    return 0;
}

} // namespace pelvoro
