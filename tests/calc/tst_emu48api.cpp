// The library's twelve C functions end to end: state and port files in, a
// command-line object loaded and run by its key, the result read back, and
// the notifications of the calculator window.
#include "calc/api/emu48dll.h"
#include "calc/core/BinaryObject.h"
#include "calc/core/Engine.h"
#include "calc/core/Integer.h"
#include "calc/core/StateFile.h"
#include "calc/ui/CalculatorWindow.h"
#include "formats/CalcCharset.h"
#include "formats/NibbleText.h"
#include "formats/ObjectFile.h"

#include <QtTest>
#include <QApplication>

using namespace Calc;

namespace {

std::string calc(const QString &s)
{
    const QByteArray b = CalcCharset::encode(s);
    return std::string(b.constData(), static_cast<size_t>(b.size()));
}

// A state file of a model with a command line already run in it.
bool writeState(const QString &path, Model model, char letter, const QString &line = {})
{
    Engine e(model);
    if (!line.isEmpty() && e.enter(calc(line)) != Engine::Status::Done)
        return false;
    MachineState s;
    e.captureState(s);
    s.modelLetter = letter;
    const std::string bytes = saveState(s);
    QFile f(path);
    return f.open(QIODevice::WriteOnly) && f.write(bytes.data(), qint64(bytes.size())) == qint64(bytes.size());
}

// The editor's command-line wrapper as the object file it sends.
QByteArray wrapper(const QString &text, bool hp48, bool run)
{
    const QByteArray chars = QByteArray::fromStdString(calc(text));
    return QByteArray(hp48 ? "HPHP48-C" : "HPHP49-C") +
           NibbleTextToBytes(CommandLineWrapper(chars, run, hp48));
}

bool waitReady()
{
    QDeadlineTimer deadline(10000);
    while (!deadline.hasExpired()) {
        if (EmuGetRegister(EMU48_READY_REGISTER) & EMU48_READY_BIT)
            return true;
        QThread::msleep(5);
    }
    return false;
}

void typeKey(int out, int bit)
{
    EmuSimulateKey(EMU48_KEY_PRESSED, out, 1 << bit);
    EmuSimulateKey(EMU48_KEY_RELEASED, out, 1 << bit);
}

QWidget *calculatorWindow()
{
    for (QWidget *w : QApplication::topLevelWidgets())
        if (w->objectName() == "QEmu48")
            return w;
    return nullptr;
}

int g_closed = 0;
std::atomic<int> g_halts{0};
QString g_document;
int g_documentModel = 0;

} // namespace

class TestEmu48Api : public QObject
{
    Q_OBJECT

    QTemporaryDir m_dir;

    QString path(const QString &name) const { return m_dir.filePath(name); }

private slots:
    void init()
    {
        g_closed = 0;
        g_document.clear();
        g_documentModel = 0;
    }

    void cleanup()
    {
        EmuStop();
        EmuDestroy();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    }

    void stopAndDestroyAreHarmlessWithNothingCreated()
    {
        EmuStop();
        EmuDestroy();
        EmuStop();
        EmuDestroy();
        QCOMPARE(EmuGetRegister(EMU48_READY_REGISTER), 0u);
        QCOMPARE(EmuCalculatorType(), 0);
        QVERIFY(EmuLoadObject(qPrintable(path("none"))) != 0);
        QVERIFY(EmuSaveObject(qPrintable(path("none"))) != 0);
        EmuSimulateKey(EMU48_KEY_PRESSED, 0, 1);
        QVERIFY(!calculatorWindow());
    }

    void theStateFileNamesTheModel_data()
    {
        QTest::addColumn<int>("model");
        QTest::addColumn<QString>("letter");
        QTest::newRow("a 48GX state makes a G") << int(Model::HP48GX) << "G";
        QTest::newRow("a 49G state makes an X") << int(Model::HP49G) << "X";
        QTest::newRow("a 50g state makes a Q") << int(Model::HP50G) << "Q";
    }

    void theStateFileNamesTheModel()
    {
        QFETCH(int, model);
        QFETCH(QString, letter);
        const QString file = path("m." + letter);
        QVERIFY(writeState(file, Model(model), letter.at(0).toLatin1()));
        QCOMPARE(EmuCreate(qPrintable(file)), 0);
        QCOMPARE(EmuCalculatorType() & 0xFF, int(letter.at(0).toLatin1()));
        QVERIFY(waitReady());
        // one calculator at a time
        QVERIFY(EmuCreate(qPrintable(file)) != 0);
        QWidget *w = calculatorWindow();
        QVERIFY(w);
        QVERIFY(!w->isVisible());
    }

    void creationFailsOnMissingOrDamagedFiles_data()
    {
        QTest::addColumn<QString>("content");
        QTest::newRow("a missing file") << QString();
        QTest::newRow("a file that is no state") << "just text";
    }

