#pragma once

#include "documents/SearchState.h"
#include "shell/CommandHost.h"
#include "shell/MruList.h"

#include <QHash>
#include <QMainWindow>
#include <QPointer>

class CommandReferencePanels;
class DocumentEditor;
class DocumentPanel;
class EditingCommands;
class EmulatorCommands;
class InstanceServer;
class SettingsStore;
class QAction;
class QActionGroup;
class QDockWidget;
class QLabel;
class QMenu;
class QTableWidget;
class QToolBar;
class QUrl;
class TEditorDialog;
class TSynQuorvaneSyn;
class QTreeWidget;
class WindowTexts;

// The application's names for the settings and the version. No display name
// is set: Qt would append it to every window title ("HPQuorvane 5 - [a.hpe]
// — HPQuorvane 5").
void SetApplicationNames();

// Hands every file (none: only raises the window) to an editor already
// running; false when none runs, and the caller starts with the files itself.
bool HandOverToRunningEditor(const QStringList &files);

// The editor's main window: menus, the two tool bars, the left dock with the
// command tree, stack diagrams and symbols, the document tabs and the status
// bar. Every command is a QAction found by its name with Action(); the
// enabling rule runs whenever the state it depends on changes.
//
// Each subsystem plugs in through CommandHost: one XxxCommands(*this) made
// in connectCommands connects the handlers of the actions it owns and works
// on the selected document through ActiveEditor().
class TMainProgram : public QMainWindow, public CommandHost
{
    Q_OBJECT
public:
    explicit TMainProgram(QWidget *parent = nullptr);
    ~TMainProgram() override;

    // The command called name ("FileOpen", "InsertIf", "Lang3" ...). Every
    // name of the command table exists; asking for another one is a bug.
    QAction *Action(const QString &name) const override;
    QList<QAction *> actions() const;

    // The editor of the selected document, or none while no document is open.
    DocumentEditor *ActiveEditor() const override;
    DocumentPanel *Documents() const override { return m_documents; }
    QWidget *Window() override { return this; }
    MruList &RecentFiles() { return m_mru; }

    // The left panels, to be filled by the command reference.
    QDockWidget *CommandsBar() const { return m_commandsBar; }
    QDockWidget *StackBar() const { return m_stackBar; }
    QDockWidget *SymbolsBar() const { return m_symbolsBar; }
    QTreeWidget *TreeCommands() const { return m_treeCommands; }
    QTableWidget *StackViewIn() const { return m_stackViewIn; }
    QTableWidget *StackViewOut() const { return m_stackViewOut; }
    QTableWidget *SymbolGrid() const { return m_symbolGrid; }
    QToolBar *ToolBar() const { return m_toolBar; }
    QToolBar *InsertBar() const { return m_insertBar; }
    QMenu *PopupMenu() const { return m_popupMenu; }
    QMenu *LanguageMenu() const { return m_languageMenu; }
    QLabel *StatusPanel(int index) const;

    // What the window does once it is shown: open the file of the command line,
    // or a new document when the settings ask for one.
    void OpenStartupDocument(const QString &argument);
    // The same for every file of the command line, in order.
    void OpenStartupDocuments(const QStringList &files);
    // A file handed over by a second start; an empty one only raises the window.
    void ReceiveFile(const QString &argument);

    // The enabling rule, run at once (it also runs by itself whenever the
    // documents, the selection or the clipboard change).
    void UpdateActions() override;
    void ScheduleActionUpdate();

    // Inserts generated or template text (calculator bytes, CR LF line ends)
    // into the active document in place of its selection, as one undoable
    // edit: the first "%s" takes the selected text, the first "|" marks where
    // the caret goes, and blanks or line breaks keep it apart from its
    // neighbours. Does nothing while no document is open.
    void InsertSnippet(const QByteArray &text) override;
    // What the find and replace windows remember during this run; its search
    // text enables Find Next and Find Previous.
    SearchState &CurrentSearch();

