// The calculator window: its name and menu, keys clicked with the mouse or
// typed on the computer's keyboard, and the screen it paints.
#include "calc/ui/CalculatorWindow.h"
#include "formats/CalcCharset.h"

#include <QClipboard>
#include <QtTest>
#include <QMenuBar>
#include <QMessageBox>

using namespace Calc;

namespace {

class TestHost : public CalculatorHost
{
public:
    explicit TestHost(Model m)
        : m_machine(std::make_shared<Machine>(m))
    {
        m_machine->start();
    }
    std::shared_ptr<Machine> machine() const override { return m_machine; }
    QString stateFile() const override { return "/tmp/test.e49"; }
    bool openStateFile(const QString &, QString *error) override
    {
        *error = "refused";
        return false;
    }
    bool saveState(QString *) override { return true; }
    bool saveStateAs(const QString &, QString *) override { return true; }
    void windowClosed() override { ++closed; }
    int closed = 0;

private:
    std::shared_ptr<Machine> m_machine;
};

std::string calc(const char *utf8)
{
    const QByteArray b = CalcCharset::encode(QString::fromUtf8(utf8));
    return std::string(b.constData(), static_cast<size_t>(b.size()));
}

QStringList stack(Machine &m)
{
    QStringList out;
    m.runWhenIdle(
        [&](Engine &e) {
            for (const Value &v : e.stack()) {
                const std::string t = e.toText(v);
                out << CalcCharset::decode(QByteArray(t.data(), qsizetype(t.size())));
            }
            return true;
        },
        10000);
    return out;
}

} // namespace

class TestCalcWindow : public QObject
{
    Q_OBJECT

private slots:
    void theWindowIsNamedAndHasItsMenu()
    {
        TestHost host(Model::HP50G);
        CalculatorWindow w(host);
        QCOMPARE(w.objectName(), QString("QEmu48"));
        for (const char *name : {"OpenStateFile", "SaveState", "SaveStateAs", "Close"})
            QVERIFY2(w.findChild<QAction *>(name), name);
        QVERIFY(w.windowTitle().startsWith("QEmu48"));
        w.close();
        QCOMPARE(host.closed, 1);
    }

    void thePcKeyboardTypesOnTheCalculator_data()
    {
        QTest::addColumn<int>("model");
        QTest::addColumn<QString>("typed"); // text; \n is Enter, \x1b Escape, \b Backspace
        QTest::addColumn<QStringList>("expected");
        QTest::newRow("digits, Enter and an operator") << int(Model::HP48GX) << "12\n3+"
                                                        << QStringList{"15"};
        QTest::newRow("Backspace erases, then drops")
            << int(Model::HP48GX) << "1\n2\n34\b\b\b" << QStringList{"1"};
        QTest::newRow("Escape is ON: the command line is cancelled")
            << int(Model::HP50G) << "5\n99\x1b" << QStringList{"5"};
        QTest::newRow("letters are typed in alpha mode, small ones with the left shift")
            << int(Model::HP50G) << "'Ab\n" << QStringList{"'Ab'"};
        QTest::newRow("a blank and a point") << int(Model::HP48GX) << "1.5 2\n*"
                                             << QStringList{"3"};
        QTest::newRow("« and » typed are the program key and its end")
            << int(Model::HP50G) << "«1 2 +»\n" << QStringList{"« 1 2 + »"};
        QTest::newRow("a quote typed at the algebraic's end closes it")
            << int(Model::HP50G) << "'X+1'\n" << QStringList{"'X+1'"};
        QTest::newRow("braces, brackets and a string as the shifted keys type them")
            << int(Model::HP48GX) << "{1 [2 3] \"a\"}\n" << QStringList{"{ 1 [ 2 3 ] \"a\" }"};
        QTest::newRow("a whole line and Enter, as the same keys on the calculator")
            << int(Model::HP50G) << "« 2 * » 3 SWAP EVAL\n" << QStringList{"6"};
        QTest::newRow("characters with no key of their own") << int(Model::HP50G) << "1 2 <\n"
                                                             << QStringList{"1."};
    }

    void thePcKeyboardTypesOnTheCalculator()
    {
        QFETCH(int, model);
        QFETCH(QString, typed);
        QFETCH(QStringList, expected);
        TestHost host(static_cast<Model>(model));
        CalculatorWindow w(host);
        w.show();
        for (const QChar c : typed) {
            if (c == '\n')
                QTest::keyClick(&w, Qt::Key_Return);
            else if (c == '\x1b') {
                // ON stops a running program at once: the keys before it
                // (an ENTER that runs its line) are taken first
                QVERIFY(host.machine()->waitReady(10000));
                QTest::keyClick(&w, Qt::Key_Escape);
            }
            else if (c == '\b')
                QTest::keyClick(&w, Qt::Key_Backspace);
            else
                QTest::keyClicks(&w, QString(c));
        }
        QVERIFY(host.machine()->waitReady(10000));
        QCOMPARE(stack(*host.machine()), expected);
    }

