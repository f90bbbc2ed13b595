#pragma once

#include <QString>

#include <memory>

class QTemporaryDir;

namespace pelvoro {

// Word documents become rich text in the station's own temporary folder, never beside the document,
// where a file of the operator's of the same name may lie. The conversion runs the installed office
// suite headless and is stopped when it takes longer than `timeoutMs`.
struct WordConversion {
    enum class Outcome { Converted, NotInstalled, Failed, TimedOut };
    Outcome outcome = Outcome::Failed;
    QString rtfPath; // inside `folder`: valid while this result (or a copy of it) lives
    QString message; // for the operator when not converted
    std::shared_ptr<QTemporaryDir> folder;
};

WordConversion WordToRtf(const QString &docPath, int timeoutMs = 120000);

// The system's message when no converter is installed.
inline const QString kWordNotInstalledMessage = QStringLiteral("没有安装Microsoft Office Word 2000,请先安装再使用！");

} // namespace pelvoro
