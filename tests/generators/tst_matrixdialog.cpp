// The matrix writer's window: typing into the grid, Enter's advance, the
// commands of the tool bar with undo, pasting, the status bar, the texts,
// and the wiring of ToolsMatrixWriter to InsertSnippet.

#include "generators/DlgMatrix.h"
#include "generators/GeneratorCommands.h"
#include "documents/DocumentEditor.h"
#include "formats/CalcCharset.h"
#include "shell/Globals.h"
#include "shell/Language.h"
#include "shell/ScriptedDialogs.h"
#include "support/TestCommandHost.h"

#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QRadioButton>
#include <QStatusBar>
#include <QStatusTipEvent>
#include <QtTest>

namespace {

void type(TMatrixDialog &d, int row, int col, const QString &text)
{
    QTableWidgetItem *item = d.Writer()->item(row - 1, col - 1);
    if (!item) {
        item = new QTableWidgetItem;
        d.Writer()->setItem(row - 1, col - 1, item); // empty: no growth
    }
    item->setText(text);
}

QString shown(TMatrixDialog &d, int row, int col)
{
    const QTableWidgetItem *item = d.Writer()->item(row - 1, col - 1);
    return item ? item->text() : QString();
}

} // namespace

class TestMatrixDialog : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase()
    {
        InstallBuiltInMessagesAndLabels();
        LanguageFilePath = QStringLiteral(QV_SOURCE_DATA_DIR "/Languages/Spanish(1).lng");
    }

    void aNewWriterIsEmptyWithNumberedHeadings()
    {
        TMatrixDialog d;
        QCOMPARE(d.Writer()->Corner()->text(), QString("0 x 0"));
        QCOMPARE(d.Writer()->rowCount(), 100);
        QCOMPARE(d.Writer()->columnCount(), 100);
        QCOMPARE(d.Writer()->horizontalHeaderItem(99)->text(), QString("100"));
        QCOMPARE(d.Writer()->verticalHeaderItem(0)->text(), QString("1"));
        QCOMPARE(d.Writer()->verticalHeader()->defaultSectionSize(), 18);
        QCOMPARE(d.Type(), MatrixModel::Type::Matrix);
        QCOMPARE(d.Advance(), MatrixModel::Advance::Right);
        QVERIFY(d.Result.bytes.isEmpty());
    }

    void typingGrowsTheMatrixAndFillsZeros()
    {
        TMatrixDialog d;
        type(d, 2, 3, "5");
        QCOMPARE(d.Writer()->Corner()->text(), QString("2 x 3"));
        QCOMPARE(shown(d, 1, 1), QString("0"));
        QCOMPARE(shown(d, 2, 2), QString("0"));
        QCOMPARE(shown(d, 2, 3), QString("5"));
        QCOMPARE(shown(d, 3, 3), QString());
        type(d, 1, 1, "");
        QCOMPARE(d.Writer()->Corner()->text(), QString("2 x 3"));
        QCOMPARE(shown(d, 1, 1), QString());
    }

    void enterAdvances_data()
    {
        QTest::addColumn<bool>("down");
        QTest::addColumn<int>("row");
        QTest::addColumn<int>("col");
        QTest::newRow("to the next column") << false << 1 << 2;
        QTest::newRow("to the next row") << true << 2 << 1;
    }
    void enterAdvances()
    {
        QFETCH(bool, down);
        QFETCH(int, row);
        QFETCH(int, col);
        TMatrixDialog d;
        d.show();
        QVERIFY(QTest::qWaitForWindowExposed(&d));
        if (down)
            d.findChild<QRadioButton *>("GoDown")->setChecked(true);
        d.Writer()->setCurrentCell(0, 0);
        d.Writer()->setFocus();
        QTest::keyClicks(d.Writer(), "7");
        auto *editor = d.Writer()->findChild<QLineEdit *>();
        QVERIFY(editor);
        QTest::keyClick(editor, Qt::Key_Return);
        // The delegate ends the edit from the event loop.
        QTRY_VERIFY(d.Writer()->currentRow() == row - 1 && d.Writer()->currentColumn() == col - 1);
        QCOMPARE(shown(d, 1, 1), QString("7"));
        QCOMPARE(d.Writer()->Corner()->text(), QString("1 x 1"));
        QVERIFY(d.isVisible()); // Enter in the grid does not close the window
    }

    void rowAndColumnCommandsAreUndone()
    {
        TMatrixDialog d;
        type(d, 2, 2, "4");
        type(d, 1, 1, "1");
        d.Writer()->setCurrentCell(0, 0);
        d.Command("InsertRow")->trigger();
        QCOMPARE(d.Writer()->Corner()->text(), QString("3 x 2"));
        QCOMPARE(shown(d, 2, 1), QString("1"));
        d.Command("DeleteCol")->trigger();
        QCOMPARE(d.Writer()->Corner()->text(), QString("3 x 1"));
        d.Command("Undo")->trigger();
        QCOMPARE(d.Writer()->Corner()->text(), QString("3 x 2"));
        d.Command("Undo")->trigger();
        d.Command("Undo")->trigger();
        QCOMPARE(shown(d, 1, 1), QString("0"));
        d.Command("Redo")->trigger();
        QCOMPARE(shown(d, 1, 1), QString("1"));
        // Outside the matrix the commands do nothing, and no undo step is made.
        const int steps = d.UndoStack()->count();
        d.Writer()->setCurrentCell(9, 9);
        d.Command("DeleteRow")->trigger();
        d.Command("InsertCol")->trigger();
        QCOMPARE(d.UndoStack()->count(), steps);
    }

    void columnWidthHasBounds()
    {
        TMatrixDialog d;
        const int start = d.ColumnWidth();
        d.Command("WidthInc")->trigger();
        QCOMPARE(d.Writer()->horizontalHeader()->defaultSectionSize(), start + 1);
        for (int i = 0; i < 200; ++i)
            d.Command("WidthDec")->trigger();
        QCOMPARE(d.ColumnWidth(), TMatrixDialog::MinColumnWidth);
        QVERIFY(!d.Command("WidthDec")->isEnabled());
    }

    void pastingASpreadsheetBlock()
    {
        TMatrixDialog d;
        QApplication::clipboard()->setText("1\t2\n3\t4\n");
        d.Writer()->setCurrentCell(1, 1);
        d.Command("Paste")->trigger();
        QCOMPARE(d.Writer()->Corner()->text(), QString("3 x 3"));
        QCOMPARE(shown(d, 3, 3), QString("4"));
        d.Command("Undo")->trigger();
        QCOMPARE(d.Writer()->Corner()->text(), QString("0 x 0"));
        QVERIFY(shown(d, 3, 3).isEmpty());
    }

    void insertMakesTheText_data()
    {
        QTest::addColumn<QString>("choice");
        QTest::addColumn<QByteArray>("text");
        QTest::newRow("matrix") << "TypeMatrix" << QByteArray("[ [ 1 2 ] \r]|");
        QTest::newRow("vector") << "TypeVector" << QByteArray("[ 1 2 ]|");
        QTest::newRow("list") << "TypeList" << QByteArray("{ { 1 2 } \r}|");
    }
    void insertMakesTheText()
    {
        QFETCH(QString, choice);
        QFETCH(QByteArray, text);
        TMatrixDialog d;
        type(d, 1, 1, "1");
        type(d, 1, 2, "2");
        d.findChild<QRadioButton *>(choice)->setChecked(true);
        d.Command("InsertMat")->trigger();
        QCOMPARE(d.Result.withCaretMarker(), text);
        QCOMPARE(d.result(), int(QDialog::Accepted));
    }

    void calculatorCharactersBecomeItsBytes()
    {
        TMatrixDialog d;
        type(d, 1, 1, QString::fromUtf8("'\u03C0'"));
        d.Command("InsertMat")->trigger();
        QCOMPARE(d.Result.withCaretMarker(), QByteArray("[ [ '\x87' ] \r]|"));
    }

    void hintsShowInTheStatusBar()
    {
        TMatrixDialog d;
        QAction *insertRow = d.Command("InsertRow");
        QCOMPARE(insertRow->toolTip(), QString("Insertar fila"));
        QStatusTipEvent tip(insertRow->statusTip());
        QApplication::sendEvent(&d, &tip);
        QCOMPARE(d.findChild<QStatusBar *>()->currentMessage(), QString(" Inserta una fila en la posición actual"));
    }

    void textsComeFromTheLanguageFile()
    {
        LanguageFilePath = QStringLiteral(QV_SOURCE_DATA_DIR "/Languages/English.lng");
        TMatrixDialog d;
        LanguageFilePath = QStringLiteral(QV_SOURCE_DATA_DIR "/Languages/Spanish(1).lng");
        QCOMPARE(d.windowTitle(), QString("Matrix Writer"));
        QCOMPARE(d.Command("DeleteCol")->text(), QString("Column"));
        QCOMPARE(d.Command("DeleteCol")->toolTip(), QString("Delete column"));
        QCOMPARE(d.findChild<QRadioButton *>("GoRight")->text(), QString("To the right"));
    }

    void aMissingLanguageFileIsReported()
    {
        ScriptedDialogs dialogs;
        LanguageFilePath = QStringLiteral("/nonexistent/None.lng");
        TMatrixDialog d;
        LanguageFilePath = QStringLiteral(QV_SOURCE_DATA_DIR "/Languages/Spanish(1).lng");
        QCOMPARE(dialogs.messages.size(), 1);
        QVERIFY(dialogs.messages[0].text.contains("/nonexistent/None.lng"));
        QCOMPARE(d.Command("InsertMat")->text(), QString("Insertar"));
    }

    void theToolsCommandInsertsWhatTheWindowMade()
    {
        TestCommandHost host;
        host.Documents()->NewDocument();
        GeneratorCommands commands(host);
        commands.setModalRunner([](QDialog *dialog) {
            auto *d = qobject_cast<TMatrixDialog *>(dialog);
            type(*d, 1, 1, "9");
            d->Command("InsertMat")->trigger();
            return d->result();
        });
        host.trigger("ToolsMatrixWriter");
        QCOMPARE(host.snippets, QList<QByteArray>({"[ [ 9 ] \r]|"}));
        commands.setModalRunner([](QDialog *dialog) {
            auto *d = qobject_cast<TMatrixDialog *>(dialog);
            type(*d, 1, 1, "9");
            d->Command("CancelDlg")->trigger();
            return d->result();
        });
        host.trigger("ToolsMatrixWriter");
        QCOMPARE(host.snippets.size(), 1);
    }

    void barsAndPercentSignsInElementsStayAsTyped()
    {
        TestCommandHost host;
        host.Documents()->NewDocument();
        GeneratorCommands commands(host);
        commands.setModalRunner([](QDialog *dialog) {
            auto *d = qobject_cast<TMatrixDialog *>(dialog);
            type(*d, 1, 1, "'X|(X=2)'");
            type(*d, 1, 2, "\"%s\"");
            d->findChild<QRadioButton *>("TypeList")->setChecked(true);
            d->Command("InsertMat")->trigger();
            return d->result();
        });
        host.trigger("ToolsMatrixWriter");
        const QByteArray text = CalcCharset::encode(host.ActiveEditor()->text());
        QVERIFY2(text.contains("{ { 'X|(X=2)' \"%s\" } "), text.constData());
    }
};

QTEST_MAIN(TestMatrixDialog)
#include "tst_matrixdialog.moc"