    // Settings: read once at creation and written once at exit.
    void LoadSettings();
    void SaveSettings();
    void SaveSettings(SettingsStore &store);
    // Writes the store, telling the user when the file cannot be written.
    void ReportSettingsWrite(SettingsStore &store);

    // The one highlighter that every editor, the printing and the editor
    // options share.
    TSynQuorvaneSyn *Highlighter() const { return m_highlighter; }
    // The long-lived editor options window, made by the program entry.
    void SetEditorDialog(TEditorDialog *dialog);
    // The editor options as the settings hold them, to every open editor.
    void ApplyEditorOptions();
    // Window title and status panels 0 to 2 from the active document.
    void UpdateTitleAndStatus();

    // Captions and hints of the window, its menus and commands from the
    // language file, then the shared message and label texts. A missing file
    // is reported once and changes nothing.
    void LoadMainWindowTexts();
    // A language item was chosen: it becomes the language setting and every
    // text of the main window and the long-lived windows follows at once.
    void OptionsLanguageExecute(QAction *item);

    // The command reference of the left dock (tree, stack diagrams, symbols).
    CommandReferencePanels *CommandReference() const { return m_reference; }
    // Reads the stack diagrams of the model DefaultEmulator selects; at start
    // and again when the environment options are confirmed.
    void LoadStackDiagrams() override;

protected:
    void closeEvent(QCloseEvent *event) override;
    bool event(QEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    enum class Rule;
    struct ActionDef;

    void createActions();
    void createMenus();
    void createToolBars();
    void createDock();
    void createCommandReference();
    void createStatusBar();
    void connectCommands();
    QAction *addAction(const ActionDef &def);
    QToolBar *makeToolBar(const QString &name);
    void addSplitButton(QToolBar *bar, const QString &main, const QStringList &items);

    void ListLanguageFiles();
    void createLanguageTexts();
    void ApplyViewBars();
    void ViewBarExecute(QAction *toggle);
    void UpdateMruMenu();
    void ShowHint(const QString &hint);
    void OpenHelp(const QString &anchor);
    void OpenInBrowser(const QUrl &url);
    void Shutdown();

    void FileNewExecute();
    void FileOpenExecute();
    void FileSaveExecute();
    void FileSaveAsExecute();
    void FileCloseExecute();
    void FileCloseAllExecute();
    void ViewLineNumbersExecute();
    void OptionsEditorExecute();
    void HelpIndexExecute();

    QHash<QString, QAction *> m_actions;
    QHash<QAction *, Rule> m_rules;
    MruList m_mru;
    DocumentPanel *m_documents = nullptr;
    TSynQuorvaneSyn *m_highlighter = nullptr;
    QPointer<TEditorDialog> m_editorDialog;
    InstanceServer *m_instanceServer = nullptr;

    QMenu *m_fileMenu = nullptr;
    QMenu *m_newMenu = nullptr;
    QMenu *m_popupMenu = nullptr;
    QMenu *m_languageMenu = nullptr;
    QAction *m_mruSeparator = nullptr;
    QList<QAction *> m_mruActions;
    QActionGroup *m_languageGroup = nullptr;
    WindowTexts *m_windowTexts = nullptr; // section "MainProgram"
    WindowTexts *m_menuTexts = nullptr;   // section "Menus"

    QToolBar *m_toolBar = nullptr;
    QToolBar *m_insertBar = nullptr;
    QDockWidget *m_commandsBar = nullptr;
    QDockWidget *m_stackBar = nullptr;
    QDockWidget *m_symbolsBar = nullptr;
    QTreeWidget *m_treeCommands = nullptr;
    QTableWidget *m_stackViewIn = nullptr;
    QTableWidget *m_stackViewOut = nullptr;
    QTableWidget *m_symbolGrid = nullptr;
    CommandReferencePanels *m_reference = nullptr;
    EditingCommands *m_editing = nullptr;   // Edit, Search, Insert, new objects
    EmulatorCommands *m_emulator = nullptr; // Emulator menu, File Import and Export
    QLabel *m_statusPanels[4] = {};

    bool m_updatePending = false;
    bool m_settingBars = false;
    bool m_shutDown = false;
};
