#include "emulator/EmulatorCommands.h"

#include "documents/DocumentEditor.h"
#include "documents/DocumentPanel.h"
#include "documents/EditorOperations.h"
#include "emulator/Emu48Proc.h"
#include "emulator/KeyPressThread.h"
#include "emulator/ParamDialog.h"
#include "emulator/StatusDialog.h"
#include "formats/CalcCharset.h"
#include "formats/HPUtils.h"
#include "shell/AppDialogs.h"
#include "shell/CommandHost.h"
#include "shell/Globals.h"

#include <QAction>
#include <QDir>
#include <QFileInfo>
#include <QLineEdit>
#include <QWidget>

namespace {

// The window stays disabled, and the status window up, for exactly as long
// as a conversion runs, whatever way it ends.
class ConversionScope
{
public:
    ConversionScope(QWidget *window, const QString &caption, const QString &source, const QString &target)
        : m_window(window)
        , m_status(window)
    {
        m_status.SetStatus(caption, source, target);
        m_status.show();
        m_status.repaint();
        if (m_window)
            m_window->setEnabled(false);
        // The status window must not be disabled with its owner.
        m_status.setEnabled(true);
    }
    ~ConversionScope() { end(); }
    void end()
    {
        if (m_window)
            m_window->setEnabled(true);
        m_status.close();
    }

private:
    QWidget *m_window;
    TStatusDialog m_status;
};

} // namespace

EmulatorCommands::EmulatorCommands(CommandHost &host)
    : QObject(host.Window())
    , m_host(host)
    , m_window(host.Window())
    , m_documents(host.Documents())
{
    const auto bind = [&](const char *name, void (EmulatorCommands::*handler)()) {
        connect(host.Action(QString::fromLatin1(name)), &QAction::triggered, this, [this, handler] { (this->*handler)(); });
    };
    bind("EmuRun", &EmulatorCommands::EmuRunExecute);
    bind("EmuSend", &EmulatorCommands::EmuSendExecute);
    bind("EmuProgramRun", &EmulatorCommands::EmuProgramRunExecute);
    bind("EmuProgramParam", &EmulatorCommands::EmuProgramParamExecute);
    bind("EmuProgramStep", &EmulatorCommands::EmuProgramStepExecute);
    bind("EmuStop", &EmulatorCommands::EmuStopExecute);
    bind("EmuProgramBreak", &EmulatorCommands::EmuProgramBreakExecute);
    bind("EmuClearBreak", &EmulatorCommands::EmuClearBreakExecute);
    bind("FileImport", &EmulatorCommands::FileImportExecute);
    bind("FileExport", &EmulatorCommands::FileExportExecute);
    connect(m_documents, &DocumentPanel::gutterClicked, this, &EmulatorCommands::GutterClicked);
}

EmulatorCommands::~EmulatorCommands()
{
    CloseEmulator();
}

void EmulatorCommands::EmuRunExecute()
{
    StartEmulator();
    WaitEmulatorReady();
    ShowEmulatorWindow(true);
}

namespace {

// A message with the reason the text did not reach the calculator, when
// there is one.
QString withSendFailure(const QString &message)
{
    const QString &reason = EmuSession().SendFailure;
    return reason.isEmpty() ? message : message + QStringLiteral("\n\n") + reason;
}

} // namespace

bool EmulatorCommands::SendDocument(const QByteArray &text, bool forStep)
{
    const bool sent = SendCommandLine(StoreText(text, ReadDirectives(text), forStep), false);
    if (sent)
        ShowEmulatorWindow(true);
    else
        ShowAppMessage(withSendFailure(Message(MsgSendToEmulatorFailed)), QMessageBox::Critical);
    return sent;
}

void EmulatorCommands::EmuSendExecute()
{
    if (DocumentEditor *editor = m_documents->ActiveEditor())
        SendDocument(editor->textWithCrLf(), false);
}

void EmulatorCommands::EmuProgramRunExecute()
{
    DocumentEditor *editor = m_documents->ActiveEditor();
    if (!editor)
        return;
    const int index = m_documents->ActiveDocument();
    const QByteArray text = editor->textWithCrLf();
    // Without a calculator, or with a text it never got, the run would only
    // repeat the error just shown.
    if (ReadDirectives(text).found && !SendDocument(text, false)
        && (!EmuSession().EmulatorRunning || !EmuSession().SendFailure.isEmpty()))
        return;
    if (!RunProgram(text,
                    CalcCharset::encode(m_documents->programParameters(index)),
                    m_documents->breakpointLine(index) + 1))
        ShowAppMessage(withSendFailure(Message(MsgSendToEmulatorFailed)), QMessageBox::Critical);
}

