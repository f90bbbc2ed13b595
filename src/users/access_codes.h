#pragma once

#include <QString>

namespace pelvoro {

// The station's fixed codes, built in and not configurable. They live here and nowhere else.
inline const QString kSettingsCode = QStringLiteral("368");      // "设置屏参" without login
inline const QString kOutdoorCode = QStringLiteral("591");       // "户外配置" without login
inline const QString kIdentityCode = QStringLiteral("7305");     // the identity editor
inline const QString kIdentityWord = QStringLiteral("vorown");   // the identity editor as well
inline const QString kChangeLogWord = QStringLiteral("vorlog");  // the change log and "加载FPGA"
inline const QString kMasterCode = QStringLiteral("882406");     // administrator in place of its password

// What the menu command wants the access-code dialog to unlock.
enum class AccessPurpose { Setting, Config };

// What a typed code unlocks; the checks run in this order.
enum class AccessOutcome { Settings, Identity, ChangeLog, Outdoor, Wrong };

AccessOutcome CheckAccessCode(const QString &typed, AccessPurpose purpose);

// The messages of the access-code dialog's outcomes.
inline const QString kWrongPasswordText = QStringLiteral("输入密码错误！ ");
inline const QString kIdentityVersionText = QStringLiteral("软件版本: V2.3  软件升级日期: 2006-07-14 ");
inline const QString kChangeLogText = QStringLiteral(
    "2006-01-16 增加网络数据发送,2006-1-18 增加用户管理,2006-03-13 增加定时播放,2006-04-11 增加位图编辑,"
    "2006-07-14 增加选择发送");
inline const QString kOutdoorWarningText = QStringLiteral("请确定你的控制卡是户外卡,否则不能加载成功！ ");

} // namespace pelvoro
