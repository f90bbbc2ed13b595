#include "config/screen_fields.h"

#include "base/gbk.h"

#include <QStringList>

namespace pelvoro {
namespace {

#define PV_INT(member) ScreenField::IntRef([](ScreenInfo &s) -> int & { return s.member; })
#define PV_BOOL(member) ScreenField::BoolRef([](ScreenInfo &s) -> bool & { return s.member; })
#define PV_TEXT(member) ScreenField::TextRef([](ScreenInfo &s) -> QString & { return s.member; })

constexpr int kAny = INT_MIN;
constexpr int kAnyMax = INT_MAX;

const ScreenField kFields[] = {
    {"CardType", -1, u"控制卡类型", PV_TEXT(CardType)},
    {"CommMode", -1, u"通讯方式", PV_INT(CommMode), kCommModeRs232, kCommModeNetwork},
    {"ComPort", -1, u"COM口", PV_INT(ComPort), 1, kAnyMax},
    {"BaudIndex", -1, u"波特率", PV_INT(BaudIndex), 0, 3},
    {"IpAddress", -1, u"IP地址", PV_TEXT(IpAddress)},
    {"IpPort", -1, u"IP端口", PV_INT(IpPort), 1, 65535},
    {"ColorMode", -1, u"单双色", PV_INT(ColorMode), 0, 1},
    {"ModuleType", -1, u"模块类型", PV_INT(ModuleType), 0, 1},
    {"Width", -1, u"横向点数", PV_INT(Width), 0, kAnyMax},
    {"Height", -1, u"纵向点数", PV_INT(Height), 0, kAnyMax},
    {"LineOrder", -1, u"行序调整", PV_INT(LineOrder), 0, 2},
    {"DataFlow", -1, u"数据流向", PV_INT(DataFlow), 0, 1},
    {"ScreenName", -1, u"显示屏名称", PV_TEXT(ScreenName)},
    {"MainHeight", -1, u"主区域高", PV_INT(MainHeight), 0, kAnyMax},
    {"ClockFormat", -1, u"时钟格式", PV_INT(ClockFormat), 0, 1},
    {"ClockColor", -1, u"时钟颜色", PV_INT(ClockColor), 0, 2},
    {"ClockX", -1, u"时钟X坐标", PV_INT(ClockX), kAny, kAnyMax},
    {"ClockY", -1, u"时钟Y坐标", PV_INT(ClockY), kAny, kAnyMax},
    {"ClockHeight", -1, u"时钟区域高", PV_INT(ClockHeight), 0, kAnyMax},
    {"ClockAlign", -1, u"时钟对齐方式", PV_INT(ClockAlign), 0, 2},
    {"ClockParts", 0, u"时钟年", PV_BOOL(ClockParts[0])},
    {"ClockParts", 1, u"时钟月", PV_BOOL(ClockParts[1])},
    {"ClockParts", 2, u"时钟日", PV_BOOL(ClockParts[2])},
    {"ClockParts", 3, u"时钟星期", PV_BOOL(ClockParts[3])},
    {"ClockParts", 4, u"时钟时", PV_BOOL(ClockParts[4])},
    {"ClockParts", 5, u"时钟分", PV_BOOL(ClockParts[5])},
    {"ClockParts", 6, u"时钟秒", PV_BOOL(ClockParts[6])},
    {"TempFormat", -1, u"温度格式", PV_INT(TempFormat), 0, 1},
    {"TempColor", -1, u"温度颜色", PV_INT(TempColor), 0, 2},
    {"TempX", -1, u"温度X坐标", PV_INT(TempX), kAny, kAnyMax},
    {"TempY", -1, u"温度Y坐标", PV_INT(TempY), kAny, kAnyMax},
    {"TitleHeight", -1, u"字幕区域高", PV_INT(TitleHeight), 0, kAnyMax},
    {"MaxEditPages", -1, u"最多可编辑页数", PV_INT(MaxEditPages), 0, kAnyMax},
    {"SettingsChanged", -1, u"屏设置改变标志", PV_BOOL(SettingsChanged)},
    {"TimerSwitch", -1, u"定时开关", PV_BOOL(TimerSwitch)},
    {"Areas", 0, u"第一区域", PV_TEXT(Areas[0])},
    {"Areas", 1, u"第二区域", PV_TEXT(Areas[1])},
    {"Areas", 2, u"第三区域", PV_TEXT(Areas[2])},
    {"Areas", 3, u"第四区域", PV_TEXT(Areas[3])},
    {"SendSelected", -1, u"屏选择标志", PV_BOOL(SendSelected)},
    {"DataMirror", -1, nullptr, PV_INT(DataMirror), 0, 1},
    {"DataPolarity", -1, nullptr, PV_INT(DataPolarity), 0, 3},
    {"OePolarity", -1, nullptr, PV_INT(OePolarity), 0, 1},
};

#undef PV_INT
#undef PV_BOOL
#undef PV_TEXT

constexpr int kMaxIpLength = 15;

bool IsDottedIpv4(const QString &text)
{
    if (text.size() > kMaxIpLength)
        return false;
    const QStringList parts = text.split(QLatin1Char('.'));
    if (parts.size() != 4)
        return false;
    for (const QString &part : parts) {
        if (part.isEmpty() || part.size() > 3)
            return false;
        for (QChar c : part) {
            if (c < QLatin1Char('0') || c > QLatin1Char('9'))
                return false;
        }
        if (part.toInt() > 255)
            return false;
    }
    return true;
}

} // namespace

std::span<const ScreenField> ScreenFields()
{
    return kFields;
}

const ScreenField *FindScalarField(const QString &name)
{
    for (const ScreenField &field : kFields) {
        if (field.IsScalar() && name == QLatin1String(field.name))
            return &field;
    }
    return nullptr;
}

ScreenFieldValue GetField(const ScreenInfo &screen, const ScreenField &field)
{
    // The accessors hand out references into a mutable record; reading through them changes nothing.
    auto &record = const_cast<ScreenInfo &>(screen);
    return std::visit([&](auto ref) { return ScreenFieldValue(ref(record)); }, field.ref);
}

void SetField(ScreenInfo &screen, const ScreenField &field, const ScreenFieldValue &value)
{
    std::visit(
        [&](auto ref) {
            using T = std::remove_reference_t<decltype(ref(screen))>;
            ref(screen) = std::get<T>(value);
        },
        field.ref);
}

std::optional<ScreenFieldValue> ParseFieldText(const ScreenField &field, const QString &text, QString *error)
{
    auto fail = [&](const QString &why) -> std::optional<ScreenFieldValue> {
        if (error)
            *error = field.Name() + QStringLiteral(": ") + why;
        return std::nullopt;
    };
    switch (field.Type()) {
    case ScreenFieldType::Int: {
        bool ok = false;
        const int value = text.toInt(&ok, 10);
        if (!ok)
            return fail(QStringLiteral("\"%1\" is not a whole number").arg(text));
        if (value < field.minValue || value > field.maxValue) {
            if (field.maxValue == INT_MAX)
                return fail(QStringLiteral("%1 is below %2").arg(value).arg(field.minValue));
            return fail(QStringLiteral("%1 is outside %2..%3").arg(value).arg(field.minValue).arg(field.maxValue));
        }
        return value;
    }
    case ScreenFieldType::Bool:
        if (text == QLatin1String("1") || text == QLatin1String("true"))
            return true;
        if (text == QLatin1String("0") || text == QLatin1String("false"))
            return false;
        return fail(QStringLiteral("\"%1\" is not a boolean (1, 0, true or false)").arg(text));
    case ScreenFieldType::Text:
        break;
    }
    // A value is one line of a GBK file.
    if (text.contains(QLatin1Char('\n')) || text.contains(QLatin1Char('\r')))
        return fail(QStringLiteral("a value cannot hold a line break"));
    if (const QString lost = CharactersGbkCannotHold(text); !lost.isEmpty())
        return fail(QStringLiteral("\"%1\" has characters that GBK cannot hold: %2").arg(text, lost));
    const QString name = field.Name();
    if (name == QLatin1String("CardType") && text != kCardNormal && text != kCardZpKq)
        return fail(QStringLiteral("\"%1\" is not a controller type (%2 or %3)").arg(text, kCardNormal, kCardZpKq));
    if (name == QLatin1String("IpAddress") && !IsDottedIpv4(text))
        return fail(QStringLiteral("\"%1\" is not a dotted IPv4 address").arg(text));
    return text;
}

} // namespace pelvoro
