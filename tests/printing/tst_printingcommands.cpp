#include "printing/DlgPageSetup.h"
#include "printing/DlgPreview.h"
#include "printing/PdfExport.h"
#include "printing/PrintingCommands.h"
#include "PdfText.h"
#include "shell/Globals.h"
#include "shell/Language.h"
#include "shell/ScriptedDialogs.h"
#include "shell/Settings.h"
#include "shell/SingleInstance.h"
#include "support/TestCommandHost.h"

#include <QCheckBox>
#include <QLabel>
#include <QPrintDialog>
#include <QPrintPreviewWidget>
#include <QProcess>
#include <QTemporaryDir>
#include <QTextEdit>
#include <QtTest>

// The commands of the File menu that print, and the PDF export from the
// menu and from a terminal.
namespace {

const QByteArray Program = "%%HP: T(3)A(R)F(.);\r\n\xAB \x8D a b 'a+b' \xBB\r\n";

} // namespace

class TestPrintingCommands : public QObject
{
    Q_OBJECT

    QTemporaryDir m_dir;

    QString writeDocument(const QString &name, const QByteArray &bytes = Program)
    {
        QDir().mkpath(QFileInfo(m_dir.filePath(name)).path());
        QFile file(m_dir.filePath(name));
        if (!file.open(QIODevice::WriteOnly))
            return {};
        file.write(bytes);
        return file.fileName();
    }

private slots:
    void initTestCase()
    {
        InstallBuiltInMessagesAndLabels();
        InstallFontSubstitutions();
        LanguageFilePath = QStringLiteral(QV_SOURCE_DATA_DIR "/Languages/Spanish(1).lng");
    }

    void init() { Settings() = AppSettings::defaults(); }

    void pageSetupOkAndCancel()
    {
        TestCommandHost host;
        PrintingCommands commands(host);
        const QString headerBefore = Settings().printing.HeaderItems;
        int shown = 0;
        int answer = QDialog::Rejected;
        commands.setModalRunner([&](QDialog *dialog) {
            ++shown;
            auto *page = qobject_cast<TPageDialog *>(dialog);
            if (!page)
                return int(QDialog::Rejected);
            page->optionBox(QStringLiteral("LineNumbers"))->setChecked(true);
            page->textBox(TPageDialog::Header, TPageDialog::CenterBox)->setPlainText(QStringLiteral("a/b\\c"));
            return answer;
        });
        host.trigger(QStringLiteral("FilePageSetup"));
        QCOMPARE(shown, 1);
        QVERIFY(!Settings().printing.PrintLineNumbers);
        QCOMPARE(Settings().printing.HeaderItems, headerBefore);

        answer = QDialog::Accepted;
        host.trigger(QStringLiteral("FilePageSetup"));
        QVERIFY(Settings().printing.PrintLineNumbers);
        HeaderFooter header;
        header.setItemString(Settings().printing.HeaderItems);
        QCOMPARE(header.items[1].text, QStringLiteral("a/b\\c"));
        // The window outlives each use: it is the same one next time.
        QCOMPARE(commands.PageDialog()->parent(), &host);
    }

    void previewShowsTheActiveDocument()
    {
        TestCommandHost host;
        PrintingCommands commands(host);
        QVERIFY(host.Documents()->OpenDocument(writeDocument(QStringLiteral("clase/tema/suma.hpprg")), true));
        int pages = 0;
        QString page;
        commands.setModalRunner([&](QDialog *dialog) {
            auto *preview = qobject_cast<TPreviewDialog *>(dialog);
            if (!preview)
                return int(QDialog::Rejected);
            preview->show();
            pages = preview->preview()->pageCount();
            page = preview->statusPanel(1)->text();
            return int(QDialog::Accepted);
        });
        host.trigger(QStringLiteral("FilePreview"));
        QCOMPARE(pages, 1);
        QCOMPARE(page, QStringLiteral(" %1: 1").arg(Label(LblPage)));
        // The title field is the file name alone.
        QCOMPARE(commands.Engine().document().title, QStringLiteral("suma.hpprg"));
        QVERIFY(commands.Engine().document().text.contains(QStringLiteral("\u00AB \u2192 a b 'a+b' \u00BB")));
    }

