// The transfer window and File > Send to calculator: texts and progress,
// the object's name, the document checks, and a program that goes from a
// saved document through the emulator stand-in onto the stack of the
// simulated calculator over a pseudo-terminal.
#include "LinkRig.h"

#include "support/FakeEmulator.h"
#include "support/TestCommandHost.h"

#include "calc/core/BinaryObject.h"
#include "documents/DocumentEditor.h"
#include "documents/DocumentPanel.h"
#include "emulator/Emu48Proc.h"
#include "formats/ObjectFile.h"
#include "link/LinkCommands.h"
#include "link/TransferDialog.h"
#include "shell/Globals.h"
#include "shell/Language.h"
#include "shell/ScriptedDialogs.h"
#include "shell/Settings.h"

#include <QElapsedTimer>
#include <QGroupBox>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

namespace {
const QByteArray Program = "%%HP: T(3)A(R)F(.);\r\n\xAB 6 7 * \xBB\r\n";
}

class TestTransferWindow : public QObject
{
    Q_OBJECT

    std::unique_ptr<QTemporaryDir> m_dir;
    std::unique_ptr<ScriptedDialogs> m_dialogs;
    std::unique_ptr<FakeEmulator> m_fake;
    std::unique_ptr<TestCommandHost> m_window;
    std::unique_ptr<QuickTimings> m_quick;

    DocumentEditor *open(const QString &name, const QByteArray &text)
    {
        const QString path = m_dir->filePath(name);
        WriteFileBytes(text, path);
        m_window->Documents()->OpenDocument(path, true);
        return m_window->ActiveEditor();
    }
    // The nibbles the emulator would save for the program (or for source).
    static QByteArray programNibbles(const std::string &source = "\xAB 6 7 * \xBB")
    {
        Calc::Engine engine;
        const std::string n = Calc::encodeObject(engine.compile(source).items().front());
        return QByteArray::fromStdString(n);
    }
    // The blocks the sender uses for a file of size bytes: 1024 while that
    // many remain (from 896 bytes up), 128 for the rest.
    static int blocksFor(qint64 size)
    {
        int blocks = 0;
        qint64 sent = 0;
        const bool small = size < 896;
        while (sent < size) {
            sent += (!small && size - sent >= 1024) ? 1024 : 128;
            ++blocks;
        }
        return blocks;
    }

private slots:
    void init()
    {
        ResetEmulatorSession();
        m_dir = std::make_unique<QTemporaryDir>();
        SetAppFolder(m_dir->path() + '/');
        LanguageFilePath = QStringLiteral(QV_SOURCE_DATA_DIR "/Languages/English.lng");
        Settings() = AppSettings();
        Settings().environment.Emu49RamFilename = "default 50G.e49";
        SetMessage(MsgSaveBeforeSending, "Save the document first.");
        SetMessage(MsgNoCalculatorObject, "No object.");
        SetLabel(LblUntitled, "Untitled");
        RunTimeTransferOptions() = TransferOptions();
        m_dialogs = std::make_unique<ScriptedDialogs>();
        m_fake = std::make_unique<FakeEmulator>();
        EmuSession().TempObject = m_dir->path() + "/QVTEMP.TMP";
        m_window = std::make_unique<TestCommandHost>();
        new LinkCommands(*m_window);
        m_window->show();
        m_quick = std::make_unique<QuickTimings>();
    }
    void cleanup()
    {
        LinkCommands::SetTransferWatcher({});
        m_window.reset();
        m_fake.reset();
        m_dialogs.reset();
        m_quick.reset();
    }

