#include "documents/EditingCommands.h"

#include "documents/ConfirmDialog.h"
#include "documents/DocumentEditor.h"
#include "documents/DocumentPanel.h"
#include "documents/EditorOperations.h"
#include "documents/GoToDialog.h"
#include "documents/SearchDialog.h"
#include "documents/Snippets.h"
#include "formats/CalcCharset.h"
#include "shell/AppDialogs.h"
#include "shell/CommandHost.h"
#include "shell/Globals.h"

#include <QAction>
#include <QLabel>

#include <memory>

EditingCommands::EditingCommands(CommandHost &host)
    : QObject(host.Window())
    , m_host(host)
{
    const auto Action = [&host](const QString &name) { return host.Action(name); };
    // Every untitled document starts with the transfer header and the
    // author lines.
    connect(host.Documents(), &DocumentPanel::newDocumentCreated, this, [](DocumentEditor *editor) {
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
                [this, text] { m_host.InsertSnippet(text); });
    }

    const auto onEditor = [this, &Action](const char *action, auto operation) {
        connect(Action(QString::fromLatin1(action)), &QAction::triggered, this, [this, operation] {
            if (DocumentEditor *editor = m_host.ActiveEditor()) {
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
    onEditor("EditTransferCodes", [](DocumentEditor *e) { EditorOperations::convertTransferCodes(e); });

    connect(
        Action("SearchFind"), &QAction::triggered, this, [this] { SearchWindowExecute(false); });
    connect(
        Action("SearchReplace"), &QAction::triggered, this, [this] { SearchWindowExecute(true); });
    connect(
        Action("SearchFindNext"), &QAction::triggered, this, [this] { SearchAgainExecute(false); });
    connect(
        Action("SearchFindPrev"), &QAction::triggered, this, [this] { SearchAgainExecute(true); });
    connect(Action("SearchGoTo"), &QAction::triggered, this, &EditingCommands::SearchGoToExecute);
}

void EditingCommands::FileNewObjectExecute(const QString &action)
{
    const Snippets::NewDocumentCommand *command =
        Snippets::findNewDocumentCommand(action.toLatin1());
    Q_ASSERT(command);
    m_host.Documents()->NewDocument();
    if (!command->directives.isEmpty())
        m_host.InsertSnippet(command->directives);
    if (*command->followUp) {
        // The enabling rule runs when the window is idle; the follow-up must
        // see the new document now.
        m_host.UpdateActions();
        m_host.Action(QString::fromLatin1(command->followUp))->trigger();
    }
}

void EditingCommands::SearchWindowExecute(bool replace)
{
    if (!m_host.ActiveEditor())
        return;
    QWidget *window = m_host.Window();
    std::unique_ptr<TSearchDialog> dialog(replace ? new TReplaceDialog(window)
                                                  : new TSearchDialog(window));
    dialog->readState(m_search);
    if (dialog->exec() != QDialog::Accepted)
        return;
    dialog->writeState(m_search);
    dialog.reset();

    m_search.continueFromCaret = m_search.fromCursor;
    m_host.UpdateActions(); // Find Next follows the search text
    if (m_search.searchText.isEmpty())
        return;
    RunSearch(replace, m_search.backwards);
    m_search.continueFromCaret = true;
}

void EditingCommands::SearchAgainExecute(bool backwards)
{
    if (m_search.searchText.isEmpty())
        return;
    RunSearch(false, backwards);
}

void EditingCommands::RunSearch(bool replace, bool backwards)
{
    DocumentEditor *editor = m_host.ActiveEditor();
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
            confirmation = std::make_unique<TConfirmDialog>(m_host.Window());
        const QString question = FormatText(Message(MsgReplaceOccurrence), {m_search.searchText});
        confirmation->LabelConfirmation->setText(question);
        confirmation->adjustSize();
        const QWidget *window = m_host.Window();
        const QRect client(window->mapToGlobal(QPoint(0, 0)), window->size());
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
        ShowAppMessage(Message(MsgTextNotFound), QMessageBox::Information);
    editor->setFocus();
}

void EditingCommands::SearchGoToExecute()
{
    DocumentEditor *editor = m_host.ActiveEditor();
    if (!editor)
        return;
    TGoToDialog dialog(m_host.Window());
    dialog.setLine(editor->caretLine());
    if (dialog.exec() == QDialog::Accepted)
        EditorOperations::goToLine(editor, dialog.line());
    editor->setFocus();
}
