#pragma once

#include <QMessageBox>
#include <QString>
#include <QStringList>

// The one seam through which the editor asks the user anything modal: message
// boxes and the open and save file dialogs. The real service shows Qt's
// dialogs; tests install a ScriptedDialogs that answers from a script and
// records what was asked, so that no test ever waits on a modal window.

struct FileDialogOptions
{
    QString title;
    // Entries as the language files write them: description and pattern
    // alternating, joined with "|" ("Programs (*.hpprg)|*.hpprg|All|*.*").
    QString filter;
    int filterIndex = 1; // 1-based entry pre-selected
    QString fileName;    // proposed name (may hold a folder)
    QString defaultExtension; // without the dot; added to a name typed without one
};

struct FileDialogResult
{
    bool accepted = false;
    QString path;
    int filterIndex = 1; // 1-based entry the user had selected
};

class DialogService
{
public:
    virtual ~DialogService() = default;
    virtual QMessageBox::StandardButton message(const QString &text,
                                                QMessageBox::Icon icon,
                                                QMessageBox::StandardButtons buttons)
        = 0;
    // Only an existing file may be chosen.
    virtual FileDialogResult openFile(const FileDialogOptions &options) = 0;
    // Asks before overwriting; the folder must exist.
    virtual FileDialogResult saveFile(const FileDialogOptions &options) = 0;
};

// The service in force: the scripted one while a test has installed it, else
// the real dialogs.
DialogService &Dialogs();
// Installs a service (nullptr goes back to the real dialogs).
void SetDialogService(DialogService *service);

// The editor's one message box: modal, owned by the main window, caption
// "HPQuorvane 5". Returns the button pressed. Error icon for failures,
// information for "not found", warning with Yes/No/Cancel for "save changes?".
QMessageBox::StandardButton ShowAppMessage(const QString &text,
                                           QMessageBox::Icon icon = QMessageBox::Information,
                                           QMessageBox::StandardButtons buttons = QMessageBox::Ok);

// "desc|pattern|desc|pattern" to Qt's name filters "desc (pattern)".
QStringList QtNameFilters(const QString &filter);
