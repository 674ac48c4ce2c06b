#pragma once

#include "generators/GeneratedText.h"

#include <QByteArray>
#include <QObject>

#include <functional>

class CommandHost;
class QDialog;

// The Tools menu's program generators (INPUT, CHOOSE, INFORM, the matrix
// writer and the picture editor): each command opens its window modally over
// the main window and, when it closes with OK (Insert), puts the code it made
// at the caret of the active document through InsertSnippet. Cancel, Esc and
// the close box insert nothing. The windows' "Try it" buttons run
// their code in the built-in calculator.
class GeneratorCommands : public QObject
{
    Q_OBJECT
public:
    // How a modal window is shown: exec() unless a test answers instead.
    using ModalRunner = std::function<int(QDialog *)>;
    // What "Try it" does with the code (without its caret marker); the
    // calculator unless a test records it instead.
    using TryRunner = std::function<void(const QByteArray &)>;

    explicit GeneratorCommands(CommandHost &host);

    void ToolsInputExecute();
    void ToolsChooseExecute();
    void ToolsInformExecute();
    void ToolsMatrixWriterExecute();
    void ToolsPictureExecute();

    void setModalRunner(ModalRunner run) { m_run = std::move(run); }
    void setTryRunner(TryRunner run) { m_try = std::move(run); }

    // Shows window modally; after OK, inserts result() into the active
    // document. The window is freed either way. Every generator command goes
    // through here.
    void runAndInsert(QDialog *window, const std::function<GeneratedText()> &result);

    // Puts generated text at the caret of the active document as one
    // undoable edit, the caret where the text says. A "|" or "%s" that the
    // user typed into a field stays as typed: InsertSnippet would take the
    // first for the caret marker and the second for the selection.
    void InsertGenerated(const GeneratedText &text);

    // Sends code to the built-in calculator as a command line and runs it,
    // showing the calculator's window, so that the user sees and answers
    // what the code asks. The document is never touched. False, after a
    // message that says why, when the calculator cannot take it.
    static bool TryInCalculator(const QByteArray &code);

private:
    // Connects a generator window's "Try it" to the try runner.
    void connectTry(QObject *window);

    CommandHost &m_host;
    ModalRunner m_run;
    TryRunner m_try;
};
