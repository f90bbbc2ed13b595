#pragma once

#include "config/screen_info.h"

#include <QString>

#include <optional>

// The display areas a screen carries in its four slots, and the rules that add and remove them.
namespace pelvoro {

enum class AreaKind { Main, FixedClock, PictureClock, FixedTemperature, PictureTemperature, SmallTitle, BigTitle };
enum class AreaCategory { Main, Clock, Temperature, Title };

QString AreaKindText(AreaKind kind);
std::optional<AreaKind> AreaKindFromText(const QString &text);
AreaCategory CategoryOf(AreaKind kind);
// Image index of the kind's node in the programme tree.
int AreaTreeImage(AreaKind kind);

bool HasClock(const ScreenInfo &s);
bool HasTemperature(const ScreenInfo &s);
bool HasMain(const ScreenInfo &s);
bool HasTitle(const ScreenInfo &s);
bool HasFixedBand(const ScreenInfo &s);

// Area presence bits carried in data files and frames: bit 0 clock, 1 temperature, 2 main,
// 3 subtitle.
quint8 AreaFlags(const ScreenInfo &s);

struct AreaRefusal {
    QString message;
    bool warningBox = false; // the main area's refusal is a warning box, the others plain boxes
};

// The rows a main area can have beside the screen's other areas: from kMinMainHeight up to the
// height less the fixed band and the subtitle strip. Why `s.MainHeight` is outside them, for a tool
// that sets it directly; nullopt when it is within (or the screen has no main area).
inline constexpr int kMinMainHeight = 16;
std::optional<QString> MainHeightViolation(const ScreenInfo &s);

// The height check of adding `kind`; nullopt when it passes.
std::optional<AreaRefusal> CheckAreaHeight(const ScreenInfo &s, AreaKind kind);

enum class AddAreaOutcome { Refused, AlreadyPresent, Added };

// Puts `kind` into the first free slot and adjusts the heights, when the height check passes and
// the screen has no area of that category yet. Only the record changes; the caller resets the
// screen's files and saves.
AddAreaOutcome AddAreaToScreen(ScreenInfo &s, AreaKind kind, AreaRefusal *refusal = nullptr);

// Takes the area of `kind`'s category off the screen: slots close up and rows go back to the main
// area as the kind requires. Returns false, changing nothing, when no slot holds `kind` itself.
bool RemoveAreaFromScreen(ScreenInfo &s, AreaKind kind);

// Empties the slots holding any of `kinds`, moving later slots up, in one pass over the slots.
void RemoveKindsFromSlots(ScreenInfo &s, std::initializer_list<AreaKind> kinds);

// The enabled states of the add-area menu's sub-items. They start enabled and follow the
// selections made in the menu, as window state.
struct AddAreaMenuState {
    bool fixedEnabled = true;   // "固定显示" of both the clock and the temperature menu
    bool pictureEnabled = true; // "贴图显示" of both menus
    bool smallTitleEnabled = true;
    bool bigTitleEnabled = true;

    // When the clock or temperature menu opens.
    void OnClockOrTemperatureMenu(const ScreenInfo &s);
    // When the subtitle menu opens.
    void OnTitleMenu(const ScreenInfo &s);
    // After a kind was chosen and passed its height check.
    void OnChosen(AreaKind kind);
    // After the last clock or temperature of a screen was removed.
    void OnClockAndTemperatureGone();

    // Opens the sub-menu that offers `kind` (nothing for "添加主区", which has none).
    void OnMenuOf(AreaKind kind, const ScreenInfo &s);
    // Whether the item that adds `kind` can be chosen; "添加主区" always can.
    bool Enabled(AreaKind kind) const;
};

} // namespace pelvoro
