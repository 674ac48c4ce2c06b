#include "documents/ConfirmDialog.h"
#include "documents/DocumentEditor.h"
#include "documents/DocumentPanel.h"
#include "documents/GoToDialog.h"
#include "documents/SearchDialog.h"
#include "documents/Snippets.h"
#include "formats/CalcCharset.h"
#include "shell/Globals.h"
#include "shell/ScriptedDialogs.h"
#include "shell/Settings.h"
#include "shell/SettingsStore.h"
#include "mainwindow/MainProgram.h"

#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QFile>
#include <QPushButton>
#include <QSpinBox>
#include <QTemporaryDir>
#include <QTimer>
#include <QtTest>

#include <functional>

namespace {

// Answers the modal windows that a command opens, one step per window, in
// order; a step gets the window and must close it (the confirmation window
// comes back for every question, so windows are not told apart by address).
class ModalScript : public QObject
{
public:
    using Step = std::function<void(QWidget *)>;

    explicit ModalScript(QList<Step> steps)
        : m_steps(std::move(steps))
    {
        m_timer.setInterval(5);
        connect(&m_timer, &QTimer::timeout, this, [this] {
            QWidget *modal = QApplication::activeModalWidget();
            if (!modal || m_steps.isEmpty())
                return;
            ++windows;
            m_steps.takeFirst()(modal);
        });
        m_timer.start();
    }

    int windows = 0;

private:
    QList<Step> m_steps;
    QTimer m_timer;
};

ModalScript::Step findWindow(const QString &what, const QString &with = QString())
{
    return [what, with](QWidget *window) {
        auto *dialog = qobject_cast<TSearchDialog *>(window);
        QVERIFY(dialog);
        dialog->searchCombo()->setEditText(what);
        if (dialog->replaceCombo())
            dialog->replaceCombo()->setEditText(with);
        dialog->accept();
    };
}

ModalScript::Step confirmWith(QPushButton *TConfirmDialog::*button, QList<QPoint> *placed = nullptr)
{
    return [button, placed](QWidget *window) {
        auto *dialog = qobject_cast<TConfirmDialog *>(window);
        QVERIFY(dialog);
        if (placed)
            placed->append(dialog->pos());
        (dialog->*button)->click();
    };
}

} // namespace

class TestEditingCommands : public QObject
{
    Q_OBJECT

private slots:
    void init()
    {
        QFile::remove(SettingsStore::userStorePath());
        Settings() = AppSettings::defaults();
        m_dialogs = new ScriptedDialogs;
        m_window = new TMainProgram;
        // After the window has read its language file.
        SetLabel(1, "Nuevo");
        SetMessage(1, "No se encontró el texto");
        SetMessage(4, "¿Reemplazar esta aparición de %s?");
        m_window->resize(900, 700);
        m_window->show();
    }

    void cleanup()
    {
        delete m_window;
        delete m_dialogs;
    }

    void aNewDocumentStartsWithTheHeaderAndItsCaretOnTheLastLine()
    {
        trigger("FileNew");
        DocumentEditor *editor = m_window->ActiveEditor();
        QVERIFY(editor);
        QCOMPARE(editor->documentBytes(), Snippets::newDocumentHeader().replace("|", ""));
        QCOMPARE(editor->caretLine(), 8);
        QCOMPARE(editor->caretColumn(), 1);
        // The template is no change of the user's: nothing to save yet.
        QVERIFY(!editor->isModified());
    }

    void aNewProgramHasItsDirectivesAndItsLocalFrame()
    {
        trigger("FileNewProgram");
        DocumentEditor *editor = m_window->ActiveEditor();
        QByteArray expected = Snippets::newDocumentHeader().replace("|", "");
        expected += "@ %NAME%=\r\n@ %DIR%=\r\n\r\n\xAB\r\n  \x8D \r\n  \xAB\r\n\r\n  \xBB\r\n\xBB";
        QCOMPARE(editor->documentBytes(), expected);
        QCOMPARE(editor->caretLine(), 12);
        QCOMPARE(editor->caretColumn(), 5);
        QCOMPARE(m_window->Documents()->NewDocumentCounter(), 2);
    }

