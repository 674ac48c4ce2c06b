#pragma once

#include "flowchart/DiagramBuilder.h"
#include "flowchart/FlowchartRun.h"
#include "shell/MruList.h"

#include <QDialog>
#include <QHash>
#include <QUndoStack>

#include <functional>

class QDockWidget;
class QLabel;
class QMainWindow;
class QMenu;
class QScrollArea;
class QToolBar;
class RunWindowView;
class SettingsStore;
class TDiagramControl;

// The flowchart builder's window: menus, tool bar, the scrolling canvas, the
// docked run window "Ejecución" and a status bar. The main window opens one
// for each use, modally; when it closes after Insert code, Result() holds the
// program for the active document.
//
// The window is a dialog (so that it can be shown modally and its Esc key is
// its own) holding a main window widget for the menus, tool bar and dock.
class TDBuilderForm : public QDialog, public FlowInput
{
    Q_OBJECT
public:
    // How the window shows its own modal dialogs (the instruction editor,
    // the input of a Read): exec() unless a test answers instead.
    using ModalRunner = std::function<int(QDialog *)>;

    explicit TDBuilderForm(QWidget *parent = nullptr);
    ~TDBuilderForm() override;

    void SetModalRunner(ModalRunner run) { m_modal = std::move(run); }

    QAction *Action(const QString &name) const;
    TDiagram &Diagram() { return m_diagram; }
    TDiagramControl *Canvas() const { return m_canvas; }
    FlowchartRun &Run() { return m_run; }
    QUndoStack &UndoStack() { return m_undo; }
    RunWindowView *RunView() const { return m_runView; }
    QDockWidget *RunDock() const { return m_runDock; }
    QLabel *ModifiedPanel() const { return m_modifiedPanel; }
    QLabel *HintPanel() const { return m_hintPanel; }
    QMenu *RecentMenu() const { return m_recentMenu; }

    const QString &FileName() const { return m_fileName; }
    bool Modified() const;
    const QStringList &RecentFiles() const { return m_mru.items(); }
    // The program of Insert code (calculator bytes, "|" at the caret), or
    // empty.
    const QByteArray &Result() const { return m_result; }

    // Commands (the actions call these).
    bool FileNewExecute();
    void FileOpenExecute();
    bool FileSaveExecute();
    bool FileSaveAsExecute();
    void FileInsertExecute();
    void FileExitExecute();
    void FileExportExecute();
    void EditChangeExecute();
    void EditCutExecute();
    void EditCopyExecute();
    void EditPasteExecute();
    void EditDeleteExecute();
    void DiagramShapeExecute(int kind);
    void DiagramConnectExecute();
    void RunRunExecute();
    void RunStepExecute();
    void RunStopExecute();
    // The generated program run in the built-in calculator, beside the
    // flowchart's own run, for comparing the two.
    void RunCalculatorExecute();
    // The recent-file entry: New, then Open of that file without a dialog.
    void OpenRecent(const QString &path);

    // Opens path into the (empty) canvas; false after saying why.
    bool OpenFile(const QString &path, int failureMessage);
    // Whether the current drawing may go: asks while running or modified.
    bool DiscardCheck();

    // Enabling rule and title, recomputed after every change.
    void UpdateActions();
    void UpdateTitle();

    // Where the clipboard keeps a copied block.
    static const char *ClipboardFormat;

    // FlowInput: the Read blocks ask through TInputForm.
    bool AskValue(const QString &prompt, const QString &name, QString &answer) override;

public slots:
    void reject() override;

protected:
    void keyPressEvent(QKeyEvent *event) override;

private:
    void CreateActions();
    void CreateMenusAndBars();
    void LoadTexts();
    void ReadPlacement(const SettingsStore &store);
    void WritePlacement(SettingsStore &store) const;
    void UpdateRecentMenu();
    void ClearDiagram();
    void EditShape(TShapeCustomControl *shape);
    bool SaveTo(const QString &path);
    int RunModal(QDialog *dialog);
    QAction *AddAction(const QString &name, const QString &caption, const QString &hint,
                       const QKeySequence &shortcut = {});

    TDiagram m_diagram;
    FlowchartRun m_run{m_diagram};
    QUndoStack m_undo;
    QMainWindow *m_main;
    QScrollArea *m_scroll;
    TDiagramControl *m_canvas;
    QDockWidget *m_runDock;
    RunWindowView *m_runView;
    QToolBar *m_toolBar = nullptr;
    QMenu *m_recentMenu = nullptr;
    QAction *m_recentSeparator = nullptr;
    QLabel *m_modifiedPanel;
    QLabel *m_hintPanel;
    QHash<QString, QAction *> m_actions;
    QString m_fileName;
    QByteArray m_result;
    MruList m_mru{4};
    ModalRunner m_modal;
    bool m_closing = false;
};
