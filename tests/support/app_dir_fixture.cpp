#include "support/app_dir_fixture.h"

#include "base/gbk.h"

#include <QFile>

namespace pelvoro::test {

void AppDirTest::WriteFile(const QString &name, const QByteArray &bytes) const
{
    QFile file(Path(name));
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    ASSERT_EQ(file.write(bytes), bytes.size());
}

QByteArray AppDirTest::ReadFile(const QString &name) const
{
    QFile file(Path(name));
    if (!file.open(QIODevice::ReadOnly))
        return {};
    return file.readAll();
}

QByteArray Gbk(const char *utf8)
{
    return ToGbk(QString::fromUtf8(utf8));
}

} // namespace pelvoro::test
