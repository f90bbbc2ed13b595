#pragma once

#include <QString>

namespace pelvoro {

// Word documents become rich text beside them: the same folder and name with ".rtf" in place of
// the name's last four characters. The conversion runs the installed office suite headless and is
// stopped when it takes longer than `timeoutMs`.
struct WordConversion {
    enum class Outcome { Converted, NotInstalled, Failed, TimedOut };
    Outcome outcome = Outcome::Failed;
    QString rtfPath;
    QString message; // for the operator when not converted
};

QString RtfPathFor(const QString &docPath);
WordConversion WordToRtf(const QString &docPath, int timeoutMs = 120000);

// The system's message when no converter is installed.
inline const QString kWordNotInstalledMessage = QStringLiteral("没有安装Microsoft Office Word 2000,请先安装再使用！");

} // namespace pelvoro
