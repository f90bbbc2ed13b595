#pragma once

#include "base/shipped_files.h"
#include "comm/maintenance.h"

#include <QString>
#include <QStringList>

// The outdoor wiring configurations: the controller family has a fixed set of LED board wirings,
// picked by scan mode and data route. For each the controller maker supplies a configuration file
// and the station shows a picture, both named after the choice and shipped with the program (found
// as base/shipped_files says). The dialog ("配置户外参数") and the command-line tool share these rules.
namespace pelvoro {

// "1/8", "1/4", "1/2", "静态": the scan mode index s is the position in this list.
QStringList OutdoorScanModes();
inline constexpr int kOutdoorScanModeCount = 4;
// The data routes offered for scan mode s (empty for "1/2" and for an s out of range).
QStringList OutdoorRoutes(int scanMode);

// "TavrelPic" + s + v, v the route's index in its list or -1 when none is chosen ("TavrelPic2-1").
QString OutdoorChoiceName(int scanMode, int route);
QString OutdoorConfigFile(int scanMode, int route);  // the name + ".config"
QString OutdoorPictureFile(int scanMode, int route); // the name + ".jpg"
// Shown when the current choice has no picture or no configuration file.
inline const QString kOutdoorNoPicture = QStringLiteral("no.jpg");

// What the dialog shows for a choice, its files looked up in `dirs` in turn.
struct OutdoorChoiceView {
    // The picture file to show, by name and where it was found; empty: keep the one shown.
    QString picture;
    QString picturePath;
    // "配置参数": only when both the choice's picture and its configuration file exist.
    bool canConfigure = false;
};
OutdoorChoiceView ViewOutdoorChoice(int scanMode, int route, const QStringList &dirs = ShippedFileDirs());

// "配置参数" for a choice: the configuration file read for a 0xCC frame of sub-kind 1. A missing file
// gives the message box text `missing` instead of a request.
struct OutdoorSend {
    DownloadSend download;
    QString missing;
};
OutdoorSend PrepareOutdoorSend(int screenIndex, int scanMode, int route,
                               const QStringList &dirs = ShippedFileDirs());

} // namespace pelvoro
