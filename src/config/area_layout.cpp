#include "config/area_layout.h"

#include <algorithm>

namespace pelvoro {
namespace {

struct KindInfo {
    AreaKind kind;
    const char16_t *text;
    AreaCategory category;
    int treeImage;
};

const KindInfo kKinds[] = {
    {AreaKind::Main, u"主区", AreaCategory::Main, 1},
    {AreaKind::FixedClock, u"固定时钟", AreaCategory::Clock, 3},
    {AreaKind::PictureClock, u"贴图时钟", AreaCategory::Clock, 3},
    {AreaKind::FixedTemperature, u"固定温度", AreaCategory::Temperature, 2},
    {AreaKind::PictureTemperature, u"贴图温度", AreaCategory::Temperature, 2},
    {AreaKind::SmallTitle, u"小字幕", AreaCategory::Title, 4},
    {AreaKind::BigTitle, u"大字幕", AreaCategory::Title, 4},
};

const KindInfo &InfoOf(AreaKind kind)
{
    return kKinds[int(kind)];
}

bool SlotsHold(const ScreenInfo &s, std::initializer_list<AreaKind> kinds)
{
    for (const QString &slot : s.Areas) {
        for (AreaKind kind : kinds) {
            if (slot == AreaKindText(kind))
                return true;
        }
    }
    return false;
}

QString TooLowMessage(AreaKind kind)
{
    return QStringLiteral("显示屏高度不够添加") + AreaKindText(kind)
           + QStringLiteral(",请删除其他区域或加大显示屏高度设置后重新添加!");
}

bool HasCategory(const ScreenInfo &s, AreaCategory category)
{
    switch (category) {
    case AreaCategory::Main:
        return HasMain(s);
    case AreaCategory::Clock:
        return HasClock(s);
    case AreaCategory::Temperature:
        return HasTemperature(s);
    case AreaCategory::Title:
        return HasTitle(s);
    }
    return false;
}

} // namespace

QString AreaKindText(AreaKind kind)
{
    return QString::fromUtf16(InfoOf(kind).text);
}

std::optional<AreaKind> AreaKindFromText(const QString &text)
{
    for (const KindInfo &info : kKinds) {
        if (text == QString::fromUtf16(info.text))
            return info.kind;
    }
    return std::nullopt;
}

AreaCategory CategoryOf(AreaKind kind)
{
    return InfoOf(kind).category;
}

int AreaTreeImage(AreaKind kind)
{
    return InfoOf(kind).treeImage;
}

bool HasClock(const ScreenInfo &s)
{
    return SlotsHold(s, {AreaKind::FixedClock, AreaKind::PictureClock});
}

bool HasTemperature(const ScreenInfo &s)
{
    return SlotsHold(s, {AreaKind::FixedTemperature, AreaKind::PictureTemperature});
}

bool HasMain(const ScreenInfo &s)
{
    return SlotsHold(s, {AreaKind::Main});
}

bool HasTitle(const ScreenInfo &s)
{
    return SlotsHold(s, {AreaKind::SmallTitle, AreaKind::BigTitle});
}

bool HasFixedBand(const ScreenInfo &s)
{
    return SlotsHold(s, {AreaKind::FixedClock, AreaKind::FixedTemperature});
}

quint8 AreaFlags(const ScreenInfo &s)
{
    return quint8((HasClock(s) ? 1 : 0) | (HasTemperature(s) ? 2 : 0) | (HasMain(s) ? 4 : 0) | (HasTitle(s) ? 8 : 0));
}

std::optional<AreaRefusal> CheckAreaHeight(const ScreenInfo &s, AreaKind kind)
{
    const int band = HasFixedBand(s) ? s.ClockHeight : 0;
    const int title = HasTitle(s) ? s.TitleHeight : 0;
    const bool main = HasMain(s);
    bool refused = false;
    switch (kind) {
    case AreaKind::Main:
        refused = s.Height - band - title < 16;
        break;
    case AreaKind::FixedClock:
    case AreaKind::FixedTemperature: {
        const bool bandExists = kind == AreaKind::FixedClock ? HasTemperature(s) : HasClock(s);
        const int r = s.Height - title;
        refused = !bandExists && (r < 16 || (main && r < 32));
        break;
    }
    case AreaKind::SmallTitle:
        refused = s.Height - band < (main ? 32 : 16);
        break;
    case AreaKind::BigTitle:
        refused = s.Height - band < (main ? 48 : 32);
        break;
    case AreaKind::PictureClock:
    case AreaKind::PictureTemperature:
        break;
    }
    if (!refused)
        return std::nullopt;
    return AreaRefusal{TooLowMessage(kind), kind == AreaKind::Main};
}

std::optional<QString> MainHeightViolation(const ScreenInfo &s)
{
    if (!HasMain(s))
        return std::nullopt;
    const int room = s.Height - (HasFixedBand(s) ? s.ClockHeight : 0) - (HasTitle(s) ? s.TitleHeight : 0);
    if (s.MainHeight >= kMinMainHeight && s.MainHeight <= room)
        return std::nullopt;
    return QStringLiteral("MainHeight: %1 is outside %2..%3, the rows the screen's other areas leave")
        .arg(s.MainHeight)
        .arg(kMinMainHeight)
        .arg(room);
}

AddAreaOutcome AddAreaToScreen(ScreenInfo &s, AreaKind kind, AreaRefusal *refusal)
{
    if (auto refused = CheckAreaHeight(s, kind)) {
        if (refusal)
            *refusal = *refused;
        return AddAreaOutcome::Refused;
    }
    if (HasCategory(s, CategoryOf(kind)))
        return AddAreaOutcome::AlreadyPresent;
    // The presence of the other areas decides the heights, so look before the slot is filled.
    const bool hadClock = HasClock(s);
    const bool hadTemperature = HasTemperature(s);
    const int band = HasFixedBand(s) ? s.ClockHeight : 0;
    const int title = HasTitle(s) ? s.TitleHeight : 0;
    const auto freeSlot = std::find(s.Areas.begin(), s.Areas.end(), QString());
    if (freeSlot != s.Areas.end())
        *freeSlot = AreaKindText(kind);
    switch (kind) {
    case AreaKind::Main:
        s.MainHeight = s.Height - band - title;
        break;
    case AreaKind::FixedClock:
        s.ClockHeight = 16;
        if (!hadTemperature)
            s.MainHeight -= s.ClockHeight;
        break;
    case AreaKind::FixedTemperature:
        s.ClockHeight = 16;
        if (!hadClock)
            s.MainHeight -= s.ClockHeight;
        break;
    case AreaKind::SmallTitle:
        s.TitleHeight = 16;
        s.MainHeight -= 16;
        break;
    case AreaKind::BigTitle:
        s.TitleHeight = 32;
        s.MainHeight -= 32;
        break;
    case AreaKind::PictureClock:
    case AreaKind::PictureTemperature:
        break;
    }
    return AddAreaOutcome::Added;
}

void RemoveKindsFromSlots(ScreenInfo &s, std::initializer_list<AreaKind> kinds)
{
    auto matches = [&](const QString &slot) {
        return std::any_of(kinds.begin(), kinds.end(), [&](AreaKind k) { return slot == AreaKindText(k); });
    };
    // One pass from the first slot: a slot that matches takes the later slots' contents, and the
    // pass goes on with the next slot, as stored layouts have always been compacted.
    for (int i = 0; i < kAreaSlots; ++i) {
        if (!matches(s.Areas[size_t(i)]))
            continue;
        for (int j = i; j + 1 < kAreaSlots; ++j)
            s.Areas[size_t(j)] = s.Areas[size_t(j + 1)];
        s.Areas[kAreaSlots - 1].clear();
    }
}

bool RemoveAreaFromScreen(ScreenInfo &s, AreaKind kind)
{
    // Only an area the screen shows can be removed; asking for a fixed clock must not take away a
    // picture one.
    if (!SlotsHold(s, {kind}))
        return false;
    switch (CategoryOf(kind)) {
    case AreaCategory::Main:
        if (!HasMain(s))
            return false;
        RemoveKindsFromSlots(s, {AreaKind::Main});
        return true;
    case AreaCategory::Temperature:
        if (!HasTemperature(s))
            return false;
        if (HasFixedBand(s) && !HasClock(s))
            s.MainHeight += s.ClockHeight;
        RemoveKindsFromSlots(s, {AreaKind::FixedTemperature, AreaKind::PictureTemperature});
        return true;
    case AreaCategory::Clock:
        if (!HasClock(s))
            return false;
        if (HasFixedBand(s) && !HasTemperature(s))
            s.MainHeight += s.ClockHeight;
        RemoveKindsFromSlots(s, {AreaKind::FixedClock, AreaKind::PictureClock});
        return true;
    case AreaCategory::Title:
        if (!HasTitle(s))
            return false;
        RemoveKindsFromSlots(s, {AreaKind::SmallTitle, AreaKind::BigTitle});
        s.MainHeight += s.TitleHeight;
        return true;
    }
    return false;
}

void AddAreaMenuState::OnClockOrTemperatureMenu(const ScreenInfo &s)
{
    if (!HasClock(s) && !HasTemperature(s)) {
        fixedEnabled = pictureEnabled = true;
    } else {
        fixedEnabled = HasFixedBand(s);
        pictureEnabled = !fixedEnabled;
    }
}

void AddAreaMenuState::OnTitleMenu(const ScreenInfo &s)
{
    if (!HasTitle(s)) {
        smallTitleEnabled = bigTitleEnabled = true;
    } else {
        smallTitleEnabled = s.TitleHeight == 16;
        bigTitleEnabled = !smallTitleEnabled;
    }
}

void AddAreaMenuState::OnChosen(AreaKind kind)
{
    switch (kind) {
    case AreaKind::FixedClock:
    case AreaKind::FixedTemperature:
        fixedEnabled = true;
        pictureEnabled = false;
        break;
    case AreaKind::PictureClock:
    case AreaKind::PictureTemperature:
        fixedEnabled = false;
        pictureEnabled = true;
        break;
    case AreaKind::SmallTitle:
        smallTitleEnabled = true;
        bigTitleEnabled = false;
        break;
    case AreaKind::BigTitle:
        smallTitleEnabled = false;
        bigTitleEnabled = true;
        break;
    case AreaKind::Main:
        break;
    }
}

void AddAreaMenuState::OnClockAndTemperatureGone()
{
    fixedEnabled = pictureEnabled = true;
}

void AddAreaMenuState::OnMenuOf(AreaKind kind, const ScreenInfo &s)
{
    switch (CategoryOf(kind)) {
    case AreaCategory::Clock:
    case AreaCategory::Temperature:
        OnClockOrTemperatureMenu(s);
        break;
    case AreaCategory::Title:
        OnTitleMenu(s);
        break;
    case AreaCategory::Main:
        break;
    }
}

bool AddAreaMenuState::Enabled(AreaKind kind) const
{
    switch (kind) {
    case AreaKind::FixedClock:
    case AreaKind::FixedTemperature:
        return fixedEnabled;
    case AreaKind::PictureClock:
    case AreaKind::PictureTemperature:
        return pictureEnabled;
    case AreaKind::SmallTitle:
        return smallTitleEnabled;
    case AreaKind::BigTitle:
        return bigTitleEnabled;
    case AreaKind::Main:
        return true;
    }
    return false;
}

} // namespace pelvoro