    void theWindowShowsItsTextsAndProgress()
    {
        TTransferDialog window(m_window.get());
        QCOMPARE(window.size(), QSize(393, 225));
        QCOMPARE(window.windowTitle(), QString("Sending"));
        QCOMPARE(window.LabelFileName->text(), QString("File name:"));
        QCOMPARE(window.GroupTransfer->title(), QString("Transfer"));
        QCOMPARE(window.LabelPacket->text(), QString("Packets sent:"));
        QCOMPARE(window.Cancel->text(), QString("Cancel"));
        // every panel begins after its label
        QVERIFY(window.FileName->x() > window.LabelFileName->geometry().right());
        QVERIFY(window.StatusPanel->x() > window.LabelStatus->geometry().right());
        QVERIFY(window.Packets->x() > window.LabelPacket->geometry().right());
        QCOMPARE(window.StatusPanel->text(), QString("Connecting..."));
        QCOMPARE(window.Percent->text(), QString("0%"));
        QCOMPARE(window.Packets->text(), QString("0"));
        QCOMPARE(window.StatusPanel->font().bold(), true);

        // reports count only while the window is shown
        window.ThreadReport("ignored", ReportStatus, 0, 0);
        QCOMPARE(window.StatusPanel->text(), QString("Connecting..."));
        window.show();
        window.ThreadReport(FormatProgress(0, 2048, 0), ReportProgress, 2048, 0);
        window.ThreadReport(FormatProgress(512, 2048, 0), ReportProgress, 2048, 512);
        QCOMPARE(window.Percent->text(), QString("25%"));
        QCOMPARE(window.ProgressBar->maximum(), 2048);
        QCOMPARE(window.ProgressBar->value(), 512);
        QCOMPARE(window.StatusPanel->text(), QString("512/2048 bytes"));
        QCOMPARE(window.Packets->text(), QString("2"));
        // the report of the whole file counts no block of its own
        window.ThreadReport(FormatProgress(2048, 2048, 0), ReportProgress, 2048, 2048);
        QCOMPARE(window.Percent->text(), QString("100%"));
        QCOMPARE(window.Packets->text(), QString("2"));
        QSignalSpy ended(&window, &TTransferDialog::transferEnded);
        window.ThreadReport(QString(), ReportEnded, 0, 0);
        QCOMPARE(ended.size(), 1);
    }

    void objectNames_data()
    {
        QTest::addColumn<QString>("path");
        QTest::addColumn<bool>("capitals");
        QTest::addColumn<bool>("removeExtension");
        QTest::addColumn<QString>("name");
        QTest::newRow("the file part as it is") << "/home/ana/PROG.HP" << false << false << "PROG.HP";
        QTest::newRow("without its extension") << "/home/ana/PROG.HP" << false << true << "PROG";
        QTest::newRow("in capitals") << "/home/ana/prog.HP" << true << false << "PROG.HP";
        QTest::newRow("both") << "/home/ana/Solve.v2.HP" << true << true << "SOLVE.V2";
    }
    void objectNames()
    {
        QFETCH(QString, path);
        QFETCH(bool, capitals);
        QFETCH(bool, removeExtension);
        QFETCH(QString, name);
        TransferOptions options;
        options.ObjectNameCap = capitals;
        options.ObjectNameExt = removeExtension;
        QCOMPARE(TransferObjectName(path, options), name);
    }

    void aDocumentMustBeSavedFirst()
    {
        DocumentEditor *editor = open("PROG.txt", Program);
        editor->insert("x");
        m_window->trigger("FileSendToHP");
        QCOMPARE(m_dialogs->messages.size(), 1);
        QCOMPARE(m_dialogs->messages[0].text, QString("Save the document first."));
        QVERIFY(!QFile::exists(m_dir->filePath("PROG.HP")));

        m_window->Documents()->NewDocument();
        m_window->trigger("FileSendToHP");
        QCOMPARE(m_dialogs->messages.size(), 2);
        QCOMPARE(m_dialogs->messages[1].text, QString("Save the document first."));
    }

    void aTextThatDoesNotCompileIsReported()
    {
        open("PROG.txt", Program);
        m_fake->savedObject.clear();
        m_window->trigger("FileSendToHP");
        QCOMPARE(m_dialogs->messages.size(), 1);
        QCOMPARE(m_dialogs->messages[0].text, QString("No object."));
        QCOMPARE(m_dialogs->messages[0].icon, QMessageBox::Critical);
    }