    void pastingPutsTextIntoTheCommandLine()
    {
        TestHost host(Model::HP50G);
        CalculatorWindow w(host);
        w.show();
        QGuiApplication::clipboard()->setText(QString::fromUtf8("« → a b « a b * » »\r\n6 7 ROT"));
        QTest::keyClick(&w, Qt::Key_V, Qt::ControlModifier);
        QTest::keyClick(&w, Qt::Key_Return);
        QTest::keyClicks(&w, "EVAL");
        QTest::keyClick(&w, Qt::Key_Return);
        QVERIFY(host.machine()->waitReady(10000));
        QCOMPARE(stack(*host.machine()), QStringList{"42"});
    }

    void clickingAKeyPressesIt()
    {
        TestHost host(Model::HP50G);
        CalculatorWindow w(host);
        w.show();
        CalculatorFace *face = w.face();
        auto click = [&](const std::string &action) {
            for (const KeyDef &k : keyboardOf(Model::HP50G).keys)
                if (k.action == action) {
                    QTest::mouseClick(face, Qt::LeftButton, {}, face->keyRect(k).center());
                    return true;
                }
            return false;
        };
        QVERIFY(click("=4") && click("#ENTER") && click("=6") && click("*"));
        QVERIFY(host.machine()->waitReady(10000));
        QCOMPARE(stack(*host.machine()), QStringList{"24"});
    }

    void theScreenIsPaintedAtAnIntegerZoomFromTheMachinesDots()
    {
        TestHost host(Model::HP48GX);
        CalculatorWindow w(host);
        w.show();
        CalculatorFace *face = w.face();
        const QRect lcd = face->lcdRect();
        QCOMPARE(lcd.width(), 131 * face->zoom());
        QCOMPARE(lcd.height(), 64 * face->zoom());
        QVERIFY(face->width() > lcd.width());
        // a dark dot of the machine's picture is a dark square in the window
        QVERIFY(host.machine()->waitReady(10000));
        QTRY_VERIFY_WITH_TIMEOUT(host.machine()->currentScreen().serial > 0, 10000);
        const Screen s = host.machine()->currentScreen();
        const QImage img = face->grab().toImage();
        int checked = 0;
        for (int y = 0; y < s.lcd.height() && checked < 50; y += 3)
            for (int x = 0; x < s.lcd.width() && checked < 50; x += 2) {
                const QColor c = img.pixelColor(lcd.x() + x * face->zoom() + face->zoom() / 2,
                                                lcd.y() + y * face->zoom() + face->zoom() / 2);
                QCOMPARE(c.lightness() < 100, s.lcd.dot(x, y));
                ++checked;
            }
    }

    void aHaltedProgramIsShownOnceOnTheScreen()
    {
        TestHost host(Model::HP48GX);
        CalculatorWindow w(host);
        w.show();
        CalculatorFace *face = w.face();
        QVERIFY(host.machine()->runWhenIdle(
            [](Engine &e) { return e.enter(calc("« HALT 1 » EVAL")) == Engine::Status::Halted; }, 10000));
        QTRY_VERIFY_WITH_TIMEOUT(host.machine()->currentScreen().halted, 10000);
        // the screen's header says HALT ...
        QVERIFY(CalcCharset::decode(QByteArray::fromStdString(host.machine()->currentScreen().lines[0]))
                    .endsWith("HALT"));
        // ... and the row of annunciators above the dots says nothing more
        const QRect lcd = face->lcdRect();
        QTRY_VERIFY_WITH_TIMEOUT(face->grab().toImage().width() > 0, 10000);
        const QImage img = face->grab().toImage();
        int ink = 0;
        for (int y = lcd.y() - 18; y < lcd.y() - 2; ++y)
            for (int x = lcd.x() + lcd.width() * 4 / 6; x < lcd.right(); ++x)
                if (img.pixelColor(x, y).lightness() < 100)
                    ++ink;
        QCOMPARE(ink, 0);
    }

    void aRefusedStateFileLeavesTheCalculatorAsItWas()
    {
        TestHost host(Model::HP50G);
        CalculatorWindow w(host);
        // no message box in tests: the failure is reported through the result
        QTimer::singleShot(0, [] {
            for (QWidget *top : QApplication::topLevelWidgets())
                if (auto *box = qobject_cast<QMessageBox *>(top))
                    box->accept();
        });
        QVERIFY(!w.openStateFile("/nonexistent.e49"));
        QCOMPARE(w.face()->machine(), host.machine());
    }
};

QTEST_MAIN(TestCalcWindow)
#include "tst_calcwindow.moc"
