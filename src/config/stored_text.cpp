#include "config/stored_text.h"

#include "base/gbk.h"

#include <QStringList>

namespace pelvoro {

QString StoredTextRefusal(const QString &label, const QString &text)
{
    QStringList lost;
    if (const QString characters = CharactersGbkCannotHold(text); !characters.isEmpty())
        lost << characters;
    if (text.contains(QLatin1Char('\n')) || text.contains(QLatin1Char('\r')))
        lost << QStringLiteral("换行");
    if (lost.isEmpty())
        return {};
    return label + QStringLiteral("中有不能保存的字符：") + lost.join(QLatin1Char(' '));
}

} // namespace pelvoro