    void printGoesThroughThePrintDialog()
    {
        TestCommandHost host;
        PrintingCommands commands(host);
        QVERIFY(host.Documents()->OpenDocument(writeDocument(QStringLiteral("print/suma.hpprg")), true));
        const QString pdf = m_dir.filePath(QStringLiteral("printed.pdf"));
        bool selectionOffered = true;
        int answer = QDialog::Rejected;
        commands.setModalRunner([&](QDialog *dialog) {
            auto *print = qobject_cast<QPrintDialog *>(dialog);
            if (!print)
                return int(QDialog::Rejected);
            selectionOffered = print->testOption(QAbstractPrintDialog::PrintSelection);
            // What choosing "Print to File (PDF)" leaves on the printer.
            print->printer()->setOutputFormat(QPrinter::PdfFormat);
            print->printer()->setOutputFileName(pdf);
            return answer;
        });
        host.trigger(QStringLiteral("FilePrint"));
        QVERIFY(!QFile::exists(pdf));
        QVERIFY(!selectionOffered);

        answer = QDialog::Accepted;
        host.ActiveEditor()->setSelection(1, 0, 1, 3);
        host.trigger(QStringLiteral("FilePrint"));
        QVERIFY(selectionOffered);
        const QStringList pages = PdfPages(pdf);
        QCOMPARE(pages.size(), 1);
        QVERIFY2(pages[0].contains(QStringLiteral("« → a b 'a+b' »")), qPrintable(pages[0]));
        QVERIFY(pages[0].contains(QStringLiteral("Página: 1 de 1")));
        QVERIFY(pages[0].contains(QStringLiteral("suma.hpprg")));

        // A file that cannot be written is said so, and an older one stays.
        ScriptedDialogs dialogs;
        const QString impossible = pdf + QStringLiteral("/inside.pdf");
        commands.setModalRunner([&](QDialog *dialog) {
            auto *print = qobject_cast<QPrintDialog *>(dialog);
            print->printer()->setOutputFileName(impossible);
            return int(QDialog::Accepted);
        });
        host.trigger(QStringLiteral("FilePrint"));
        QCOMPARE(dialogs.messages.size(), 1);
        QVERIFY(dialogs.messages[0].text.contains(impossible));
        QCOMPARE(PdfPages(pdf).size(), 1);
    }

    void exportPdfFromTheMenu()
    {
        TestCommandHost host;
        PrintingCommands commands(host);
        const QString source = writeDocument(QStringLiteral("menu/suma.hpprg"));
        QVERIFY(host.Documents()->OpenDocument(source, true));
        ScriptedDialogs dialogs;
        const QString pdf = m_dir.filePath(QStringLiteral("menu/suma.pdf"));
        dialogs.chooseFile(pdf);
        host.trigger(QStringLiteral("FileExportPdf"));
        QCOMPARE(dialogs.saveRequests.size(), 1);
        QCOMPARE(dialogs.saveRequests[0].fileName, pdf);
        QCOMPARE(dialogs.saveRequests[0].filter, QStringLiteral("Documentos PDF|*.pdf"));
        QCOMPARE(dialogs.saveRequests[0].defaultExtension, QStringLiteral("pdf"));
        QVERIFY(dialogs.messages.isEmpty());
        const QStringList pages = PdfPages(pdf);
        QCOMPARE(pages.size(), 1);
        QVERIFY(pages[0].contains(QStringLiteral("« → a b 'a+b' »")));

        // A cancelled dialog writes nothing; a failure says where and why.
        dialogs.cancelFile();
        host.trigger(QStringLiteral("FileExportPdf"));
        QVERIFY(dialogs.messages.isEmpty());
        const QString impossible = source + QStringLiteral("/inside-a-file.pdf");
        dialogs.chooseFile(impossible);
        host.trigger(QStringLiteral("FileExportPdf"));
        QCOMPARE(dialogs.messages.size(), 1);
        QVERIFY(dialogs.messages[0].text.contains(impossible));
        QCOMPARE(dialogs.messages[0].icon, QMessageBox::Critical);
    }

