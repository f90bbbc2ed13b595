#pragma once

#include "config/screen_info.h"

#include <QString>
#include <QStringList>

#include <array>
#include <optional>

// The rules of the screen settings dialog that are not widgets: what each controller type allows,
// the joint size limit, the labels, the DIP switches and how a typed serial port becomes a number.
// The command-line tool checks the values it sets against the same rules.
namespace pelvoro {

struct CardLimits {
    int baudCount = 4; // BaudIndex 0..baudCount-1
    int minWidth = 32;
    int maxWidth = 4096;
    int minHeight = 16;
    int maxHeight = 512;
    int kiloPixels = 512;         // what the controller can drive, for the pixel label
    bool mirrorSelectable = false; // "数据镜像" can be chosen
};

// The limits of "Normal" or "ZP-KQ/TQ"; nullopt for any other card type, which marks a damaged file.
std::optional<CardLimits> LimitsOfCard(const QString &cardType);
// What the dialog shows for a damaged card type: the "Normal" limits with the first three rates only.
CardLimits DamagedCardLimits();

// The baud list of a card: "9600", "28800", "57600", "115200" cut to `limits.baudCount`.
QStringList BaudRateNames(const CardLimits &limits);

// Width and height may not both go above these.
inline constexpr int kJointMaxWidth = 1024;
inline constexpr int kJointMaxHeight = 256;
inline constexpr int kSizeStep = 16; // the spin fields move in steps of this

enum class SizeChange { Width, Height };
// After the operator changed one dimension: when both are above the joint limit, the other one is
// brought down to it. Returns true when it changed the other dimension.
bool ApplyJointLimit(int &width, int &height, SizeChange changed);

QString PixelLimitLabel(const CardLimits &limits);  // "最大控制点数：512K象素点"
QString MaxPagesLabel(const ScreenInfo &screen);     // "最大存储页数：176页"
QString CurrentPixelsLabel(const ScreenInfo &screen); // "当前显示象素：32K"

// The eight DIP switches a controller is set to for screen `index`: P0..P5 carry bits 0..5 of the
// index, B0 and B1 the baud rate (B0 for 28800 and 115200, B1 for 57600 and 115200).
inline constexpr int kDipSwitchCount = 8;
using DipSwitches = std::array<bool, kDipSwitchCount>;
DipSwitches DipSwitchesOf(int index, int baudIndex);
QString DipSwitchName(int i); // "P0".."P5", "B0", "B1"

// The port number of a serial port text as the operator types or picks it ("COM3" gives 3):
// characters other than digits and "." are dropped and the rest must be a port number. Returns
// nullopt with the operator's message otherwise.
std::optional<int> ParseComPortText(const QString &text, QString *error);

// Stored pages are drawn for a screen's size, colour depth and controller; they do not fit a
// screen where one of these differs.
bool PagesStillFit(const ScreenInfo &before, const ScreenInfo &after);

// The values the dialog would not let through, for a tool that sets fields directly: the size
// against the card's range and the joint limit (when `sizeGiven`), the baud index against the
// card's list (when `baudGiven`). Returns the reason, or nullopt when the screen is acceptable.
std::optional<QString> CardLimitViolation(const ScreenInfo &screen, bool sizeGiven, bool baudGiven);

} // namespace pelvoro
