#include "documents/ConfirmDialog.h"
#include "documents/GoToDialog.h"
#include "documents/SearchDialog.h"
#include "shell/Globals.h"
#include "shell/ScriptedDialogs.h"

#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QPushButton>
#include <QTimer>
#include <QtTest>

using TextSearch::Answer;

class TestSearchDialogs : public QObject
{
    Q_OBJECT

private slots:
    void init() { LanguageFilePath = QV_SOURCE_DATA_DIR "/Languages/English.lng"; }

    void theWindowsTakeTheirTextsFromTheLanguageFile()
    {
        TReplaceDialog replace;
        QCOMPARE(replace.windowTitle(), QString("Replace Text"));
        QCOMPARE(replace.findChild<QGroupBox *>()->title(), QString("Options"));
        TConfirmDialog confirm;
        QCOMPARE(confirm.ReplaceAll->text(), QString("Yes to &All"));
        TGoToDialog goTo;
        QCOMPARE(goTo.LabelGotoLine->text(), QString("Go to line:"));
        QVERIFY(m_dialogs.messages.isEmpty());
    }

    void aMissingLanguageFileIsReportedOnceAndTheBuiltInTextsStay()
    {
        LanguageFilePath = "/nonexistent/Klingon.lng";
        SetMessage(5, "No existe %s");
        TReplaceDialog replace;
        QCOMPARE(m_dialogs.messages.size(), 1);
        QCOMPARE(m_dialogs.messages.first().text, QString("No existe /nonexistent/Klingon.lng"));
        QCOMPARE(replace.windowTitle(), QString("Reemplazar texto"));
        QCOMPARE(replace.findChildren<QLabel *>().at(1)->text(), QString("Reemplazar con:"));
        TConfirmDialog confirm; // opened by the replace window: no second report
        QCOMPARE(m_dialogs.messages.size(), 1);
        QCOMPARE(confirm.Replace->text(), QString("&Si"));
    }

    void okPutsTheTypedTextsOnTopOfTheirHistories()
    {
        SearchState state;
        state.searchText = "DUP";
        state.searchHistory = {"DUP", "SWAP"};
        state.replaceHistory = {"DROP"};
        state.backwards = true;
        state.wholeWords = true;

        TReplaceDialog dialog;
        dialog.readState(state);
        QCOMPARE(dialog.searchCombo()->currentText(), QString("DUP"));
        dialog.searchCombo()->setEditText("SWAP");
        dialog.replaceCombo()->setEditText("OVER");
        dialog.accept();

        SearchState after;
        dialog.writeState(after);
        QCOMPARE(after.searchText, QString("SWAP"));
        QCOMPARE(after.searchHistory, (QStringList{"SWAP", "DUP"}));
        QCOMPARE(after.replaceText, QString("OVER"));
        QCOMPARE(after.replaceHistory, (QStringList{"OVER", "DROP"}));
        QVERIFY(after.backwards);
        QVERIFY(after.wholeWords);
        QVERIFY(!after.caseSensitive);
    }

    void tabGoesFromTheSearchTextToTheReplacement()
    {
        TReplaceDialog dialog;
        dialog.show();
        QApplication::setActiveWindow(&dialog);
        QVERIFY(QTest::qWaitForWindowActive(&dialog));
        dialog.searchCombo()->setFocus();
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
        QWidget *focus = QApplication::focusWidget();
        QVERIFY(focus == dialog.replaceCombo() || dialog.replaceCombo()->isAncestorOf(focus));
    }

    void theHistoryKeepsTenEntries()
    {
        SearchState state;
        for (int i = 0; i < 10; ++i)
            state.searchHistory.append(QString::number(i));
        TSearchDialog dialog;
        dialog.readState(state);
        dialog.searchCombo()->setEditText("new");
        dialog.accept();
        dialog.writeState(state);
        QCOMPARE(state.searchHistory.size(), 10);
        QCOMPARE(state.searchHistory.first(), QString("new"));
        QCOMPARE(state.searchHistory.last(), QString("8"));
    }

    void theConfirmationAnswersWithTheButtonPressed_data()
    {
        QTest::addColumn<QString>("button");
        QTest::addColumn<int>("answer");
        QTest::newRow("yes replaces") << "Replace" << int(Answer::Replace);
        QTest::newRow("no skips") << "Skip" << int(Answer::Skip);
        QTest::newRow("yes to all replaces the rest") << "ReplaceAll" << int(Answer::ReplaceAll);
        QTest::newRow("cancel stops") << "Cancel" << int(Answer::Cancel);
        QTest::newRow("closing the window stops") << "" << int(Answer::Cancel);
    }

    void theConfirmationAnswersWithTheButtonPressed()
    {
        QFETCH(QString, button);
        QFETCH(int, answer);
        TConfirmDialog dialog;
        QPushButton *buttons[] = {dialog.Replace, dialog.Skip, dialog.ReplaceAll, dialog.Cancel};
        const QStringList names = {"Replace", "Skip", "ReplaceAll", "Cancel"};
        QTimer::singleShot(0, &dialog, [&] {
            const qsizetype i = names.indexOf(button);
            if (i >= 0)
                buttons[i]->click();
            else
                dialog.close();
        });
        QCOMPARE(int(dialog.ask("¿Reemplazar x?")), answer);
    }

private:
    ScriptedDialogs m_dialogs;
};

QTEST_MAIN(TestSearchDialogs)
#include "tst_searchdialogs.moc"
