// Documents that must not be read: devices, FIFOs, directories and oversized files are refused by
// name before anything is read; regular files up to the limit and missing files pass.
#include "base/input_file_limits.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <sys/stat.h>

namespace pelvoro {
namespace {

TEST(InputFileLimitsTest, OnlyRegularFilesUpToTheLimitAreRead)
{
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    auto path = [&](const char *name) { return QDir(dir.path()).filePath(QString::fromLatin1(name)); };
    ASSERT_EQ(::mkfifo(QFile::encodeName(path("fifo.rtf")).constData(), 0600), 0);
    ASSERT_TRUE(QDir(dir.path()).mkdir(QStringLiteral("folder.rtf")));
    // Sparse files: their size counts, not the disk they take.
    for (const auto &[name, size] : {std::pair{"limit.rtf", kMaxDocumentBytes}, {"over.rtf", kMaxDocumentBytes + 1}}) {
        QFile file(path(name));
        ASSERT_TRUE(file.open(QIODevice::WriteOnly) && file.resize(size));
    }
    ASSERT_TRUE(QFile::link(path("over.rtf"), path("link-to-over.rtf")));

    const struct {
        QString path;
        const char *refusal; // the message's ending, or nullptr when the file may be read
    } cases[] = {
        {QStringLiteral("/dev/zero"), "不是普通文件，不能转换"},
        {path("fifo.rtf"), "不是普通文件，不能转换"},
        {path("folder.rtf"), "不是普通文件，不能转换"},
        {path("over.rtf"), "太大（65 MB），不能转换：文件不能超过64 MB"},
        {path("link-to-over.rtf"), "太大（65 MB），不能转换：文件不能超过64 MB"},
        {path("limit.rtf"), nullptr},
        {path("missing.rtf"), nullptr},
    };
    for (const auto &c : cases) {
        const QString refusal = DocumentFileRefusal(c.path);
        if (!c.refusal) {
            EXPECT_TRUE(refusal.isEmpty()) << c.path.toStdString() << ": " << refusal.toStdString();
            continue;
        }
        EXPECT_EQ(refusal, c.path + QString::fromUtf8(c.refusal));
    }
}

} // namespace
} // namespace pelvoro
