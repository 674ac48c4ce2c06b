#pragma once

#include <QString>
#include <QStringList>

#include <memory>

class QSettings;

// The per-user settings store: one INI file with a group per key of
// "Software\HPQuorvane" ("Editor", "Environment", "Printing", "Builder",
// "Highlighter/<attribute>"), the same value names and kinds.
//
// Kinds as stored: booleans and integers as decimal integers (non-zero is
// true), reals as their 10 x87 extended bytes, texts as text. A value that is
// missing, or cannot be read as its kind, yields the caller's default; reading
// never creates the file.
//
// Keys are also what the most-recently-used lists use as "sections".
class SettingsStore
{
public:
    // The user's store: $XDG_CONFIG_HOME/HPQuorvane/HPQuorvane.ini.
    SettingsStore();
    // Another file, for tests and tools.
    explicit SettingsStore(const QString &iniPath);
    ~SettingsStore();
    SettingsStore(const SettingsStore &) = delete;
    SettingsStore &operator=(const SettingsStore &) = delete;

    static QString userStorePath();
    QString fileName() const;

    bool readBool(const QString &key, const QString &name, bool def) const;
    int readInt(const QString &key, const QString &name, int def) const;
    long double readReal(const QString &key, const QString &name, long double def) const;
    QString readText(const QString &key, const QString &name, const QString &def) const;
    bool hasValue(const QString &key, const QString &name) const;
    QStringList valueNames(const QString &key) const;
    QStringList subKeys(const QString &key) const;

    void writeBool(const QString &key, const QString &name, bool value);
    void writeInt(const QString &key, const QString &name, int value);
    void writeReal(const QString &key, const QString &name, long double value);
    void writeText(const QString &key, const QString &name, const QString &value);
    void deleteValue(const QString &key, const QString &name);

    // Writes what is pending to disk; true when the file was written.
    bool sync();

private:
    std::unique_ptr<QSettings> m_settings;
};
