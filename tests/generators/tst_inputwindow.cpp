// The INPUT builder's window and the command that opens it: what the
// controls write, the limits that follow the command line, the warning line,
// "Try it", the drawing, and what reaches the document.
#include "support/FakeEmulator.h"
#include "support/TestCommandHost.h"

#include "emulator/Emu48Proc.h"
#include "generators/CalcScreen.h"
#include "generators/DlgInput.h"
#include "generators/GeneratorCommands.h"
#include "generators/GeneratorHeader.h"
#include "shell/Globals.h"
#include "shell/Language.h"
#include "shell/ScriptedDialogs.h"
#include "shell/Settings.h"

#include <QCheckBox>
#include <QGroupBox>
#include <QLabel>
#include <QPainter>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSpinBox>
#include <QtTest>

namespace {

QImage drawing(const InputFields &fields)
{
    QImage image(CalcScreen::Size, QImage::Format_RGB32);
    QPainter p(&image);
    CalcScreen::PaintInput(p, fields);
    return image;
}

} // namespace

class TestInputWindow : public QObject
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

    void okInsertsTheCodeAtTheCaret()
    {
        TestCommandHost host;
        host.Documents()->NewDocument();
        GeneratorCommands commands(host);
        commands.setModalRunner([](QDialog *dialog) {
            auto *window = qobject_cast<TInputDialog *>(dialog);
            window->Title->setPlainText("Enter N");
            window->Intro->setPlainText("55");
            window->FormatCheck->setChecked(true);
            window->Row->setValue(1);
            window->Col->setValue(2);
            window->chkAlgebraic->setChecked(true);
            window->chkSyntax->setChecked(true);
            window->Ok->click();
            return dialog->result();
        });
        host.trigger("ToolsInput");
        const QByteArray expected = "\"Enter N\"\r\n{ \"55\" { 1 2 } ALG V }\r\nINPUT OBJ\x8D |";
        QCOMPARE(host.snippets, QList<QByteArray>{expected});
        DocumentEditor *editor = host.ActiveEditor();
        int line = 0;
        int column = 0;
        editor->getCursorPosition(&line, &column);
        QCOMPARE(line, 2);
        QCOMPARE(editor->text(line).length(), column); // after the last blank
    }

    void aBarOrPercentTypedByTheUserIsInsertedAsTyped()
    {
        TestCommandHost host;
        host.Documents()->NewDocument();
        DocumentEditor *editor = host.ActiveEditor();
        editor->setText("old");
        editor->setCursorPosition(0, 3);
        editor->setSelection(0, 1, 0, 2); // "l" is selected: a "%s" must not take it
        const QString before = editor->text();
        GeneratorCommands commands(host);
        commands.setModalRunner([](QDialog *dialog) {
            auto *window = qobject_cast<TInputDialog *>(dialog);
            window->Title->setPlainText("a|b %s 50%");
            window->chkEval->setChecked(false);
            window->Ok->click();
            return dialog->result();
        });
        host.trigger("ToolsInput");
        QVERIFY2(editor->text().contains("\"a|b %s 50%\"\r\n\"\"\r\nINPUT"), qPrintable(editor->text()));
        QVERIFY(!editor->text().contains(QChar(1)));
        int line = 0;
        int column = 0;
        editor->getCursorPosition(&line, &column);
        QCOMPARE(editor->text(line).left(column).right(5), QString("INPUT"));
        editor->undo(); // one step takes it all back
        QCOMPARE(editor->text(), before);
    }

    void cancelAndEscapeInsertNothing_data()
    {
        QTest::addColumn<bool>("escape");
        QTest::newRow("Cancel") << false;
        QTest::newRow("Esc") << true;
    }

    void cancelAndEscapeInsertNothing()
    {
        QFETCH(bool, escape);
        TestCommandHost host;
        host.Documents()->NewDocument();
        const QString before = host.ActiveEditor()->text();
        GeneratorCommands commands(host);
        commands.setModalRunner([escape](QDialog *dialog) {
            auto *window = qobject_cast<TInputDialog *>(dialog);
            window->Title->setPlainText("Enter N");
            if (escape)
                QTest::keyClick(window, Qt::Key_Escape);
            else
                window->Cancel->click();
            return dialog->result();
        });
        host.trigger("ToolsInput");
        QVERIFY(host.snippets.isEmpty());
        QCOMPARE(host.ActiveEditor()->text(), before);
    }

    void cursorMaximaFollowTheCommandLine()
    {
        TInputDialog window;
        QCOMPARE(window.Row->maximum(), 0);
        window.Intro->setPlainText("1 2\nABCDEF\nx");
        QCOMPARE(window.Row->maximum(), 3);
        QCOMPARE(window.Col->maximum(), 6);
        window.Row->setValue(3);
        window.Intro->setPlainText("1");
        QCOMPARE(window.Row->maximum(), 1);
        QCOMPARE(window.Row->value(), 1);
    }

    void formatCheckEnablesTheFormatGroup()
    {
        TInputDialog window;
        QVERIFY(!window.GroupFormat->isEnabled());
        QVERIFY(window.chkEval->isChecked());
        window.FormatCheck->click();
        QVERIFY(window.GroupFormat->isEnabled());
        QVERIFY(window.Fields().format);
        window.FormatCheck->click();
        QVERIFY(!window.GroupFormat->isEnabled());
    }

    void theWindowTakesItsTextsFromTheLanguageFile()
    {
        TInputDialog window;
        QCOMPARE(window.windowTitle(), QString("INPUT Wizard"));
        QCOMPARE(window.Header->title(), QString("INPUT"));
        QCOMPARE(window.Ok->text(), QString("Insert Code"));
        QCOMPARE(window.TryIt->text(), QString("Try in the calculator"));
    }

    void aMissingLanguageFileKeepsTheBuiltInTextsAndSaysSo()
    {
        ScriptedDialogs dialogs;
        const QString kept = LanguageFilePath;
        LanguageFilePath = QStringLiteral("/nonexistent/Nowhere.lng");
        TInputDialog window;
        LanguageFilePath = kept;
        QCOMPARE(window.windowTitle(), QString("Asistente para INPUT"));
        QCOMPARE(dialogs.messages.size(), 1);
        QVERIFY(dialogs.messages[0].text.contains("/nonexistent/Nowhere.lng"));
        QCOMPARE(dialogs.messages[0].icon, QMessageBox::Critical);
    }

    void theWarningLineSaysWhenTheCodeWillNotCompile()
    {
        TInputDialog window;
        QCOMPARE(window.WarningText(), QString());
        window.Title->setPlainText("Say \"hi");
        QVERIFY2(window.WarningText().contains("will not accept"), qPrintable(window.WarningText()));
        window.Title->setPlainText("Say hi");
        QCOMPARE(window.WarningText(), QString());
        window.Intro->setPlainText(QString::fromUtf8("price in €"));
        QVERIFY2(window.WarningText().contains(QString::fromUtf8("€")), qPrintable(window.WarningText()));
    }

    void tryItSendsTheCodeWithoutItsCaretAndLeavesTheDocument()
    {
        TestCommandHost host;
        host.Documents()->NewDocument();
        const QString before = host.ActiveEditor()->text();
        GeneratorCommands commands(host);
        QList<QByteArray> tried;
        commands.setTryRunner([&](const QByteArray &code) { tried << code; });
        commands.setModalRunner([](QDialog *dialog) {
            auto *window = qobject_cast<TInputDialog *>(dialog);
            window->Title->setPlainText("a|b");
            window->TryIt->click();
            window->Cancel->click();
            return dialog->result();
        });
        host.trigger("ToolsInput");
        QCOMPARE(tried, QList<QByteArray>{"\"a|b\"\r\n\"\"\r\nINPUT OBJ\x8D "});
        QVERIFY(host.snippets.isEmpty());
        QCOMPARE(host.ActiveEditor()->text(), before);
    }

    void tryingRunsTheCodeInTheCalculator()
    {
        ScriptedDialogs dialogs;
        ResetEmulatorSession();
        FakeEmulator fake;
        QVERIFY(GeneratorCommands::TryInCalculator("\"N?\" \"\" INPUT"));
        QCOMPARE(fake.lines("run"), QStringList{"run \"N?\" \"\" INPUT"});
        QVERIFY(dialogs.messages.isEmpty());

        EmuSession().EmulatorBusy = true; // a send still under way
        QVERIFY(!GeneratorCommands::TryInCalculator("1"));
        EmuSession().EmulatorBusy = false;
        QCOMPARE(dialogs.messages.size(), 1);
        QVERIFY(dialogs.messages[0].text.contains("busy"));
        QCOMPARE(fake.lines("run").size(), 1);

        fake.ready = false; // the last try still waits for its answer
        QVERIFY(!GeneratorCommands::TryInCalculator("2"));
        QCOMPARE(dialogs.messages.size(), 2);
        QVERIFY(dialogs.messages[1].text.contains("ON key"));
        QCOMPARE(fake.lines("run").size(), 1);
        fake.ready = true;
        CloseEmulator();
        ResetEmulatorSession();
    }

    void tryingSaysWhenTheCalculatorCannotStart()
    {
        ScriptedDialogs dialogs;
        ResetEmulatorSession();
        FakeEmulator fake;
        fake.createSucceeds = false;
        QVERIFY(!GeneratorCommands::TryInCalculator("1"));
        QCOMPARE(dialogs.messages.size(), 1);
        QCOMPARE(dialogs.messages[0].text, Message(12));
        QVERIFY(fake.lines("run").isEmpty());
        ResetEmulatorSession();
    }

    void theDrawingShowsTheCalculatorScreen()
    {
        InputFields fields;
        fields.prompt = "Enter N";
        const QImage image = drawing(fields);
        QCOMPARE(image.pixelColor(0, 0), QColor(Qt::black));
        QCOMPARE(image.pixelColor(267, 149), QColor(Qt::black));
        QCOMPARE(image.pixelColor(100, 90), CalcScreen::ScreenColour());
        QCOMPARE(image.pixelColor(100, 48), QColor(Qt::black));  // the line under the header
        QCOMPARE(image.pixelColor(10, 140), QColor(Qt::black));  // a menu key
        QCOMPARE(image.pixelColor(46, 140), CalcScreen::ScreenColour()); // between two keys
    }

    void theDrawingShowsAtMostFivePromptLines()
    {
        InputFields five;
        five.prompt = "1\n2\n3\n4\n5";
        InputFields six = five;
        six.prompt += "\nSIXTH LINE";
        QCOMPARE(drawing(six), drawing(five));
        InputFields four;
        four.prompt = "1\n2\n3\n4";
        QVERIFY(drawing(four) != drawing(five));
    }

    void theDrawingFollowsTheModesOnlyInTheListForm()
    {
        InputFields plain;
        InputFields modes = plain;
        modes.algebraic = true;
        modes.alpha = true;
        QCOMPARE(drawing(modes), drawing(plain));
        modes.format = true;
        plain.format = true;
        QVERIFY(drawing(modes) != drawing(plain));
    }

    void theHeaderBandStartsGreen()
    {
        TGeneratorHeader header;
        header.resize(300, 64);
        header.setTitle("INPUT");
        const QImage image = header.grab().toImage();
        const QColor top = image.pixelColor(2, 0);
        const QColor green = TGeneratorHeader::GradientTop();
        QVERIFY(qAbs(top.red() - green.red()) < 6 && qAbs(top.green() - green.green()) < 6
                && qAbs(top.blue() - green.blue()) < 6);
        // ... and fades into the window colour at the bottom.
        QVERIFY(image.pixelColor(2, 63).green() > 200);
    }

    void aLongPromptKeepsTheWindowQuick()
    {
        TInputDialog window;
        QByteArray prompt;
        for (int i = 0; i < 5000; ++i)
            prompt += "line " + QByteArray::number(i) + "\n";
        window.Title->setPlainText(QString::fromLatin1(prompt));
        QCOMPARE(window.WarningText(), QString());
        (void)window.PaintBox->grabDrawing();
        QVERIFY(window.Generate().bytes.startsWith("\"line 0\r\nline 1\r\n"));
    }
};

QTEST_MAIN(TestInputWindow)
#include "tst_inputwindow.moc"
