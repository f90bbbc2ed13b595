#pragma once

#include <QString>

namespace pelvoro {

// Why `text` cannot be stored as the value of a key of SysConfig.ini, as a message about `label`
// ("公司名称中有不能保存的字符：😀"); empty when it is stored as it is. A value is one line of GBK: the
// file would keep '?' for a character GBK cannot hold and cut the value at a line break, so such a
// text is refused, never stored changed.
QString StoredTextRefusal(const QString &label, const QString &text);

} // namespace pelvoro
