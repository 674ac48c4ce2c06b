#pragma once

#include <QHash>
#include <QObject>
#include <QPointer>
#include <QString>
#include <QStringList>

#include <functional>
#include <initializer_list>
#include <vector>

// Language files: every visible text of the editor can be replaced by one.
//
// A language file is an INI file in UTF-8 under AppFolder + "Languages/", one
// section per window. It is read the way the classic INI reader of the
// platform the format comes from reads it, because files written for that
// reader must keep working:
//   - section and key names are found regardless of letter case;
//   - blanks around keys and values are dropped, and a value wrapped in one
//     pair of matching quotes (' or ") loses them, which is how a value keeps
//     its own leading or trailing blanks;
//   - a value holds at most 2047 characters;
//   - lines starting with ";" are comments; lines without "=" are ignored;
//   - when a key appears twice in a section, the first one counts.
// A file that is not valid UTF-8 is read as Latin-1, so that a file saved by
// an older editor still shows its accented letters instead of stand-ins.
//
// A damaged file (zero bytes or other control characters where text should
// be, as a crash or a bad copy leaves them) is read for what it still holds: the damaged lines are skipped, and every key
// it cannot give reads as the built-in Spanish text instead of "¿...?".

// The text shown in place of a missing key: "¿...?".
QString MissingLanguageText();

class TLanguageFile
{
public:
    static constexpr int MaxValueLength = 2047;

    // Reads the whole file at once; no file stays open. A missing or
    // unreadable file gives an empty one whose exists() is false.
    explicit TLanguageFile(const QString &path);

    // A file built from bytes, for tools and tests.
    static TLanguageFile fromBytes(const QByteArray &bytes);

    bool exists() const { return m_exists; }
    bool isDamaged() const { return m_damaged; }
    const QString &path() const { return m_path; }

    // The section that ReadText looks in.
    void setSection(const QString &section) { m_section = section; }
    const QString &section() const { return m_section; }

    // The value of key in the current section, or "¿...?" when the file has
    // no such key or key itself is empty. A key written with an empty value
    // reads as empty, as the INI reader gives it.
    QString ReadText(const QString &key) const;

    bool contains(const QString &section, const QString &key) const;
    // Section and key names as the file spells them, in file order.
    QStringList sections() const;
    QStringList keys(const QString &section) const;

private:
    TLanguageFile() = default;
    void parse(const QByteArray &bytes);

    struct Section
    {
        QString name;
        QStringList keyOrder;                 // as spelled in the file
        QHash<QString, QString> values;       // folded key -> value
    };
    const Section *findSection(const QString &name) const;

    QString m_path;
    QString m_section;
    bool m_exists = false;
    bool m_damaged = false;
    std::vector<Section> m_sections;
    QHash<QString, size_t> m_sectionIndex;    // folded name -> index
};

// Splits a hint "short|long" into its two parts; without "|" both parts are
// the whole text.
QString ShortHint(const QString &hint);
QString LongHint(const QString &hint);

// Messages and labels ------------------------------------------------------

// Message and label texts are cut to this length when they are read.
constexpr int MaxMessageLength = 255;

// Reads Message1..Message39 from the section "Messages" and Label1..Label36
// from "Labels" into the process-wide texts (Globals.h).
void LoadMessages(TLanguageFile &file);
void LoadLabels(TLanguageFile &file);

// Until a language file has been read, the message and label texts are these
// built-in Spanish ones, so that the very first error box (a missing language
// file) is never blank. Installed once at start.
void InstallBuiltInMessagesAndLabels();
QString BuiltInMessage(int n);
QString BuiltInLabel(int n);

// One text read on its own, for the few texts shown outside any window of
// their own: the value of key in section of the language file in force, or
// the built-in Spanish text while that file does not exist. Write the section
// and the key as literals so that the test of the shipped files finds them.
QString LanguageText(const QString &section, const QString &key);

// The language file's own description, in its section "Language": the name
// of the language as written in it ("Español"), and the locale of Qt's and
// QScintilla's translations that go with it ("es"). Without a name the file's
// base name stands in; without a locale Qt's texts stay English.
QString LanguageFileName(const TLanguageFile &file);
QString LanguageFileLocale(const TLanguageFile &file);

// Installs Qt's and QScintilla's translations for locale (Debian's
// qt6-translations-l10n) in place of the ones installed before, so that the
// standard buttons and dialogs speak the language file's language. An empty
// locale, or one without translations, leaves them English. True when Qt's
// translation was found.
bool InstallToolkitTranslations(const QString &locale);

// Shows Message5 formatted with the language file's path (error icon). Every
// window whose language file is missing reports it this way.
void ReportMissingLanguageFile(const QString &path);

// Tells the user that the language file at path is damaged and that built-in
// texts stand in for what it lacks; once per file for the whole run, however
// many windows read it.
void ReportDamagedLanguageFile(const QString &path);

// Window texts -------------------------------------------------------------

// Where a text goes on its control.
enum class TextRole {
    Caption, // the control's own text: action and button text, label text,
             // group box and menu title, tab caption of a tab page, window
             // title of a dock, tool bar or top-level window
    Title,   // the window title
    Hint,    // "short|long": the short part becomes the tool tip, the long
             // part the status tip shown in the status bar
};

// One key of a window's section and what it labels.
struct WindowText
{
    WindowText(const char *key, QObject *target, TextRole role = TextRole::Caption);
    WindowText(const char *key, std::function<void(const QString &)> apply);

    QString key;
    QPointer<QObject> target;
    TextRole role = TextRole::Caption;
    std::function<void(const QString &)> apply;
};

// Sets one text on a control as the role says.
void ApplyText(QObject *target, TextRole role, const QString &text);

// The texts of one window: its section and its keys. It lives as a child of
// the window and dies with it.
class WindowTexts : public QObject
{
    Q_OBJECT
public:
    enum Lifetime {
        OnCreation,             // read once, when the window is created
        ReloadOnLanguageChange, // long-lived windows: read again whenever
                                // the user picks another language
    };

    WindowTexts(QObject *owner, const QString &section, std::initializer_list<WindowText> texts,
                Lifetime lifetime = OnCreation);
    ~WindowTexts() override;

    const QString &section() const { return m_section; }
    const std::vector<WindowText> &texts() const { return m_texts; }

    // Reads the section from LanguageFilePath. When the file does not exist:
    // shows Message5 with its path, keeps the window's current texts and
    // returns false.
    bool load();
    // Applies the section of an already open file (no existence check).
    void applyFrom(TLanguageFile &file);

private:
    QString m_section;
    std::vector<WindowText> m_texts;
    Lifetime m_lifetime;
};

// The one line with which a window takes its texts when it is created:
//
//   loadWindowTexts(this, "GoToDialog", {
//       {"DlgGoToTitle", this, TextRole::Title},
//       {"DlgGoToLine", m_label},
//       {"DlgGoToOk", m_ok},
//       {"DlgGoToCancel", m_cancel},
//   });
//
// Write the section and every key as a string literal in the call: the test
// of the shipped language files finds the keys the code reads by reading the
// sources, and fails when a file lacks one.
WindowTexts *loadWindowTexts(QObject *owner, const QString &section,
                             std::initializer_list<WindowText> texts,
                             WindowTexts::Lifetime lifetime = WindowTexts::OnCreation);

// After a language change: every long-lived window reads its texts again, the
// page setup, environment options and editor options windows first and in
// that order, then any other in the order they were created. Each one whose
// file is missing reports it once.
void ReloadLongLivedWindowTexts();
