#pragma once

#include "config/ini_document.h"
#include "config/screen_info.h"

#include <QList>
#include <QString>

#include <array>
#include <functional>
#include <optional>

namespace pelvoro {

class FileSetUpdate;

inline const QString kConfigFileName = QStringLiteral("SysConfig.ini");
inline const QString kGlobalSection = QStringLiteral("全局参数");

// Section of screen index i: "0号屏参数", "1号屏参数", ...
QString ScreenSectionName(int index);

// Loads and saves the screen table and other settings in SysConfig.ini. Every operation reads the
// file afresh and, when it changes something, replaces the file atomically; nothing is cached.
// Values are written key by key and only where they differ, so every byte the store does not own
// stays as it was.
class ConfigStore {
public:
    // The store of SysConfig.ini in the application's directory.
    ConfigStore();
    explicit ConfigStore(QString path);

    const QString &Path() const { return path_; }
    // Why the last write failed (empty after a success).
    const QString &LastError() const { return lastError_; }
    // What the operator is told when a write failed.
    QString SaveFailureMessage() const;

    // Loads screens 0..n and remembers them as loaded: a later save writes only the fields this
    // store's owner changed since, so that another writer's change to any other field stays.
    void LoadScreens(ScreenTable &table, int n) const;
    // Writes the fields of screens 0..n that differ from the file and (for a screen this store
    // loaded) from what it loaded; the written screens then count as loaded.
    bool SaveScreens(const ScreenTable &table, int n);
    // Takes another writer's change of the file into `table`: every field of a loaded screen that
    // this store's owner has not changed since loading it takes the file's value, and the number of
    // screens follows the file. Returns the screens whose values changed (none when the file holds
    // what the table holds, as after this process's own save).
    QList<int> TakeOutsideChanges(ScreenTable &table) const;
    // SaveScreens (and, when given, SaveLastIndex) in one edit added to `update`, for a change of
    // several files at once; once the update is committed, ScreensSaved() makes the screens loaded.
    // The sections of screens n + 1..erasedUpTo (screens removed) are erased in the same edit.
    bool StageScreens(const ScreenTable &table, int n, FileSetUpdate &update, std::optional<int> lastIndex = {},
                      int erasedUpTo = -1);
    void ScreensSaved(const ScreenTable &table, int n);
    int LoadLastIndex() const;
    bool SaveLastIndex(int &value);
    bool EraseScreenSection(const QString &name) { return EraseSection(name); }

    // Plain access for the settings of other parts of the station.
    QString ReadString(const QString &section, const QString &key, const QString &fallback) const;
    int ReadInt(const QString &section, const QString &key, int fallback) const;
    bool ReadBool(const QString &section, const QString &key, bool fallback) const;
    bool WriteString(const QString &section, const QString &key, const QString &value);
    bool WriteInt(const QString &section, const QString &key, int value);
    bool WriteBool(const QString &section, const QString &key, bool value);
    bool EraseSection(const QString &section);

    // Reads the document, lets `edit` change it and writes it back when it says it changed
    // something. Several keys can so be written with one replacement of the file.
    bool Edit(const std::function<bool(IniDocument &)> &edit);
    // The same edit added to `update` instead of written, for a change of several files at once.
    bool Stage(const std::function<bool(IniDocument &)> &edit, FileSetUpdate &update);
    IniDocument Read() const;
    // Empty when the file can be read or does not exist (it then holds the defaults); otherwise the
    // operator's message with the file's name and the system's reason, or the message that another
    // writer's update is under way in the directory (what is on disk is then between two steps). Whatever reads the screens
    // checks this first: defaults taken for an unreadable file would be written over it.
    QString ReadError() const;

private:
    // Reads, edits and encodes the document; false when the file cannot be read.
    bool Edited(const std::function<bool(IniDocument &)> &edit, QByteArray *before, QByteArray *after);

    std::function<bool(IniDocument &)> ScreensEdit(const ScreenTable &table, int n) const;

    QString path_;
    QString lastError_;
    mutable std::array<std::optional<ScreenInfo>, kMaxScreens> loaded_;
};

// Loads the screen count and every configured screen as the station does at start-up, with
// screen 0 current.
void LoadScreenTable(const ConfigStore &store, ScreenTable &table);

// Parses a whole decimal number as the store reads integers; anything else is a missing value.
std::optional<int> ParseIniInt(const QByteArray &text);

// A value of a document decoded from GBK, or `fallback` when the key is missing.
QString ReadText(const IniDocument &doc, const QString &section, const QString &key, const QString &fallback);

// Reads one screen's section from a document with the defaults and load rules.
ScreenInfo ReadScreen(const IniDocument &doc, int index);
// Writes the fields of `screen` that differ from `stored`; returns true when anything was written.
bool WriteScreenChanges(IniDocument &doc, int index, const ScreenInfo &screen, const ScreenInfo &stored);

} // namespace pelvoro
