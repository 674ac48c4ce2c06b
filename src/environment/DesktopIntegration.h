#pragma once

#include <QString>
#include <QStringList>

#include <vector>

// The program on a freedesktop desktop: its document types (shared MIME
// info), a desktop entry that opens them, and the launchers the environment
// options ask for. Everything here is best effort: a folder that cannot be
// written or a tool that is missing is skipped, and nothing is reported, as
// with the shell calls this stands in for.

// The folders of the user's desktop that the launchers and file types go to.
// Tests build one over a temporary tree.
struct DesktopPlaces
{
    QString dataHome;   // $XDG_DATA_HOME, or ~/.local/share
    QString configHome; // $XDG_CONFIG_HOME, or ~/.config
    QString desktop;    // xdg-user-dir DESKTOP, or ~/Desktop

    // From the environment and xdg-user-dir (when installed).
    static DesktopPlaces current();

    QString applications() const { return dataHome + "/applications"; }
    QString mimePackages() const { return dataHome + "/mime/packages"; }
    QString iconFolder(const QString &context) const; // hicolor/scalable/<context>
    // The file managers' "Send To" places: Nautilus, Nemo and Caja scripts,
    // and Dolphin's service menus, each whether it exists or not.
    QStringList sendToFolders() const;
};

// One document kind the program registers.
struct DocumentKind
{
    const char *extension;   // ".hpprg"
    const char *progId;      // "HPQuorvaneProgram"
    const char *description; // shown by file managers
    const char *englishDescription;
    const char *name;        // "program": the MIME type is application/x-hpquorvane-<name>
};
const std::vector<DocumentKind> &DocumentKinds();
QString MimeTypeOf(const DocumentKind &kind);
// The icon name of a MIME type: "/" becomes "-".
QString MimeIconName(const DocumentKind &kind);

// Texts of the files, built from the program's path (absolute).
QByteArray MimePackageXml();
// The desktop entry of the editor; with mimeTypes it opens the documents
// (the file types' handler), without it it is a launcher; hidden keeps it
// out of the menus. program is a path, or a bare name found on the PATH.
QByteArray DesktopEntry(const QString &program, bool withMimeTypes, bool hidden);
// A Send To script for Nautilus, Nemo and Caja: the selected files go to the
// editor, the first one is opened.
QByteArray SendToScript(const QString &program);
// Dolphin's service menu: "Open with HPQuorvane 5" on every file.
QByteArray DolphinServiceMenu(const QString &program);
// A value of a desktop entry's Exec key that runs program, whatever its path
// holds (blanks, quotes, dollars, backslashes, percent signs).
QString DesktopExecArgument(const QString &program);

// Names of the files this program writes.
inline constexpr const char *MimePackageName = "quorvane.xml";
inline constexpr const char *DocumentsEntryName = "quorvane-documents.desktop";
inline constexpr const char *LauncherName = "hpquorvane5.desktop";
inline constexpr const char *SendToScriptName = "HPQuorvane 5";
inline constexpr const char *AppIconName = "quorvane";

// Registers the document kinds for the user: the MIME package, the icons
// (from iconSource, the program's "icons" folder, when there), the desktop
// entry with MimeType=, then update-mime-database and update-desktop-database
// when installed. Returns whether every file was written.
bool AssociateFileTypes(const DesktopPlaces &places, const QString &program, const QString &iconSource);

// The launchers of the environment options. For each: on and missing, it is
// made; on and present, it is left as it is; off, it is deleted.
struct ShortcutChoice
{
    bool desktop = false;
    bool sendTo = false;
    bool applicationsMenu = false; // the Quick Launch option
};
void ApplyShortcuts(const DesktopPlaces &places, const ShortcutChoice &choice, const QString &program);

// Where each launcher lives (for tests and the note in the README).
QString DesktopLauncherPath(const DesktopPlaces &places);
QString MenuLauncherPath(const DesktopPlaces &places);
// One path per Send To folder; Dolphin's is a service menu.
QStringList SendToPaths(const DesktopPlaces &places);