    void withoutAPortNothingIsConnected()
    {
        open("PROG.txt", Program);
        m_fake->savedObject = programNibbles();
        Settings().environment.SerialPort.clear();
        m_window->trigger("FileSendToHP");
        QVERIFY(QFile::exists(m_dir->filePath("PROG.HP"))); // the object stays beside the document
        QCOMPARE(m_dialogs->messages.size(), 1);
        QCOMPARE(m_dialogs->messages[0].text,
                 QString("Error (No device connected. Check you are in Xmodem server (RShift RightArrow))"));
        // the window is gone and the main window usable again
        for (QWidget *w : QApplication::topLevelWidgets())
            QVERIFY(!qobject_cast<TTransferDialog *>(w));
        QVERIFY(m_window->isEnabled());
    }

    void aPortThatCannotBeOpenedIsReported()
    {
        open("PROG.txt", Program);
        m_fake->savedObject = programNibbles();
        Settings().environment.SerialPort = "/dev/nonexistent-port";
        m_window->trigger("FileSendToHP");
        QCOMPARE(m_dialogs->messages.size(), 1);
        QCOMPARE(m_dialogs->messages[0].text,
                 QString("Error (The connectivity kit is unable to open the communication com :/dev/nonexistent-port)"));
    }

    void theProgramArrivesOnTheCalculatorsStack()
    {
        CalculatorRig rig;
        rig.start();
        open("PROG.txt", Program);
        m_fake->savedObject = programNibbles();
        Settings().environment.SerialPort = QString::fromStdString(rig.slaveName);
        RunTimeTransferOptions().ObjectNameExt = true;
        QString objectName, fileName;
        int lastPercent = -1;
        LinkCommands::SetTransferWatcher([&](TTransferDialog &w) {
            TTransferDialog *window = &w;
            QObject::connect(&w.Session(), &TXModemServer::transferReport, &w, [&, window](const QString &, int kind) {
                objectName = window->ObjectName->text();
                fileName = window->FileName->toolTip();
                if (kind == ReportProgress)
                    lastPercent = window->Percent->text().chopped(1).toInt();
            });
        });
        m_window->trigger("FileSendToHP");
        QVERIFY2(m_dialogs->messages.isEmpty(),
                 qPrintable(m_dialogs->messages.isEmpty() ? QString() : m_dialogs->messages[0].text));
        QCOMPARE(objectName, QString("PROG"));
        QCOMPARE(ReadFileBytes(m_dir->filePath("PROG.txt")), Program);
        QCOMPARE(fileName, m_dir->filePath("PROG.HP"));
        QCOMPARE(lastPercent, 100);
        QTRY_COMPARE_WITH_TIMEOUT(rig.onEngine([](Calc::Engine &e) { return e.depth(); }), size_t(1), 5000);
        const std::string top = rig.onEngine([](Calc::Engine &e) { return e.toText(e.level(1)); });
        Calc::Engine reference{Calc::Model::HP50G};
        const std::string sent = reference.toText(reference.compile("\xAB 6 7 * \xBB").items().front());
        QCOMPARE(QByteArray::fromStdString(top), QByteArray::fromStdString(sent));
        for (QWidget *w : QApplication::topLevelWidgets())
            QVERIFY(!qobject_cast<TTransferDialog *>(w));
    }

    void aSourceNamedLikeItsObjectIsKept()
    {
        CalculatorRig rig;
        rig.start();
        open("PROG.HP", Program);
        m_fake->savedObject = programNibbles();
        Settings().environment.SerialPort = QString::fromStdString(rig.slaveName);
        m_window->trigger("FileSendToHP");
        QVERIFY2(m_dialogs->messages.isEmpty(),
                 qPrintable(m_dialogs->messages.isEmpty() ? QString() : m_dialogs->messages[0].text));
        QCOMPARE(ReadFileBytes(m_dir->filePath("PROG.HP")), Program);
        QVERIFY(QFileInfo(m_dir->filePath("PROG.HP.HP")).size() > 0);
        QTRY_COMPARE_WITH_TIMEOUT(rig.onEngine([](Calc::Engine &e) { return e.depth(); }), size_t(1), 5000);
    }

