#pragma once

#include "base/app_dir.h"

#include <QByteArray>
#include <QDir>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace pelvoro::test {

// A fresh application directory for each test, entered as the station enters it.
class AppDirTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(dir_.isValid());
        SetAppDir(dir_.path());
        ASSERT_TRUE(EnterAppDir());
    }
    void TearDown() override { SetAppDir(QString()); }

    QString Path(const QString &name) const { return QDir(dir_.path()).filePath(name); }
    QString ConfigPath() const { return Path(QStringLiteral("SysConfig.ini")); }
    // Writes raw bytes; pass GBK from Gbk() for Chinese text.
    void WriteFile(const QString &name, const QByteArray &bytes) const;
    QByteArray ReadFile(const QString &name) const;
    bool Exists(const QString &name) const { return QFile::exists(Path(name)); }
    // Every entry of the directory, hidden ones included, by name: shows a temporary file left behind.
    QStringList DirEntries() const
    {
        return QDir(dir_.path()).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot, QDir::Name);
    }

    QTemporaryDir dir_;
};

// UTF-8 source text to GBK bytes.
QByteArray Gbk(const char *utf8);

} // namespace pelvoro::test