    void aNewLibraryIsTheHeaderAndTheLibraryTemplate()
    {
        trigger("FileNewLibrary");
        DocumentEditor *editor = m_window->ActiveEditor();
        QByteArray expected = Snippets::newDocumentHeader().replace("|", "") +
                              Snippets::findInsertCommand("InsertLibrary")->text;
        QCOMPARE(editor->documentBytes(), expected.replace("|", ""));
        QCOMPARE(editor->caretLine(), 9);
        QCOMPARE(editor->caretColumn(), 3);
    }

    void everyInsertActionHasItsSnippetAndAPlaceOnScreen()
    {
        int insertActions = 0;
        for (QAction *action : m_window->actions()) {
            const QString name = action->objectName();
            if (!name.startsWith("Insert"))
                continue;
            ++insertActions;
            QVERIFY2(Snippets::findInsertCommand(name.toLatin1()), qPrintable(name));
            QVERIFY2(!action->associatedObjects().isEmpty(), qPrintable(name));
            QVERIFY2(!action->icon().isNull() || !action->iconText().isEmpty(), qPrintable(name));
        }
        QCOMPARE(insertActions, 32);
    }

    void anInsertCommandIsUndoneInOneStep()
    {
        openText("1 2 3");
        DocumentEditor *editor = m_window->ActiveEditor();
        editor->setCursorPosition(0, 3);
        trigger("InsertIfte");
        QCOMPARE(editor->documentBytes(),
                 QByteArray("1 2\r\nIF \r\nTHEN\r\n\r\nELSE\r\n\r\nEND\r\n 3"));
        trigger("EditUndo");
        QCOMPARE(editor->documentBytes(), QByteArray("1 2 3"));
    }

    void caseAndCommentCommandsWorkOnTheActiveEditor()
    {
        openText("\xAB dup \xBB\r\nswap");
        DocumentEditor *editor = m_window->ActiveEditor();
        editor->selectAll();
        trigger("EditToUpper");
        QCOMPARE(editor->documentBytes(), QByteArray("\xAB DUP \xBB\r\nSWAP"));
        editor->selectAll();
        trigger("EditComment");
        QCOMPARE(editor->documentBytes(), QByteArray("@\xAB DUP \xBB\r\n@SWAP"));
    }

    void transferCodesConvertBothWaysInOneUndoStep()
    {
        const QByteArray characters = "%%HP: T(0)A(D)F(.);\r\n\xAB \x8D a \xAB a \x85 \xBB \xBB\r\n\"a\\b\"";
        const QByteArray codes = "%%HP: T(3)A(D)F(.);\r\n\\<< \\-> a \\<< a \\GS \\>> \\>>\r\n\"a\\b\"";
        openText(characters);
        DocumentEditor *editor = m_window->ActiveEditor();
        m_window->UpdateActions();
        trigger("EditTransferCodes");
        QCOMPARE(editor->documentBytes(), codes); // the header asks for the translation back
        trigger("EditTransferCodes");
        QCOMPARE(editor->documentBytes(), QByteArray(characters).replace("T(0)", "T(3)"));
        trigger("EditUndo");
        QCOMPARE(editor->documentBytes(), codes);
        trigger("EditUndo");
        QCOMPARE(editor->documentBytes(), characters);
    }

    void findThenFindNextWalksThroughTheMatches()
    {
        openText("DUP SWAP dup");
        DocumentEditor *editor = m_window->ActiveEditor();
        editor->setCursorPosition(0, 12);
        QVERIFY(!m_window->Action("SearchFindNext")->isEnabled());
        {
            ModalScript script({findWindow("dup")});
            trigger("SearchFind");
            QCOMPARE(script.windows, 1);
        }
        // The first search ran over the whole text, not from the caret.
        QCOMPARE(selected(), QByteArray("DUP"));
        QCOMPARE(editor->caretColumn(), 4);
        m_window->UpdateActions();
        QVERIFY(m_window->Action("SearchFindNext")->isEnabled());

        trigger("SearchFindNext");
        QCOMPARE(selected(), QByteArray("dup"));
        trigger("SearchFindPrev");
        QCOMPARE(selected(), QByteArray("DUP"));
        QVERIFY(m_dialogs->messages.isEmpty());

        trigger("SearchFindPrev");
        QCOMPARE(m_dialogs->messages.size(), 1);
        QCOMPARE(m_dialogs->messages.first().text, QString("No se encontró el texto"));
        QCOMPARE(m_dialogs->messages.first().icon, QMessageBox::Information);
        QVERIFY(!editor->hasSelectedText());
        QCOMPARE(editor->caretColumn(), 1);
    }

