#include "config/config_store.h"

#include "base/app_dir.h"
#include "base/atomic_file.h"
#include "base/directory_lock.h"
#include "base/gbk.h"
#include "base/input_file_limits.h"
#include "base/own_writes.h"
#include "config/config_limits.h"
#include "config/screen_fields.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <algorithm>

namespace pelvoro {
namespace {

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
    for (const ScreenField &field : ScreenFields()) {
        if (!field.IsStored())
            continue;
        const auto raw = doc.Value(section, ToGbk(field.Key()));
        if (!raw)
            continue;
        if (field.Type() == ScreenFieldType::Text) {
            SetField(screen, field, FromGbk(*raw));
        } else if (const auto number = ParseIniInt(*raw)) {
            if (field.Type() == ScreenFieldType::Int)
                SetField(screen, field, *number);
            else
                SetField(screen, field, *number != 0);
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
    bool changed = false;
    for (const ScreenField &field : ScreenFields()) {
        if (!field.IsStored())
            continue;
        const ScreenFieldValue value = GetField(screen, field);
        if (value == GetField(stored, field))
            continue;
        QByteArray text;
        if (const auto *string = std::get_if<QString>(&value))
            text = ToGbk(*string);
        else if (const auto *number = std::get_if<int>(&value))
            text = IniText(*number);
        else
            text = IniText(std::get<bool>(value));
        doc.SetValue(section, ToGbk(field.Key()), text);
        changed = true;
    }
    return changed;
}

ConfigStore::ConfigStore() : ConfigStore(AppFile(kConfigFileName)) {}

ConfigStore::ConfigStore(QString path) : path_(std::move(path)) {}

QString ConfigStore::SaveFailureMessage() const
{
    return QStringLiteral("无法保存配置文件“%1”：%2").arg(path_, lastError_);
}

IniDocument ConfigStore::Read() const
{
    // A pipe or a device would block or never end; ReadError() says why nothing was read.
    QByteArray bytes;
    if (StoredFileRefusal(path_, kMaxConfigFileBytes).isEmpty())
        ReadWholeFile(path_, &bytes);
    return IniDocument::Parse(bytes);
}

QString ConfigStore::ReadError() const
{
    // Another writer's update under way: what is on disk may be between two of its steps. Taking the
    // lock completes the update of a writer that is gone; a live one is waited for, then reported.
    if (const QString dir = QFileInfo(path_).absolutePath(); HasUnfinishedUpdate(dir)) {
        const DirectoryLock lock(dir);
        if (!lock.Locked())
            return lock.Error();
    }
    if (const QString refusal = StoredFileRefusal(path_, kMaxConfigFileBytes); !refusal.isEmpty())
        return QStringLiteral("无法读取配置文件“%1”：%2").arg(QDir::toNativeSeparators(path_), refusal);
    QFile file(path_);
    if (!file.exists() || file.open(QIODevice::ReadOnly))
        return {};
    return QStringLiteral("无法读取配置文件“%1”：%2").arg(QDir::toNativeSeparators(path_), file.errorString());
}

bool ConfigStore::Edited(const std::function<bool(IniDocument &)> &edit, QByteArray *before, QByteArray *after)
{
    if (!StoredFileRefusal(path_, kMaxConfigFileBytes).isEmpty()) {
        lastError_ = ReadError();
        return false;
    }
    if (!ReadWholeFile(path_, before) && QFileInfo::exists(path_)) {
        // Writing now would replace every setting the file holds with the few being changed.
        lastError_ = ReadError();
        if (lastError_.isEmpty())
            lastError_ = QStringLiteral("cannot read %1").arg(path_);
        return false;
    }
    IniDocument doc = IniDocument::Parse(*before);
    *after = edit(doc) ? doc.ToBytes() : *before;
    if (*after != *before)
        NoteContentBeforeWrite(path_, *before);
    return true;
}

bool ConfigStore::Edit(const std::function<bool(IniDocument &)> &edit)
{
    lastError_.clear();
    // Read and replaced under the lock, so that no other writer's change in between is lost.
    const DirectoryLock lock(QFileInfo(path_).absolutePath());
    if (!lock.Locked()) {
        lastError_ = lock.Error();
        return false;
    }
    QByteArray before;
    QByteArray after;
    if (!Edited(edit, &before, &after))
        return false;
    if (after == before)
        return true;
    return WriteFileAtomically(path_, after, &lastError_);
}

bool ConfigStore::Stage(const std::function<bool(IniDocument &)> &edit, FileSetUpdate &update)
{
    lastError_.clear();
    QByteArray before;
    QByteArray after;
    if (!Edited(edit, &before, &after))
        return false;
    if (after != before)
        update.Write(path_, after);
    return true;
}

void ConfigStore::LoadScreens(ScreenTable &table, int n) const
{
    const IniDocument doc = Read();
    for (int i = 0; i <= ClampLastIndex(n); ++i) {
        table[i] = ReadScreen(doc, i);
        loaded_[size_t(i)] = table[i];
    }
}

void LoadScreenTable(const ConfigStore &store, ScreenTable &table)
{
    // An update a killed writer left half done is completed (under the lock) before anything is read.
    if (const QString dir = QFileInfo(store.Path()).absolutePath(); HasUnfinishedUpdate(dir))
        DirectoryLock lock(dir);
    table.LastIndex = store.LoadLastIndex();
    table.CurrentScreen = 0;
    store.LoadScreens(table, table.LastIndex);
}

std::function<bool(IniDocument &)> ConfigStore::ScreensEdit(const ScreenTable &table, int n) const
{
    return [this, &table, n](IniDocument &doc) {
        bool changed = false;
        for (int i = 0; i <= ClampLastIndex(n); ++i) {
            const ScreenInfo stored = ReadScreen(doc, i);
            ScreenInfo wanted = table[i];
            if (const auto &loaded = loaded_[size_t(i)]) {
                // Only what this process changed; the file's values stand for everything else.
                wanted = stored;
                for (const ScreenField &field : ScreenFields()) {
                    if (field.IsStored() && GetField(table[i], field) != GetField(*loaded, field))
                        SetField(wanted, field, GetField(table[i], field));
                }
            }
            changed |= WriteScreenChanges(doc, i, wanted, stored);
        }
        return changed;
    };
}

bool ConfigStore::SaveScreens(const ScreenTable &table, int n)
{
    if (!Edit(ScreensEdit(table, n)))
        return false;
    ScreensSaved(table, n);
    return true;
}

bool ConfigStore::StageScreens(const ScreenTable &table, int n, FileSetUpdate &update, std::optional<int> lastIndex,
                               int erasedUpTo)
{
    const auto screens = ScreensEdit(table, n);
    return Stage(
        [&](IniDocument &doc) {
            bool erased = false;
            for (int i = erasedUpTo; i > n; --i)
                erased = doc.RemoveSection(ToGbk(ScreenSectionName(i))) || erased;
            const bool count = lastIndex && doc.SetValue(ToGbk(kGlobalSection), kLastIndexKey, IniText(*lastIndex));
            return screens(doc) || count || erased;
        },
        update);
}

void ConfigStore::ScreensSaved(const ScreenTable &table, int n)
{
    for (int i = 0; i <= ClampLastIndex(n); ++i) {
        if (loaded_[size_t(i)])
            loaded_[size_t(i)] = table[i];
    }
}

QList<int> ConfigStore::TakeOutsideChanges(ScreenTable &table) const
{
    const IniDocument doc = Read();
    const auto raw = doc.Value(ToGbk(kGlobalSection), kLastIndexKey);
    const int lastIndex = ClampLastIndex((raw ? ParseIniInt(*raw) : std::nullopt).value_or(0));
    QList<int> changed;
    for (int i = 0; i <= lastIndex; ++i) {
        const ScreenInfo stored = ReadScreen(doc, i);
        ScreenInfo merged = stored;
        if (const auto &loaded = loaded_[size_t(i)]; loaded && i <= table.LastIndex) {
            // This process's own changes since loading stand; the file's values take the rest.
            for (const ScreenField &field : ScreenFields()) {
                if (field.IsStored() && GetField(table[i], field) != GetField(*loaded, field))
                    SetField(merged, field, GetField(table[i], field));
            }
        }
        if (i > table.LastIndex || !(merged == table[i]))
            changed.append(i);
        table[i] = merged;
        loaded_[size_t(i)] = stored;
    }
    for (int i = lastIndex + 1; i <= table.LastIndex; ++i)
        changed.append(i); // screens the other writer removed
    table.LastIndex = lastIndex;
    table.CurrentScreen = std::min(table.CurrentScreen, lastIndex);
    return changed;
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