    void withoutADocumentNothingHappens()
    {
        TestCommandHost host;
        PrintingCommands commands(host);
        ScriptedDialogs dialogs;
        int shown = 0;
        commands.setModalRunner([&](QDialog *) { return ++shown, int(QDialog::Accepted); });
        for (const char *name : {"FilePrint", "FilePreview", "FileExportPdf"})
            host.trigger(QString::fromLatin1(name));
        QCOMPARE(shown, 0);
        QVERIFY(dialogs.saveRequests.isEmpty());
    }

    void exportFunction()
    {
        const QString source = writeDocument(QStringLiteral("cli/resta.hpprg"));
        const QString pdf = m_dir.filePath(QStringLiteral("cli/resta.pdf"));
        QString error;
        QVERIFY2(ExportDocumentAsPdf(source, pdf, &error), qPrintable(error));
        const QStringList pages = PdfPages(pdf);
        QCOMPARE(pages.size(), 1);
        QVERIFY(pages[0].contains(QStringLiteral("resta.hpprg")));
        QVERIFY(!pages[0].contains(QStringLiteral("cli/")));
        QVERIFY(pages[0].contains(QStringLiteral("« → a b 'a+b' »")));

        QVERIFY(!ExportDocumentAsPdf(m_dir.filePath(QStringLiteral("missing.hpprg")), pdf, &error));
        QVERIFY(error.contains(QStringLiteral("missing.hpprg")));
    }

    void exportFromATerminal_data()
    {
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<int>("exitCode");
        QTest::addColumn<QString>("message");
        QTest::newRow("a document becomes a PDF") << QStringList{"OUT", "IN"} << 0 << "";
        QTest::newRow("a missing document") << QStringList{"OUT", "MISSING"} << 1 << "nothing.hpprg";
        QTest::newRow("an unwritable PDF") << QStringList{"IN/x.pdf", "IN"} << 1 << "x.pdf";
        QTest::newRow("too few arguments") << QStringList{"OUT"} << 2 << "usage";
    }

    void exportFromATerminal()
    {
        QFETCH(QStringList, arguments);
        QFETCH(int, exitCode);
        QFETCH(QString, message);
        const QString source = writeDocument(QStringLiteral("terminal/suma.hpprg"));
        const QString pdf = m_dir.filePath(QStringLiteral("terminal/suma.pdf"));
        QFile::remove(pdf);
        for (QString &a : arguments) {
            a.replace(QStringLiteral("OUT"), pdf);
            a.replace(QStringLiteral("MISSING"), m_dir.filePath(QStringLiteral("nothing.hpprg")));
            a.replace(QStringLiteral("IN"), source);
        }
        // A running editor must not be handed the file.
        InstanceServer running;
        QVERIFY(running.listen());
        QStringList received;
        connect(&running, &InstanceServer::fileReceived, this, [&](const QString &f) { received << f; });

        QProcess quorvane;
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.remove(QStringLiteral("QT_QPA_PLATFORM"));
        env.remove(QStringLiteral("DISPLAY"));
        env.remove(QStringLiteral("WAYLAND_DISPLAY"));
        quorvane.setProcessEnvironment(env);
        quorvane.start(QStringLiteral(QV_BIN_DIR "/quorvane"), QStringList{"--export-pdf"} + arguments);
        QVERIFY(quorvane.waitForStarted(10000));
        // Let the server answer a hand-over while the program runs.
        QTRY_VERIFY_WITH_TIMEOUT(quorvane.state() == QProcess::NotRunning, 60000);
        QCOMPARE(quorvane.exitStatus(), QProcess::NormalExit);
        QCOMPARE(quorvane.exitCode(), exitCode);
        QVERIFY(received.isEmpty());
        const QString errors = QString::fromLocal8Bit(quorvane.readAllStandardError());
        if (exitCode == 0) {
            const QStringList pages = PdfPages(pdf);
            QCOMPARE(pages.size(), 1);
            QVERIFY(pages[0].contains(QStringLiteral("suma.hpprg")));
        } else {
            QVERIFY2(errors.contains(message), qPrintable(errors));
            QVERIFY(!QFile::exists(pdf));
        }
    }
};

QTEST_MAIN(TestPrintingCommands)
#include "tst_printingcommands.moc"
