// The CHOOSE and INFORM builders' windows and commands: what reaches the
// document, the row buttons and their rules, the limits, Enter moving on,
// and their drawings.
#include "support/TestCommandHost.h"

#include "generators/CalcScreen.h"
#include "generators/DlgChoose.h"
#include "generators/DlgInform.h"
#include "generators/GeneratorCommands.h"
#include "shell/Globals.h"
#include "shell/Language.h"
#include "shell/ScriptedDialogs.h"
#include "shell/Settings.h"

#include <QCheckBox>
#include <QHeaderView>
#include <QLineEdit>
#include <QPainter>
#include <QPushButton>
#include <QSpinBox>
#include <QTableWidget>
#include <QToolButton>
#include <QtTest>

namespace {

void setCell(QTableWidget *table, int row, int column, const QString &text)
{
    table->setItem(row, column, new QTableWidgetItem(text));
}

QImage chooseDrawing(const ChooseFields &fields)
{
    QImage image(CalcScreen::Size, QImage::Format_RGB32);
    QPainter p(&image);
    CalcScreen::PaintChoose(p, fields);
    return image;
}

QImage informDrawing(const InformFields &fields, int selected)
{
    QImage image(CalcScreen::Size, QImage::Format_RGB32);
    QPainter p(&image);
    CalcScreen::PaintInform(p, fields, selected);
    return image;
}

ChooseFields items(int count, bool titled)
{
    ChooseFields f;
    if (titled)
        f.title = "Title";
    for (int i = 1; i <= count; ++i)
        f.rows << ChooseRow{QByteArray::number(i), {}};
    return f;
}

} // namespace

