#pragma once

#include "shell/TextIds.h"

#include <QString>
#include <QVariant>

#include <initializer_list>

class QWidget;

// Process-wide values of the editor that every module may read: the program's
// own folder, the scratch object file, and the message and label texts that a
// language file fills. Nothing here knows any window or module above it.

// Folder of the running executable, with a trailing "/". Every data path
// ("Templates", "EMU", "Languages", "TIPS.TXT", "help") is built from it.
QString AppFolder();
// Tests and tools may point the program at another data folder.
void SetAppFolder(const QString &folder);

// The scratch object file through which objects enter and leave the calculator.
QString TempObjectFile();

// AppFolder + "Languages/" + setting Language + ".lng"; set by the shell when
// it reads the language file.
extern QString LanguageFilePath;

// Shared texts "Message1".."Message39" and "Label1".."Label36" of the language
// file, asked for by name (MsgFileNotFound, LblOpenTitle: shell/TextIds.h).
// They are empty until a language file has been read; an index out of range
// gives an empty text.
constexpr int MessageCount = 39;
constexpr int LabelCount = 36;
const QString &Message(int n);
const QString &Label(int n);
void SetMessage(int n, const QString &text);
void SetLabel(int n, const QString &text);
void ClearMessagesAndLabels();

// Formats a language text with printf-like directives as the language files
// write them: "%s" (text), "%d" (integer), "%%" (a percent sign). Arguments are
// taken in order; a directive without an argument stays as written.
QString FormatText(const QString &pattern, std::initializer_list<QVariant> args);

// The main window, owner of every message box and file dialog; none in tests
// that build no window.
QWidget *AppWindow();
void SetAppWindow(QWidget *window);

// The caption of every message box and the window title with no document.
inline const char *AppTitle = "HPQuorvane 5";

// Maps the calculator font names that the settings hold, and the classic
// window fonts, to fonts that Debian ships, so that a stored font name keeps
// working. Called once at start, before any widget is made.
void InstallFontSubstitutions();
