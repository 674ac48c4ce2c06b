#pragma once

#include <QString>
#include <QStringList>

#include <memory>

class QSettings;
class QTemporaryDir;

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
//
// The store works on a private copy of the file; sync() writes the copy back
// through ReplaceFile, so a full disk or a crash never leaves the user's file
// cut short, and a failure comes back with the system's reason.
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

    // Writes what is pending to disk; true when nothing was pending or the
    // file was written, false with the system's reason otherwise.
    bool sync(QString *error = nullptr);

    // A file that exists but cannot be settings (zero bytes or control
    // characters), as a crash or a bad copy leaves it.
    bool isDamaged() const { return m_damaged; }
    // Moves a damaged file aside as "<file>.damaged" (replacing an older one)
    // and starts this store empty. The path it was kept as, or empty with the
    // reason when it could not be moved.
    QString setAsideDamaged(QString *error = nullptr);

private:
    QString m_path;
    std::unique_ptr<QTemporaryDir> m_scratch;
    std::unique_ptr<QSettings> m_settings;
    bool m_written = false;
    bool m_damaged = false;
};
