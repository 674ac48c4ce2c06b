#include "generators/GeneratorCommands.h"

#include "documents/DocumentEditor.h"
#include "calc/api/emu48dll.h"
#include "emulator/Emu48Proc.h"
#include "emulator/EmulatorLibrary.h"
#include "formats/CalcCharset.h"
#include "generators/DlgChoose.h"
#include "generators/DlgGrob.h"
#include "generators/DlgInform.h"
#include "generators/DlgInput.h"
#include "generators/DlgMatrix.h"
#include "shell/AppDialogs.h"
#include "shell/CommandHost.h"
#include "shell/Globals.h"
#include "shell/Language.h"

#include <QAction>
#include <QMessageBox>

GeneratorCommands::GeneratorCommands(CommandHost &host)
    : QObject(host.Window())
    , m_host(host)
    , m_run([](QDialog *dialog) { return dialog->exec(); })
    , m_try([](const QByteArray &code) { TryInCalculator(code); })
{
    const auto bind = [&](const char *name, void (GeneratorCommands::*handler)()) {
        connect(host.Action(QString::fromLatin1(name)), &QAction::triggered, this,
                [this, handler] { (this->*handler)(); });
    };
    bind("ToolsInput", &GeneratorCommands::ToolsInputExecute);
    bind("ToolsChoose", &GeneratorCommands::ToolsChooseExecute);
    bind("ToolsInform", &GeneratorCommands::ToolsInformExecute);
    bind("ToolsMatrixWriter", &GeneratorCommands::ToolsMatrixWriterExecute);
    bind("ToolsPicture", &GeneratorCommands::ToolsPictureExecute);
}

void GeneratorCommands::runAndInsert(QDialog *window, const std::function<GeneratedText()> &result)
{
    const int answer = m_run(window);
    const GeneratedText text = answer == QDialog::Accepted ? result() : GeneratedText();
    delete window;
    // The main window takes the keyboard back, also where no window manager
    // hands it over, so that its shortcuts work at once.
    m_host.Window()->activateWindow();
    if (!text.bytes.isEmpty())
        InsertGenerated(text);
    m_host.UpdateActions();
}

void GeneratorCommands::InsertGenerated(const GeneratedText &text)
{
    const bool plain = !text.bytes.contains('|') && !text.bytes.contains("%s");
    DocumentEditor *editor = m_host.ActiveEditor();
    if (plain || !editor) {
        m_host.InsertSnippet(text.withCaretMarker());
        return;
    }
    // The user's "|" and "%" travel as control characters that neither the
    // text nor the document holds, and are put back within the same edit.
    const QByteArray document = CalcCharset::encode(editor->text());
    QList<char> unused;
    for (char c = 1; c < 32 && unused.size() < 2; ++c) {
        if (c != '\t' && c != '\n' && c != '\r' && !text.bytes.contains(c) && !document.contains(c))
            unused << c;
    }
    if (unused.size() < 2) {
        m_host.InsertSnippet(text.withCaretMarker());
        return;
    }
    const char bar = unused[0];
    const char percent = unused[1];
    GeneratedText carried = text;
    carried.bytes.replace('|', bar);
    carried.bytes.replace('%', percent);

    editor->beginUndoAction();
    m_host.InsertSnippet(carried.withCaretMarker());
    int line = 0;
    int index = 0;
    editor->getCursorPosition(&line, &index);
    for (const auto &[stand, real] : {std::pair{bar, QStringLiteral("|")}, std::pair{percent, QStringLiteral("%")}}) {
        const QString find = QString(QChar(char16_t(stand)));
        bool found = editor->findFirst(find, false, true, false, true, true, 0, 0, false);
        while (found) {
            editor->replace(real);
            found = editor->findNext();
        }
    }
    editor->setCursorPosition(line, index);
    editor->endUndoAction();
}

void GeneratorCommands::connectTry(QObject *window)
{
    if (auto *generator = qobject_cast<TGeneratorDialog *>(window))
        connect(generator, &TGeneratorDialog::tryRequested, this, [this](const QByteArray &code) { m_try(code); });
}

void GeneratorCommands::ToolsInputExecute()
{
    auto *window = new TInputDialog(m_host.Window());
    connectTry(window);
    runAndInsert(window, [window] { return window->Result; });
}

void GeneratorCommands::ToolsChooseExecute()
{
    auto *window = new TChooseDialog(m_host.Window());
    connectTry(window);
    runAndInsert(window, [window] { return window->Result; });
}

void GeneratorCommands::ToolsInformExecute()
{
    auto *window = new TInformDialog(m_host.Window());
    connectTry(window);
    runAndInsert(window, [window] { return window->Result; });
}

void GeneratorCommands::ToolsMatrixWriterExecute()
{
    auto *window = new TMatrixDialog(m_host.Window());
    runAndInsert(window, [window] { return window->Result; });
}

void GeneratorCommands::ToolsPictureExecute()
{
    // Once Insert has made the text, the window closes as accepted however
    // it is closed (its unsaved-changes question may keep it open a while).
    auto *window = new TGrobDialog(m_host.Window());
    runAndInsert(window, [window] { return window->Result; });
}

bool GeneratorCommands::TryInCalculator(const QByteArray &code)
{
    if (EmuSession().EmulatorBusy) {
        ShowAppMessage(LanguageText("GeneratorWindows", "TryItBusy"), QMessageBox::Information);
        return false;
    }
    // A program still runs, or waits for the user (the last try's INPUT):
    // sending now would only wait for it, with the window frozen meanwhile.
    if (EmuSession().EmulatorRunning
        && !(Emu48().EmuGetRegister(EMU48_READY_REGISTER) & EMU48_READY_BIT)) {
        ShowEmulatorWindow(true);
        ShowAppMessage(LanguageText("GeneratorWindows", "TryItStillRunning"), QMessageBox::Information);
        return false;
    }
    // StartEmulator says itself why a calculator could not be made. The
    // window comes up first: while the code waits for its answer the
    // calculator is not ready, and the send waits a moment for it.
    if (!StartEmulator())
        return false;
    ShowEmulatorWindow(true);
    return SendCommandLine(code, true);
}