void EmulatorCommands::EmuProgramParamExecute()
{
    if (!m_documents->ActiveEditor())
        return;
    const int index = m_documents->ActiveDocument();
    TParamDialog dialog(m_window);
    dialog.Param->setText(m_documents->programParameters(index));
    if (dialog.exec() == QDialog::Accepted)
        m_documents->setProgramParameters(index, dialog.Param->text());
}

void EmulatorCommands::EmuProgramStepExecute()
{
    DocumentEditor *editor = m_documents->ActiveEditor();
    if (!editor)
        return;
    const QByteArray text = editor->textWithCrLf();
    if (ReadDirectives(text).found && !SendDocument(text, true)
        && (!EmuSession().EmulatorRunning || !EmuSession().SendFailure.isEmpty()))
        return;
    if (!StepProgram(text, CalcCharset::encode(m_documents->programParameters(m_documents->ActiveDocument()))))
        ShowAppMessage(withSendFailure(Message(MsgSendToEmulatorFailed)), QMessageBox::Critical);
}

void EmulatorCommands::EmuStopExecute()
{
    // What the calculator's own ON key does to a running program; without a
    // calculator there is nothing to stop.
    if (EmuSession().EmulatorRunning)
        PressKeys(QByteArray(1, OnKey));
}

void EmulatorCommands::EmuProgramBreakExecute()
{
    DocumentEditor *editor = m_documents->ActiveEditor();
    if (!editor)
        return;
    const int line = editor->caretLine() - 1;
    if (TrimCalc(EditorOperations::lineBytes(editor, line)).isEmpty())
        return;
    const int index = m_documents->ActiveDocument();
    m_documents->setBreakpointLine(index, m_documents->breakpointLine(index) == line ? -1 : line);
    m_host.UpdateActions();
}

void EmulatorCommands::EmuClearBreakExecute()
{
    m_documents->setBreakpointLine(m_documents->ActiveDocument(), -1);
    m_host.UpdateActions();
}

void EmulatorCommands::GutterClicked(DocumentEditor *editor, int)
{
    // The editor has put the caret on the clicked line already.
    if (editor == m_documents->ActiveEditor() && IsProgramText(editor->textWithCrLf()))
        EmuProgramBreakExecute();
}

void EmulatorCommands::FileImportExecute()
{
    FileDialogOptions options;
    options.title = Label(LblImportTitle);
    options.filter = Label(LblFilterBinaryObjects);
    options.defaultExtension = QStringLiteral("hp");
    const FileDialogResult chosen = Dialogs().openFile(options);
    if (!chosen.accepted)
        return;
    QByteArray text;
    {
        ConversionScope scope(m_window, Label(LblImporting), chosen.path, Label(LblNewDocument));
        text = ObjectFileToText(chosen.path);
    }
    if (text.isEmpty()) {
        ShowAppMessage(Message(MsgImportFailed), QMessageBox::Critical);
        return;
    }
    m_documents->NewDocument();
    DocumentEditor *editor = m_documents->ActiveEditor();
    if (!editor)
        return;
    // The header template of a new document goes; only the object's text stays.
    editor->clear();
    QByteArray lines = text;
    lines.replace("\r\n", "\n");
    lines.replace('\n', DocumentText::lineEndBytes(editor->lineEnd()));
    editor->insert(CalcCharset::decode(lines));
}

void EmulatorCommands::FileExportExecute()
{
    DocumentEditor *editor = m_documents->ActiveEditor();
    if (!editor || editor->isDocumentEmpty())
        return;
    const QString fileName = m_documents->fileName(m_documents->ActiveDocument());
    FileDialogOptions options;
    options.title = Label(LblExportTitle);
    options.filter = Label(LblFilterBinaryObjects);
    // The object goes beside its source under the same name with ".hp": the
    // source's own name would let Enter replace the program with a binary.
    const QFileInfo source(fileName);
    QString proposal = source.completeBaseName() + QStringLiteral(".hp");
    if (proposal == source.fileName())
        proposal = source.fileName() + QStringLiteral(".hp");
    options.fileName = source.isAbsolute() ? source.dir().filePath(proposal) : proposal;
    options.defaultExtension = QStringLiteral("hp");
    const FileDialogResult chosen = Dialogs().saveFile(options);
    if (!chosen.accepted)
        return;
    bool exported = false;
    {
        ConversionScope scope(m_window, Label(LblExporting), fileName, chosen.path);
        exported = TextToObjectFile(chosen.path, editor->textWithCrLf());
    }
    if (!exported)
        ShowAppMessage(withSendFailure(Message(MsgExportFailed)), QMessageBox::Critical);
}