    void creationFailsOnMissingOrDamagedFiles()
    {
        QFETCH(QString, content);
        const QString file = path("bad.e49");
        QFile::remove(file);
        if (!content.isNull()) {
            QFile f(file);
            QVERIFY(f.open(QIODevice::WriteOnly));
            f.write(content.toLatin1());
        }
        QVERIFY(EmuCreate(qPrintable(file)) != 0);
        QCOMPARE(EmuCalculatorType(), 0);
        QVERIFY(!calculatorWindow());
    }

    void aRelativeStateFileIsTakenFromTheWorkingFolderAndSavedBackThere()
    {
        QVERIFY(writeState(path("rel.e49"), Model::HP50G, 'Q', "7"));
        const QString old = QDir::currentPath();
        QDir::setCurrent(m_dir.path());
        const int r = EmuCreate("rel.e49");
        QDir::setCurrent(old);
        QCOMPARE(r, 0);
        QVERIFY(waitReady());
        // a change, then Save state from the window while elsewhere
        typeKey(3, 0); // 0
        typeKey(0, 0); // ENTER
        QVERIFY(waitReady());
        auto *w = qobject_cast<CalculatorWindow *>(calculatorWindow());
        QVERIFY(w);
        QVERIFY(w->saveState());
        QFile f(path("rel.e49"));
        QVERIFY(f.open(QIODevice::ReadOnly));
        const StateLoad saved = loadState(f.readAll().toStdString());
        QVERIFY(saved.ok());
        QCOMPARE(int(saved.state.stack.size()), 2);
    }

    void aPortFileGoesWithA48gxState()
    {
        QVERIFY(writeState(path("p.e48"), Model::HP48GX, 'G'));
        PortState port;
        port.modelLetter = 'G';
        const std::string bytes = savePort(port);
        QFile pf(path("p.bin"));
        QVERIFY(pf.open(QIODevice::WriteOnly));
        pf.write(bytes.data(), qint64(bytes.size()));
        pf.close();
        QCOMPARE(EmuCreateEx(qPrintable(path("p.e48")), qPrintable(path("p.bin"))), 0);
        QCOMPARE(EmuCalculatorType(), int('G'));
        EmuStop();
        EmuDestroy();
        // a damaged or missing card keeps the calculator from starting
        QVERIFY(pf.open(QIODevice::WriteOnly));
        pf.write("damaged");
        pf.close();
        QVERIFY(EmuCreateEx(qPrintable(path("p.e48")), qPrintable(path("p.bin"))) != 0);
        QVERIFY(EmuCreateEx(qPrintable(path("p.e48")), qPrintable(path("none.bin"))) != 0);
        // no port file at all is fine
        QCOMPARE(EmuCreateEx(qPrintable(path("p.e48")), ""), 0);
    }

    // What the editor's F9 does: load the wrapper of a command line, press
    // the evaluation key, wait for ready, read level 1 back.
    void aProgramSentAsACommandLineRunsAndItsResultComesBack_data()
    {
        QTest::addColumn<int>("model");
        QTest::addColumn<QString>("keys"); // out,bit pairs of the evaluation key text
        QTest::newRow("48GX: the O key") << int(Model::HP48GX) << "6,3";
        QTest::newRow("50g: the N key") << int(Model::HP50G) << "3,6";
        QTest::newRow("49G: right shift then P") << int(Model::HP49G) << "7,1 1,6";
    }

    void aProgramSentAsACommandLineRunsAndItsResultComesBack()
    {
        QFETCH(int, model);
        QFETCH(QString, keys);
        const bool hp48 = model == int(Model::HP48GX);
        const char letter = hp48 ? 'G' : model == int(Model::HP49G) ? 'X' : 'Q';
        QVERIFY(writeState(path("run.st"), Model(model), letter));
        QCOMPARE(EmuCreate(qPrintable(path("run.st"))), 0);
        EmuCallBackDebugNotify(nullptr);
        QVERIFY(waitReady());
        const QString obj = path("QVTEMP.TMP");
        auto send = [&](const QString &text, bool run) {
            QFile f(obj);
            if (!f.open(QIODevice::WriteOnly))
                return false;
            f.write(wrapper(text, hp48, run));
            f.close();
            if (EmuLoadObject(qPrintable(obj)) != 0)
                return false;
            for (const QString &k : keys.split(' ')) {
                const QStringList p = k.split(',');
                typeKey(p[0].toInt(), p[1].toInt());
            }
            return waitReady();
        };
        QVERIFY(send("6 7", true));
        QVERIFY(send("« → a b « a b * » »", true));
        QCOMPARE(EmuSaveObject(qPrintable(obj)), 0);
        QFile f(obj);
        QVERIFY(f.open(QIODevice::ReadOnly));
        const QByteArray bytes = f.readAll();
        QVERIFY(bytes.startsWith(hp48 ? "HPHP48-" : "HPHP49-"));
        const DecodedObject result = readObjectFile(bytes.toStdString());
        QVERIFY2(result.ok(), result.error.c_str());
        if (hp48) {
            QVERIFY(result.value.isReal());
            QCOMPARE(result.value.asReal().toDouble(), 42.0);
        } else {
            // the 49 family in its exact mode: the integers typed stay exact
            QCOMPARE(result.value.type(), Type::Integer);
            QCOMPARE(integerText(result.value), std::string("42"));
        }
        // without the run flag the program only lands on the stack
        QVERIFY(send("« 1 2 + »", false));
        QCOMPARE(EmuSaveObject(qPrintable(obj)), 0);
        f.close();
        QVERIFY(f.open(QIODevice::ReadOnly));
        const DecodedObject prog = readObjectFile(f.readAll().toStdString());
        QVERIFY(prog.ok());
        QCOMPARE(prog.value.type(), Type::Program);
    }

