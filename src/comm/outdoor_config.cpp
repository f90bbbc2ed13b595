#include "comm/outdoor_config.h"

#include "base/app_dir.h"
#include "comm/frame_layout.h"

#include <QFile>

namespace pelvoro {

QStringList OutdoorScanModes()
{
    return {QStringLiteral("1/8"), QStringLiteral("1/4"), QStringLiteral("1/2"), QStringLiteral("静态")};
}

QStringList OutdoorRoutes(int scanMode)
{
    switch (scanMode) {
    case 0:
        return {QStringLiteral("1.直行走线,一路数据带8行,可驱动128行"),
                QStringLiteral("2.一路数据带16行,16列折行,可驱动256行")};
    case 1:
        return {QStringLiteral("1.直行走线,一路数据带4行,可驱动64行"),
                QStringLiteral("2.直行走线行译码输出,其他同直行走线"),
                QStringLiteral("3.上蛇行,一路数据带8行,8列折行"),
                QStringLiteral("4.下蛇行,一路数据带8行,8列折行"),
                QStringLiteral("5.上蛇行,一路数据带16行,8列折行"),
                QStringLiteral("6.下蛇行,一路数据带16行,8列折行"),
                QStringLiteral("7.下蛇行,一路数据带16行,16列折行"),
                QStringLiteral("8.下蛇行,一路数据带16行,4列折行")};
    case 3:
        return {QStringLiteral("1.静态,上数据进带8行"), QStringLiteral("2.静态,上数据进带16行"),
                QStringLiteral("3.静态,下数据进带16行")};
    default:
        return {};
    }
}

QString OutdoorChoiceName(int scanMode, int route)
{
    return QStringLiteral("TavrelPic") + QString::number(scanMode) + QString::number(route);
}

QString OutdoorConfigFile(int scanMode, int route)
{
    return OutdoorChoiceName(scanMode, route) + QStringLiteral(".config");
}

QString OutdoorPictureFile(int scanMode, int route)
{
    return OutdoorChoiceName(scanMode, route) + QStringLiteral(".jpg");
}

OutdoorChoiceView ViewOutdoorChoice(int scanMode, int route, const QStringList &dirs)
{
    OutdoorChoiceView view;
    const QString picture = OutdoorPictureFile(scanMode, route);
    const QString picturePath = FindShippedFile(picture, dirs);
    if (!picturePath.isEmpty() && !FindShippedFile(OutdoorConfigFile(scanMode, route), dirs).isEmpty()) {
        view.picture = picture;
        view.picturePath = picturePath;
        view.canConfigure = true;
    } else if (const QString none = FindShippedFile(kOutdoorNoPicture, dirs); !none.isEmpty()) {
        view.picture = kOutdoorNoPicture;
        view.picturePath = none;
    }
    return view;
}

OutdoorSend PrepareOutdoorSend(int screenIndex, int scanMode, int route, const QStringList &dirs)
{
    OutdoorSend send;
    const QString path = FindShippedFile(OutdoorConfigFile(scanMode, route), dirs);
    if (path.isEmpty()) {
        send.missing = QStringLiteral("配置文件已被损坏，请卸载已有软件后重新安装最新软件!");
        return send;
    }
    send.download = PrepareFileDownload(screenIndex, kFileKindOutdoor, path);
    return send;
}

} // namespace pelvoro
