#pragma once

#include <QObject>
#include <QPointer>

class CommandHost;
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
    // Connects the actions; the host's window is disabled while an import
    // or export converts, and its enabling rule runs after a breakpoint change.
    explicit EmulatorCommands(CommandHost &host);
    // Stops and destroys the calculator, whether or not one was made.
    ~EmulatorCommands() override;

    void EmuRunExecute();
    void EmuSendExecute();
    void EmuProgramRunExecute();
    void EmuProgramParamExecute();
    void EmuProgramStepExecute();
    // Interrupts the program the calculator runs, as its ON key does.
    void EmuStopExecute();
    void EmuProgramBreakExecute();
    void EmuClearBreakExecute();
    void FileImportExecute();
    void FileExportExecute();
    // A click in the gutter of a document's editor (0-based line).
    void GutterClicked(DocumentEditor *editor, int line);

private:
    // Sends the document with the commands that store it; Message7 on failure.
    bool SendDocument(const QByteArray &text, bool forStep);

    CommandHost &m_host;
    QPointer<QWidget> m_window;
    DocumentPanel *m_documents;
};
