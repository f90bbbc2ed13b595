#include "config/config_store.h"

#include "base/app_dir.h"
#include "base/atomic_file.h"
#include "base/gbk.h"

#include <variant>

namespace pelvoro {
namespace {

using IntRef = int &(*)(ScreenInfo &);
using BoolRef = bool &(*)(ScreenInfo &);
using TextRef = QString &(*)(ScreenInfo &);

struct Field {
    const char16_t *key;
    std::variant<IntRef, BoolRef, TextRef> ref;
};

#define PV_INT(member) IntRef([](ScreenInfo &s) -> int & { return s.member; })
#define PV_BOOL(member) BoolRef([](ScreenInfo &s) -> bool & { return s.member; })
#define PV_TEXT(member) TextRef([](ScreenInfo &s) -> QString & { return s.member; })

// The persisted fields in the order the store writes them; new keys are appended to a section in
// this order.
const Field kFields[] = {
    {u"控制卡类型", PV_TEXT(CardType)},
    {u"通讯方式", PV_INT(CommMode)},
    {u"COM口", PV_INT(ComPort)},
    {u"波特率", PV_INT(BaudIndex)},
    {u"IP地址", PV_TEXT(IpAddress)},
    {u"IP端口", PV_INT(IpPort)},
    {u"单双色", PV_INT(ColorMode)},
    {u"模块类型", PV_INT(ModuleType)},
    {u"横向点数", PV_INT(Width)},
    {u"纵向点数", PV_INT(Height)},
    {u"行序调整", PV_INT(LineOrder)},
    {u"数据流向", PV_INT(DataFlow)},
    {u"显示屏名称", PV_TEXT(ScreenName)},
    {u"主区域高", PV_INT(MainHeight)},
    {u"时钟格式", PV_INT(ClockFormat)},
    {u"时钟颜色", PV_INT(ClockColor)},
    {u"时钟X坐标", PV_INT(ClockX)},
    {u"时钟Y坐标", PV_INT(ClockY)},
    {u"时钟区域高", PV_INT(ClockHeight)},
    {u"时钟对齐方式", PV_INT(ClockAlign)},
    {u"时钟年", PV_BOOL(ClockParts[0])},
    {u"时钟月", PV_BOOL(ClockParts[1])},
    {u"时钟日", PV_BOOL(ClockParts[2])},
    {u"时钟星期", PV_BOOL(ClockParts[3])},
    {u"时钟时", PV_BOOL(ClockParts[4])},
    {u"时钟分", PV_BOOL(ClockParts[5])},
    {u"时钟秒", PV_BOOL(ClockParts[6])},
    {u"温度格式", PV_INT(TempFormat)},
    {u"温度颜色", PV_INT(TempColor)},
    {u"温度X坐标", PV_INT(TempX)},
    {u"温度Y坐标", PV_INT(TempY)},
    {u"字幕区域高", PV_INT(TitleHeight)},
    {u"最多可编辑页数", PV_INT(MaxEditPages)},
    {u"屏设置改变标志", PV_BOOL(SettingsChanged)},
    {u"定时开关", PV_BOOL(TimerSwitch)},
    {u"第一区域", PV_TEXT(Areas[0])},
    {u"第二区域", PV_TEXT(Areas[1])},
    {u"第三区域", PV_TEXT(Areas[2])},
    {u"第四区域", PV_TEXT(Areas[3])},
    {u"屏选择标志", PV_BOOL(SendSelected)},
};

#undef PV_INT
#undef PV_BOOL
#undef PV_TEXT

const QByteArray kLastIndexKey = ToGbk(QStringLiteral("显示屏数目"));
constexpr int kMaxIpLength = 15;

QByteArray IniText(int value)
{
    return QByteArray::number(value);
}

QByteArray IniText(bool value)
{
    return value ? "1" : "0";
}

} // namespace

QString ScreenSectionName(int index)
{
    return QString::number(index) + QStringLiteral("号屏参数");
}

std::optional<int> ParseIniInt(const QByteArray &text)
{
    bool ok = false;
    const int value = text.toInt(&ok, 10);
    if (!ok)
        return std::nullopt;
    return value;
}

ScreenInfo ReadScreen(const IniDocument &doc, int index)
{
    ScreenInfo screen = DefaultScreenInfo();
    const QByteArray section = ToGbk(ScreenSectionName(index));
    for (const Field &field : kFields) {
        const auto raw = doc.Value(section, ToGbk(QString::fromUtf16(field.key)));
        if (!raw)
            continue;
        if (auto *ref = std::get_if<TextRef>(&field.ref)) {
            (*ref)(screen) = FromGbk(*raw);
        } else if (const auto number = ParseIniInt(*raw)) {
            if (auto *intRef = std::get_if<IntRef>(&field.ref))
                (*intRef)(screen) = *number;
            else
                (*std::get<BoolRef>(field.ref))(screen) = *number != 0;
        }
    }
    // That controller has no 115200 baud; the file keeps its value until the operator picks another.
    if (screen.CardType == kCardZpKq && screen.BaudIndex == 3)
        screen.BaudIndex = 2;
    screen.IpAddress.truncate(kMaxIpLength);
    return screen;
}

bool WriteScreenChanges(IniDocument &doc, int index, const ScreenInfo &screen, const ScreenInfo &stored)
{
    const QByteArray section = ToGbk(ScreenSectionName(index));
    // The accessors need mutable records; they only read here.
    ScreenInfo current = screen;
    ScreenInfo old = stored;
    bool changed = false;
    for (const Field &field : kFields) {
        QByteArray text;
        bool differs = false;
        std::visit(
            [&](auto ref) {
                differs = !(ref(current) == ref(old));
                if (differs) {
                    if constexpr (std::is_same_v<decltype(ref), TextRef>)
                        text = ToGbk(ref(current));
                    else
                        text = IniText(ref(current));
                }
            },
            field.ref);
        if (differs) {
            doc.SetValue(section, ToGbk(QString::fromUtf16(field.key)), text);
            changed = true;
        }
    }
    return changed;
}

ConfigStore::ConfigStore() : ConfigStore(AppFile(kConfigFileName)) {}

ConfigStore::ConfigStore(QString path) : path_(std::move(path)) {}

IniDocument ConfigStore::Read() const
{
    QByteArray bytes;
    ReadWholeFile(path_, &bytes);
    return IniDocument::Parse(bytes);
}

bool ConfigStore::Edit(const std::function<bool(IniDocument &)> &edit)
{
    lastError_.clear();
    QByteArray before;
    ReadWholeFile(path_, &before);
    IniDocument doc = IniDocument::Parse(before);
    if (!edit(doc))
        return true;
    const QByteArray after = doc.ToBytes();
    if (after == before)
        return true;
    return WriteFileAtomically(path_, after, &lastError_);
}

void ConfigStore::LoadScreens(ScreenTable &table, int n) const
{
    const IniDocument doc = Read();
    for (int i = 0; i <= ClampLastIndex(n); ++i)
        table[i] = ReadScreen(doc, i);
}

bool ConfigStore::SaveScreens(const ScreenTable &table, int n)
{
    return Edit([&](IniDocument &doc) {
        bool changed = false;
        for (int i = 0; i <= ClampLastIndex(n); ++i) {
            const ScreenInfo stored = ReadScreen(doc, i);
            changed |= WriteScreenChanges(doc, i, table[i], stored);
        }
        return changed;
    });
}

int ConfigStore::LoadLastIndex() const
{
    const auto raw = Read().Value(ToGbk(kGlobalSection), kLastIndexKey);
    const auto value = raw ? ParseIniInt(*raw) : std::nullopt;
    return ClampLastIndex(value.value_or(0));
}

bool ConfigStore::SaveLastIndex(int &value)
{
    value = ClampLastIndex(value);
    return WriteInt(kGlobalSection, FromGbk(kLastIndexKey), value);
}

QString ReadText(const IniDocument &doc, const QString &section, const QString &key, const QString &fallback)
{
    const auto raw = doc.Value(ToGbk(section), ToGbk(key));
    return raw ? FromGbk(*raw) : fallback;
}

QString ConfigStore::ReadString(const QString &section, const QString &key, const QString &fallback) const
{
    return ReadText(Read(), section, key, fallback);
}

int ConfigStore::ReadInt(const QString &section, const QString &key, int fallback) const
{
    const auto raw = Read().Value(ToGbk(section), ToGbk(key));
    const auto value = raw ? ParseIniInt(*raw) : std::nullopt;
    return value.value_or(fallback);
}

bool ConfigStore::ReadBool(const QString &section, const QString &key, bool fallback) const
{
    return ReadInt(section, key, fallback ? 1 : 0) != 0;
}

bool ConfigStore::WriteString(const QString &section, const QString &key, const QString &value)
{
    return Edit([&](IniDocument &doc) { return doc.SetValue(ToGbk(section), ToGbk(key), ToGbk(value)); });
}

bool ConfigStore::WriteInt(const QString &section, const QString &key, int value)
{
    return Edit([&](IniDocument &doc) { return doc.SetValue(ToGbk(section), ToGbk(key), IniText(value)); });
}

bool ConfigStore::WriteBool(const QString &section, const QString &key, bool value)
{
    return Edit([&](IniDocument &doc) { return doc.SetValue(ToGbk(section), ToGbk(key), IniText(value)); });
}

bool ConfigStore::EraseSection(const QString &section)
{
    return Edit([&](IniDocument &doc) { return doc.RemoveSection(ToGbk(section)); });
}

} // namespace pelvoro