class TestChooseInformWindows : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase()
    {
        InstallBuiltInMessagesAndLabels();
        InstallFontSubstitutions();
        LanguageFilePath = QStringLiteral(QV_SOURCE_DATA_DIR "/Languages/English.lng");
    }

    void init() { Settings() = AppSettings::defaults(); }

    void chooseOkInsertsTheWorkedExample()
    {
        TestCommandHost host;
        host.Documents()->NewDocument();
        GeneratorCommands commands(host);
        commands.setModalRunner([](QDialog *dialog) {
            auto *window = qobject_cast<TChooseDialog *>(dialog);
            window->Title->setText("Pick");
            window->btnAdd->click();
            setCell(window->Objects, 0, 0, "Sine");
            setCell(window->Objects, 0, 1, "SIN");
            window->btnAdd->click();
            setCell(window->Objects, 1, 0, "5");
            window->Ok->click();
            return dialog->result();
        });
        host.trigger("ToolsChoose");
        QCOMPARE(host.snippets,
                 QList<QByteArray>{"\"Pick\"\r\n{\r\n{ \"Sine\" \xABSIN\xBB }\r\n5\r\n}\r\n1\r\nCHOOSE\r\nIF\r\nTHEN\r\n"
                                   "  EVAL |\r\nEND"});
        int line = 0;
        int column = 0;
        host.ActiveEditor()->getCursorPosition(&line, &column);
        QCOMPARE(line, 9);
        QCOMPARE(column, 7);
    }

    void chooseRowsFollowTheButtonsAndThePositionFollowsTheRows()
    {
        TChooseDialog window;
        QCOMPARE(window.Position->minimum(), 1);
        QCOMPARE(window.Position->maximum(), 1);
        QCOMPARE(window.Title->maxLength(), 23);
        for (int i = 0; i < 3; ++i) {
            window.btnAdd->click();
            setCell(window.Objects, i, 0, QString::number(i + 1));
        }
        QCOMPARE(window.Position->maximum(), 3);
        window.Position->setValue(3);
        window.Objects->setCurrentCell(0, 0);
        window.btnDown->click();
        QCOMPARE(window.Objects->currentRow(), 1);
        QCOMPARE(window.Fields().rows,
                 (QList<ChooseRow>{{"2", ""}, {"1", ""}, {"3", ""}}));
        window.btnUp->click();
        window.btnUp->click(); // already at the top: nothing moves
        QCOMPARE(window.Fields().rows.first().label, QByteArray("1"));
        window.Objects->setCurrentCell(1, 0);
        window.btnDelete->click();
        QCOMPARE(window.Fields().rows, (QList<ChooseRow>{{"1", ""}, {"3", ""}}));
        QCOMPARE(window.Position->maximum(), 2);
        QCOMPARE(window.Position->value(), 2);
    }

    void enterMovesToTheNextControl()
    {
        TChooseDialog window;
        window.show();
        QVERIFY(QTest::qWaitForWindowActive(&window));
        window.Title->setFocus();
        QTest::keyClick(window.Title, Qt::Key_Return);
        QCOMPARE(QApplication::focusWidget(), window.Position);
        QVERIFY(window.isVisible()); // Enter did not press OK
        QTest::keyClick(window.Position, Qt::Key_Enter, Qt::KeypadModifier);
        QCOMPARE(QApplication::focusWidget(), window.Objects);

        // The table's own keys: Ins adds a row, Alt+Up moves it, Del deletes it.
        QTest::keyClick(window.Objects, Qt::Key_Insert);
        QTest::keyClick(window.Objects, Qt::Key_Insert);
        QCOMPARE(window.Objects->rowCount(), 2);
        setCell(window.Objects, 1, 0, "second");
        QTest::keyClick(window.Objects, Qt::Key_Up, Qt::AltModifier);
        QCOMPARE(window.Fields().rows.first().label, QByteArray("second"));
        QTest::keyClick(window.Objects, Qt::Key_Delete);
        QCOMPARE(window.Objects->rowCount(), 1);
    }

    void informOkInsertsTheWorkedExample()
    {
        TestCommandHost host;
        host.Documents()->NewDocument();
        GeneratorCommands commands(host);
        commands.setModalRunner([](QDialog *dialog) {
            auto *window = qobject_cast<TInformDialog *>(dialog);
            window->Title->setText("Data");
            setCell(window->FieldGrid, 0, 0, "A:");
            setCell(window->FieldGrid, 0, 1, "Enter A");
            setCell(window->FieldGrid, 0, 2, "0");
            setCell(window->FieldGrid, 0, 4, "1");
            window->Ok->click();
            return dialog->result();
        });
        host.trigger("ToolsInform");
        QCOMPARE(host.snippets, QList<QByteArray>{"\"Data\"\r\n{\r\n{ \"A:\" \"Enter A\" 0 }\r\n}\r\n{ 1 0 }\r\n{ }\r\n"
                                                  "{ 1 }\r\nINFORM\r\nIF\r\nTHEN\r\n  |\r\nELSE\r\nEND"});
    }

    void informControlsStartAsDescribed()
    {
        TInformDialog window;
        QCOMPARE(window.Title->maxLength(), 32);
        QCOMPARE(window.Columns->minimum(), 1);
        QCOMPARE(window.Columns->maximum(), 6);
        QCOMPARE(window.Offset->maximum(), 20);
        QVERIFY(window.OffsetCheck->isChecked());
        QVERIFY(window.Offset->isEnabled()); // the width can be typed while it is written
        QVERIFY(window.chkCondition->isChecked());
        QCOMPARE(window.FieldGrid->rowCount(), 1);
        QCOMPARE(window.FieldGrid->columnCount(), 5);
        QCOMPARE(window.FieldGrid->horizontalHeaderItem(4)->text(), QString("Initial value"));
        window.OffsetCheck->click();
        QVERIFY(!window.Offset->isEnabled());
        QCOMPARE(window.Fields().offsetCheck, false);
    }

    void informAddAndDeleteFollowTheirRules()
    {
        TInformDialog window;
        window.FieldGrid->setCurrentCell(0, 0);
        window.btnAdd->click();
        window.btnAdd->click();
        QCOMPARE(window.FieldGrid->rowCount(), 3);
        window.btnAdd->click(); // one column: three field rows at most
        QCOMPARE(window.FieldGrid->rowCount(), 3);
        window.Columns->setValue(2);
        window.FieldGrid->setCurrentCell(0, 0);
        window.btnAdd->click(); // only below the last row
        QCOMPARE(window.FieldGrid->rowCount(), 3);

        setCell(window.FieldGrid, 1, 3, "x");
        window.FieldGrid->setCurrentCell(1, 0);
        window.btnDelete->click(); // a cell holds text
        QCOMPARE(window.FieldGrid->rowCount(), 3);
        window.FieldGrid->setCurrentCell(0, 0);
        window.btnDelete->click(); // the first field row stays
        QCOMPARE(window.FieldGrid->rowCount(), 3);
        window.FieldGrid->setCurrentCell(2, 1);
        window.btnDelete->click();
        QCOMPARE(window.FieldGrid->rowCount(), 2);
        QCOMPARE(window.FieldGrid->currentRow(), 1);
    }

    void informRowsMoveWithAllTheirCells()
    {
        TInformDialog window;
        InformFields f;
        f.fields = {InformField{"A", "a", "0", "1", "2"}, InformField{"B", "", "", "", ""}};
        window.setFields(f);
        window.FieldGrid->setCurrentCell(0, 2);
        window.btnDown->click();
        QCOMPARE(window.Fields().fields, (QList<InformField>{InformField{"B", "", "", "", ""},
                                                            InformField{"A", "a", "0", "1", "2"}}));
        QCOMPARE(window.FieldGrid->currentRow(), 1);
    }

    void missingLanguageFileLeavesTheHeadingsEmpty()
    {
        ScriptedDialogs dialogs;
        const QString kept = LanguageFilePath;
        LanguageFilePath = QStringLiteral("/nonexistent/Nowhere.lng");
        TInformDialog window;
        LanguageFilePath = kept;
        QCOMPARE(window.windowTitle(), QString("Asistente para INFORM"));
        QCOMPARE(window.FieldGrid->horizontalHeaderItem(0)->text(), QString());
        QCOMPARE(dialogs.messages.size(), 1);
    }

    void chooseDrawingInvertsTheHighlightedItem()
    {
        ChooseFields f = items(3, false);
        // n = 3 lines, h = 54, b = 28: item 1's line is j = 0.
        f.position = 1;
        const QImage first = chooseDrawing(f);
        QCOMPARE(first.pixelColor(200, 28 + 21 + 2), QColor(Qt::black));
        QCOMPARE(first.pixelColor(200, 28 + 21 + 18 + 2), CalcScreen::ScreenColour());
        f.position = 2;
        const QImage second = chooseDrawing(f);
        QCOMPARE(second.pixelColor(200, 28 + 21 + 2), CalcScreen::ScreenColour());
        QCOMPARE(second.pixelColor(200, 28 + 21 + 18 + 2), QColor(Qt::black));
        f.position = 9; // beyond the rows: nothing inverted
        const QImage none = chooseDrawing(f);
        QCOMPARE(none.pixelColor(200, 28 + 21 + 2), CalcScreen::ScreenColour());
        QCOMPARE(none.pixelColor(200, 28 + 21 + 18 + 2), CalcScreen::ScreenColour());
    }

    void chooseDrawingShowsAScrollBarWhenItemsOverflow_data()
    {
        QTest::addColumn<int>("count");
        QTest::addColumn<bool>("titled");
        QTest::addColumn<bool>("scrollBar");
        QTest::newRow("five items without a title fit") << 5 << false << false;
        QTest::newRow("six items without a title do not") << 6 << false << true;
        QTest::newRow("four items with a title fit") << 4 << true << false;
        QTest::newRow("five items with a title do not") << 5 << true << true;
    }

    void chooseDrawingShowsAScrollBarWhenItemsOverflow()
    {
        QFETCH(int, count);
        QFETCH(bool, titled);
        QFETCH(bool, scrollBar);
        ChooseFields f = items(count, titled);
        f.position = 0;
        const QImage image = chooseDrawing(f);
        // The bar's outer edge at x = 215, halfway down.
        QCOMPARE(image.pixelColor(215, 100) == QColor(Qt::black), scrollBar);
    }

    void informDrawingInvertsTheSelectedFieldAndShowsItsHelp()
    {
        InformFields f;
        f.title = "Data";
        f.fields = {InformField{"A:", "Enter A", "0", "", "1"}, InformField{"B:", "Second", "", "", ""}};
        const QImage first = informDrawing(f, 0);
        const QImage second = informDrawing(f, 1);
        // Field 1's value box on line 1 (y 33 to 53), right end at 265 - 6.
        QCOMPARE(first.pixelColor(250, 35), QColor(Qt::black));
        QCOMPARE(second.pixelColor(250, 35), CalcScreen::ScreenColour());
        QCOMPARE(second.pixelColor(250, 55), QColor(Qt::black));
        // The help line differs, the checkerboard is there in both.
        QVERIFY(first.copy(0, 118, 268, 12) != second.copy(0, 118, 268, 12));
        QCOMPARE(first.pixelColor(3, 19), QColor(Qt::black));
        QCOMPARE(first.pixelColor(5, 19), CalcScreen::ScreenColour());
    }

    void informDrawingShowsAtMostFourLinesOfFields()
    {
        InformFields f;
        for (int i = 0; i < 6; ++i)
            f.fields << InformField{"F" + QByteArray::number(i), "", "", "", "1"};
        f.columns = 1;
        InformFields four = f;
        four.fields = f.fields.mid(0, 4);
        QCOMPARE(informDrawing(f, -1), informDrawing(four, -1));
        QCOMPARE(GenerateInform(f).bytes.count("\"F"), 6); // the text holds them all
    }

    void manyRowsKeepTheWindowsWorking()
    {
        TChooseDialog choose;
        ChooseFields rows;
        for (int i = 0; i < 200; ++i)
            rows.rows << ChooseRow{"Item " + QByteArray::number(i), QByteArray::number(i)};
        choose.setFields(rows);
        QCOMPARE(choose.WarningText(), QString());
        QCOMPARE(choose.Position->maximum(), 200);
        (void)choose.PaintBox->grabDrawing();

        TInformDialog inform;
        InformFields fields;
        fields.columns = 6;
        for (int i = 0; i < 24; ++i)
            fields.fields << InformField{"F" + QByteArray::number(i), "help", "0", "", QByteArray::number(i)};
        inform.setFields(fields);
        QCOMPARE(inform.WarningText(), QString());
        (void)inform.PaintBox->grabDrawing();
    }
};

QTEST_MAIN(TestChooseInformWindows)
#include "tst_chooseinformwindows.moc"
