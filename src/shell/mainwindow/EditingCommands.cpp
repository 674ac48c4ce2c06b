// The Edit, Search and Insert commands of the main window and the commands
// that open a new object of a given kind. Each one acts on the active
// document's editor; the text rules live in src/documents.

#include "shell/mainwindow/MainProgram.h"

#include "documents/ConfirmDialog.h"
#include "documents/DocumentEditor.h"
#include "documents/DocumentPanel.h"
#include "documents/EditorOperations.h"
#include "documents/GoToDialog.h"
#include "documents/SearchDialog.h"
#include "documents/Snippets.h"
#include "formats/CalcCharset.h"
#include "shell/AppDialogs.h"
#include "shell/Globals.h"

#include <QAction>
#include <QLabel>

#include <memory>

void TMainProgram::connectEditingCommands()
{
    // Every untitled document starts with the transfer header and the
    // author lines.
    connect(m_documents, &DocumentPanel::newDocumentCreated, this, [](DocumentEditor *editor) {
        EditorOperations::insertSnippet(editor, Snippets::newDocumentHeader());
    });
    for (const Snippets::NewDocumentCommand &command : Snippets::newDocumentCommands()) {
        const QString action = QString::fromLatin1(command.action);
        if (action != QLatin1String("FileNew")) // FileNew has its own handler
            connect(Action(action), &QAction::triggered, this, [this, action] {
                FileNewObjectExecute(action);
            });
    }
    for (const Snippets::InsertCommand &command : Snippets::insertCommands()) {
        const QByteArray text = command.text;
        connect(Action(QString::fromLatin1(command.action)),
                &QAction::triggered,
                this,
                [this, text] { InsertSnippet(text); });
    }

    const auto onEditor = [this](const char *action, auto operation) {
        connect(Action(QString::fromLatin1(action)), &QAction::triggered, this, [this, operation] {
            if (DocumentEditor *editor = ActiveEditor()) {
                operation(editor);
                editor->setFocus();
            }
        });
    };
    onEditor("EditUndo", [](DocumentEditor *e) { e->undo(); });
    onEditor("EditRedo", [](DocumentEditor *e) { e->redo(); });
    onEditor("EditCut", [](DocumentEditor *e) { e->cut(); });
    onEditor("EditCopy", [](DocumentEditor *e) { e->copy(); });
    onEditor("EditPaste", [](DocumentEditor *e) { e->paste(); });
    onEditor("EditSelectAll", [](DocumentEditor *e) { e->selectAll(); });
    onEditor("EditToUpper", [](DocumentEditor *e) { EditorOperations::changeCase(e, true); });
    onEditor("EditToLower", [](DocumentEditor *e) { EditorOperations::changeCase(e, false); });
    onEditor("EditComment", [](DocumentEditor *e) { EditorOperations::toggleComment(e); });

    connect(
        Action("SearchFind"), &QAction::triggered, this, [this] { SearchWindowExecute(false); });
    connect(
        Action("SearchReplace"), &QAction::triggered, this, [this] { SearchWindowExecute(true); });
    connect(
        Action("SearchFindNext"), &QAction::triggered, this, [this] { SearchAgainExecute(false); });
    connect(
        Action("SearchFindPrev"), &QAction::triggered, this, [this] { SearchAgainExecute(true); });
    connect(Action("SearchGoTo"), &QAction::triggered, this, &TMainProgram::SearchGoToExecute);
}

void TMainProgram::InsertSnippet(const QByteArray &text)
{
    DocumentEditor *editor = ActiveEditor();
    if (!editor)
        return;
    EditorOperations::insertSnippet(editor, text);
    editor->setFocus();
}

void TMainProgram::FileNewObjectExecute(const QString &action)
{
    const Snippets::NewDocumentCommand *command =
        Snippets::findNewDocumentCommand(action.toLatin1());
    Q_ASSERT(command);
    m_documents->NewDocument();
    if (!command->directives.isEmpty())
        InsertSnippet(command->directives);
    if (*command->followUp) {
        // The enabling rule runs when the window is idle; the follow-up must
        // see the new document now.
        UpdateActions();
        Action(QString::fromLatin1(command->followUp))->trigger();
    }
}

void TMainProgram::SearchWindowExecute(bool replace)
{
    if (!ActiveEditor())
        return;
    std::unique_ptr<TSearchDialog> dialog(replace ? new TReplaceDialog(this)
                                                  : new TSearchDialog(this));
    dialog->readState(m_search);
    if (dialog->exec() != QDialog::Accepted)
        return;
    dialog->writeState(m_search);
    dialog.reset();

    m_search.continueFromCaret = m_search.fromCursor;
    setSearchTextEntered(!m_search.searchText.isEmpty());
    if (m_search.searchText.isEmpty())
        return;
    RunSearch(replace, m_search.backwards);
    m_search.continueFromCaret = true;
}

void TMainProgram::SearchAgainExecute(bool backwards)
{
    if (m_search.searchText.isEmpty())
        return;
    RunSearch(false, backwards);
}

void TMainProgram::RunSearch(bool replace, bool backwards)
{
    DocumentEditor *editor = ActiveEditor();
    if (!editor)
        return;
    // The windows accept only characters the calculator has, so the texts
    // map to bytes unchanged.
    TextSearch::Request request;
    request.what = CalcCharset::encode(m_search.searchText);
    request.with = CalcCharset::encode(m_search.replaceText);
    request.replace = replace;
    request.options = m_search.options(backwards);

    EditorOperations::EditorSearchTarget target(editor);
    // One confirmation window serves the whole run and goes with it.
    std::unique_ptr<TConfirmDialog> confirmation;
    const auto confirm = [&](TextSearch::Range match) {
        if (!confirmation)
            confirmation = std::make_unique<TConfirmDialog>(this);
        const QString question = FormatText(Message(4), {m_search.searchText});
        confirmation->LabelConfirmation->setText(question);
        confirmation->adjustSize();
        const QRect client(mapToGlobal(QPoint(0, 0)), size());
        confirmation->move(confirmWindowPosition(client,
                                                 confirmation->frameGeometry().size(),
                                                 target.screenPosition(match.start),
                                                 target.lineHeight(match.start)));
        return confirmation->ask(question);
    };

    editor->beginUndoAction();
    const TextSearch::Outcome outcome = TextSearch::run(target, request, confirm);
    editor->endUndoAction();
    confirmation.reset();
    if (outcome.found == 0)
        ShowAppMessage(Message(1), QMessageBox::Information);
    editor->setFocus();
}

void TMainProgram::SearchGoToExecute()
{
    DocumentEditor *editor = ActiveEditor();
    if (!editor)
        return;
    TGoToDialog dialog(this);
    dialog.setLine(editor->caretLine());
    if (dialog.exec() == QDialog::Accepted)
        EditorOperations::goToLine(editor, dialog.line());
    editor->setFocus();
}