    void aLongerObjectCountsItsBlocksAndEndsAtTheWhole()
    {
        CalculatorRig rig;
        rig.start();
        open("TEXT.txt", Program);
        m_fake->savedObject = programNibbles('"' + std::string(3000, 'x') + '"');
        Settings().environment.SerialPort = QString::fromStdString(rig.slaveName);
        QString packets, percent;
        LinkCommands::SetTransferWatcher([&](TTransferDialog &w) {
            TTransferDialog *window = &w;
            QObject::connect(&w.Session(), &TXModemServer::transferReport, &w, [&, window](const QString &, int kind) {
                if (kind == ReportProgress) {
                    packets = window->Packets->text();
                    percent = window->Percent->text();
                }
            });
        });
        m_window->trigger("FileSendToHP");
        QVERIFY2(m_dialogs->messages.isEmpty(),
                 qPrintable(m_dialogs->messages.isEmpty() ? QString() : m_dialogs->messages[0].text));
        const qint64 size = QFileInfo(m_dir->filePath("TEXT.HP")).size();
        QVERIFY(size > 3000);
        QCOMPARE(packets, QString::number(blocksFor(size)));
        QCOMPARE(percent, QString("100%"));
        QTRY_COMPARE_WITH_TIMEOUT(rig.onEngine([](Calc::Engine &e) { return e.depth(); }), size_t(1), 5000);
    }

    void cancelStopsTheTransferAndLeavesTheCalculatorAsItWas_data()
    {
        QTest::addColumn<bool>("escape");
        QTest::newRow("the Cancel button") << false;
        QTest::newRow("the Escape key") << true;
    }
    void cancelStopsTheTransferAndLeavesTheCalculatorAsItWas()
    {
        QFETCH(bool, escape);
        CalculatorRig rig;
        // A slow line, so that the user has time to think better of it.
        rig.line->onIncoming = [](long index, char) {
            if (index % 16 == 0)
                QThread::msleep(2);
            return FaultyLine::Pass;
        };
        rig.start();
        open("TEXT.txt", Program);
        m_fake->savedObject = programNibbles('"' + std::string(20000, 'x') + '"');
        Settings().environment.SerialPort = QString::fromStdString(rig.slaveName);
        bool clicked = false;
        LinkCommands::SetTransferWatcher([&](TTransferDialog &w) {
            QObject::connect(&w.Session(), &TXModemServer::transferReport, &w,
                             [window = &w, &clicked, escape](const QString &, int kind, qint64 total, qint64 done) {
                                 // the object, not the version fetched on connecting
                                 if (kind == ReportProgress && total > 10000 && done > 0 && !clicked) {
                                     clicked = true;
                                     if (escape)
                                         QTest::keyClick(window, Qt::Key_Escape);
                                     else
                                         QTest::mouseClick(window->Cancel, Qt::LeftButton);
                                 }
                             });
        });
        QElapsedTimer clock;
        clock.start();
        m_window->trigger("FileSendToHP");
        QVERIFY(clicked);
        QVERIFY2(clock.elapsed() < 15000, "the cancelled send took too long");
        // the user's own choice: no error box
        QVERIFY2(m_dialogs->messages.isEmpty(),
                 qPrintable(m_dialogs->messages.isEmpty() ? QString() : m_dialogs->messages[0].text));
        for (QWidget *w : QApplication::topLevelWidgets())
            QVERIFY(!qobject_cast<TTransferDialog *>(w));
        QTest::qWait(300);
        QCOMPARE(rig.onEngine([](Calc::Engine &e) { return e.depth(); }), size_t(0));
    }
};

QTEST_MAIN(TestTransferWindow)
#include "tst_transferwindow.moc"