    void theMemoryBudgetIsSetInMiBWithinItsRange_data()
    {
        QTest::addColumn<int>("asked");
        QTest::addColumn<int>("inForce");
        QTest::newRow("in range") << 64 << 64;
        QTest::newRow("none") << 0 << 1;
        QTest::newRow("negative") << -3 << 1;
        QTest::newRow("past 3 GiB") << 5000 << 3072;
    }

    void theMemoryBudgetIsSetInMiBWithinItsRange()
    {
        QFETCH(int, asked);
        QFETCH(int, inForce);
        QCOMPARE(EmuSetMemoryBudget(asked), inForce);
        QCOMPARE(memoryBudget(), size_t(inForce) << 20);
        EmuSetMemoryBudget(EMU48_DEFAULT_MEMORY_MIB);
        QCOMPARE(memoryBudget(), DefaultMemoryBudget);
    }

    void aHaltCallsTheDebugNotificationAndTheMenuIsKeptInTheState()
    {
        QVERIFY(writeState(path("h.e49"), Model::HP50G, 'Q'));
        QCOMPARE(EmuCreate(qPrintable(path("h.e49"))), 0);
        g_halts = 0;
        EmuCallBackDebugNotify([](int32_t reason) {
            if (reason == 0)
                ++g_halts;
        });
        QVERIFY(waitReady());
        const QString obj = path("halt.obj");
        QFile f(obj);
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.write(wrapper("41.01 TMENU « 1 HALT 2 »", false, true));
        f.close();
        QCOMPARE(EmuLoadObject(qPrintable(obj)), 0);
        typeKey(3, 6); // EVAL
        QVERIFY(waitReady());
        QCOMPARE(g_halts.load(), 1);
        auto *w = qobject_cast<CalculatorWindow *>(calculatorWindow());
        QCOMPARE(QString::fromStdString(w->face()->machine()->currentScreen().menu[0]), QString("DBUG"));
        QVERIFY(w->saveState());
        EmuStop();
        EmuDestroy();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        QCOMPARE(EmuCreate(qPrintable(path("h.e49"))), 0);
        QVERIFY(waitReady());
        w = qobject_cast<CalculatorWindow *>(calculatorWindow());
        QCOMPARE(QString::fromStdString(w->face()->machine()->currentScreen().menu[0]), QString("DBUG"));
    }

    void closingTheWindowCallsTheCloseNotification()
    {
        QVERIFY(writeState(path("c.e49"), Model::HP50G, 'Q'));
        QCOMPARE(EmuCreate(qPrintable(path("c.e49"))), 0);
        // the editor's close procedure stops and destroys the library at once
        EmuCallBackClose([] {
            ++g_closed;
            EmuStop();
            EmuDestroy();
        });
        QWidget *w = calculatorWindow();
        QVERIFY(w);
        w->show();
        w->close();
        QCOMPARE(g_closed, 1);
        QCOMPARE(EmuCalculatorType(), 0);
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        QVERIFY(!calculatorWindow());
    }

    void openingAnotherStateFileCallsTheDocumentNotification()
    {
        QVERIFY(writeState(path("a.e49"), Model::HP50G, 'Q'));
        QVERIFY(writeState(path("b.e48"), Model::HP48GX, 'G', "5"));
        QCOMPARE(EmuCreate(qPrintable(path("a.e49"))), 0);
        EmuCallBackDocumentNotify([](const char *p) {
            g_document = QString::fromUtf8(p);
            g_documentModel = EmuCalculatorType();
        });
        auto *w = qobject_cast<CalculatorWindow *>(calculatorWindow());
        QVERIFY(w);
        QVERIFY(w->openStateFile(path("b.e48")));
        QCOMPARE(g_document, QFileInfo(path("b.e48")).absoluteFilePath());
        QCOMPARE(g_documentModel, int('G'));
        QCOMPARE(w->face()->machine()->model(), Model::HP48GX);
        // Save state as switches the file as well
        QVERIFY(w->saveStateAs(path("c.e48")));
        QCOMPARE(g_document, QFileInfo(path("c.e48")).absoluteFilePath());
        QVERIFY(QFile::exists(path("c.e48")));
    }
};

QTEST_MAIN(TestEmu48Api)
#include "tst_emu48api.moc"