    void yesToAllReplacesEveryMatchAfterOneQuestion()
    {
        openText("a\r\na a\r\na");
        DocumentEditor *editor = m_window->ActiveEditor();
        QList<QPoint> placed;
        ModalScript script({findWindow("a", QStringLiteral("\u2192")),
                            confirmWith(&TConfirmDialog::ReplaceAll, &placed)});
        trigger("SearchReplace");
        QCOMPARE(script.windows, 2);
        QCOMPARE(editor->documentBytes(), QByteArray("\x8D\r\n\x8D \x8D\r\n\x8D"));
        // The first match is high up in the window: the question sits below its line.
        QCOMPARE(placed.size(), 1);
        const QPoint match = editor->viewport()->mapToGlobal(QPoint(0, 0));
        QVERIFY(placed.first().y() > match.y());
        QVERIFY(m_dialogs->messages.isEmpty());

        trigger("EditUndo");
        QCOMPARE(editor->documentBytes(), QByteArray("a\r\na a\r\na"));
    }

    void skipAndCancelLeaveTheRestAlone()
    {
        openText("x x x");
        ModalScript script({findWindow("x", "y"),
                            confirmWith(&TConfirmDialog::Skip),
                            confirmWith(&TConfirmDialog::Replace),
                            confirmWith(&TConfirmDialog::Cancel)});
        trigger("SearchReplace");
        QCOMPARE(script.windows, 4);
        QCOMPARE(m_window->ActiveEditor()->documentBytes(), QByteArray("x y x"));
    }

    void replacingATextWithItselfAsksNothing()
    {
        openText("x x");
        ModalScript script({findWindow("x", "x"), confirmWith(&TConfirmDialog::Replace)});
        trigger("SearchReplace");
        QCOMPARE(script.windows, 1);
        QCOMPARE(m_window->ActiveEditor()->documentBytes(), QByteArray("x x"));
        QVERIFY(m_dialogs->messages.isEmpty());
        QVERIFY(!m_window->ActiveEditor()->isUndoAvailable());
    }

    void goingToALinePastTheEndLandsOnTheLastLine()
    {
        openText("one\r\ntwo\r\nthree");
        DocumentEditor *editor = m_window->ActiveEditor();
        editor->setCursorPosition(0, 2);
        ModalScript script({[](QWidget *window) {
            auto *dialog = qobject_cast<TGoToDialog *>(window);
            QVERIFY(dialog);
            QCOMPARE(dialog->LineNumber->value(), 1);
            dialog->setLine(99);
            dialog->accept();
        }});
        trigger("SearchGoTo");
        QCOMPARE(editor->caretLine(), 3);
        QCOMPARE(editor->caretColumn(), 3);
    }

private:
    void trigger(const char *action)
    {
        m_window->UpdateActions();
        QAction *a = m_window->Action(action);
        QVERIFY2(a->isEnabled(), action);
        a->trigger();
    }

    void openText(const QByteArray &bytes)
    {
        const QString path = m_dir.filePath("doc.hpe");
        QFile file(path);
        QVERIFY(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
        file.write(bytes);
        file.close();
        QVERIFY(m_window->Documents()->OpenDocument(path, true));
    }

    QByteArray selected() const
    {
        return CalcCharset::encode(m_window->ActiveEditor()->selectedText());
    }

    QTemporaryDir m_dir;
    TMainProgram *m_window = nullptr;
    ScriptedDialogs *m_dialogs = nullptr;
};

QTEST_MAIN(TestEditingCommands)
#include "tst_editingcommands.moc"
