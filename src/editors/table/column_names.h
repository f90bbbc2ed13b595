#pragma once

#include <QString>

namespace pelvoro {

// The name shown in the title row over column `col` (>= 1): "A" … "Z", "AA" … "IV"; empty for
// column 0 and for columns past the 256th name.
QString ColumnName(int col);

// The column a name stands for ("A" is 1, "AA" is 27, lower case accepted); 0 when `name` is no
// column name.
int ColumnFromName(const QString &name);

} // namespace pelvoro
