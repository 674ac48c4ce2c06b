#pragma once

#include <QObject>
#include <QPointer>

#include <functional>

class DocumentEditor;
class DocumentPanel;
class QAction;
class QWidget;

// The commands of the Emulator menu, and File Import and Export, which go
// through the calculator too. The main window owns the actions (captions,
// shortcuts, enabling rule); this object connects their handlers and works
// on the selected document through the document panel.
class EmulatorCommands : public QObject
{
    Q_OBJECT
public:
    using ActionLookup = std::function<QAction *(const QString &name)>;

    // window: the main window, disabled while an import or export converts.
    // updateActions runs the window's enabling rule after a breakpoint change.
    EmulatorCommands(QWidget *window,
                     DocumentPanel *documents,
                     const ActionLookup &action,
                     std::function<void()> updateActions);
    // Stops and destroys the calculator, whether or not one was made.
    ~EmulatorCommands() override;

    void EmuRunExecute();
    void EmuSendExecute();
    void EmuProgramRunExecute();
    void EmuProgramParamExecute();
    void EmuProgramStepExecute();
    void EmuProgramBreakExecute();
    void EmuClearBreakExecute();
    void FileImportExecute();
    void FileExportExecute();
    // A click in the gutter of a document's editor (0-based line).
    void GutterClicked(DocumentEditor *editor, int line);

private:
    // Sends the document with the commands that store it; Message7 on failure.
    bool SendDocument(const QByteArray &text, bool forStep);

    QPointer<QWidget> m_window;
    DocumentPanel *m_documents;
    std::function<void()> m_updateActions;
};
