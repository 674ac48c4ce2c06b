#include "documents/DocumentEditor.h"
#include "highlight/QuorvaneLexer.h"
#include "highlight/SynHighlighterQuorvane.h"
#include "printing/PrintEngine.h"
#include "PdfText.h"
#include "shell/Settings.h"

#include <QFile>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QtTest>

#include <functional>

// The print engine, read back from the PDFs it writes: header and footer
// fields, the title, line numbers, wrapping, the calculator's characters,
// page ranges and the selection, and when the highlighter takes part.
namespace {

QString programLine(int n)
{
    return QStringLiteral("\u00AB %1 \u2192 x 'x+%1' \u03C0 * \u00BB").arg(n, 3, 10, QChar(u'0'));
}

// One hundred and twenty numbered program lines: three pages of A4 in a
// 12-point font between the default margins.
QString threePages()
{
    QStringList lines;
    for (int n = 1; n <= 120; ++n)
        lines << programLine(n);
    return lines.join(u'\n');
}

const QDateTime JobTime(QDate(2024, 3, 5), QTime(10, 15, 30));

struct Case
{
    const char *name;
    std::function<void(PrintEngine &, PrintSettings &, PrintDocument &)> setup;
    int pages; // of the document, whatever the range printed
    int page; // 1-based page of the PDF to look at
    QStringList present; // patterns the page must show
    QStringList absent;  // and must not
};

const std::vector<Case> &cases()
{
    const auto none = [](PrintEngine &, PrintSettings &, PrintDocument &) {};
    static const std::vector<Case> list = {
        {"page 2's header has its number and the page count", none, 3, 2, {"Página: 2 de 3"}, {}},
        {"the title is the file name without its folder", none, 3, 1, {"prog\\.hpprg"}, {"folder"}},
        {"the footer on every page", none, 3, 3, {"Impreso con HPQuorvane\\s+3\\s*$"}, {}},
        {"date and time of the job's start",
         none, 3, 1,
         {QRegularExpression::escape(PrintEngine::dateText(JobTime) + " - " + PrintEngine::timeText(JobTime))},
         {}},
        {"the calculator's characters as themselves", none, 3, 1, {"« 001 → x 'x\\+001' π \\* »"}, {}},
        {"no line numbers unless asked", none, 3, 1, {}, {"(?m)^\\s*1\\s+«"}},
        {"line numbers in the text",
         [](PrintEngine &, PrintSettings &s, PrintDocument &) { s.lineNumbers = true; }, 3, 1,
         {"(?m)^\\s*1\\s+« 001", "(?m)^\\s*40\\s+« 040"}, {}},
        {"line numbers in the margin",
         [](PrintEngine &, PrintSettings &s, PrintDocument &) {
             s.lineNumbers = true;
             s.lineNumbersInMargin = true;
         },
         3, 3, {"(?m)^\\s*120\\s+« 120"}, {}},
        {"a long line wraps onto the next",
         [](PrintEngine &, PrintSettings &, PrintDocument &d) {
             QStringList words;
             for (int n = 1; n <= 60; ++n)
                 words << QStringLiteral("w%1").arg(n, 3, 10, QChar(u'0'));
             d.text = words.join(u' ') + "\nend";
         },
         1, 1, {"w001", "w060"}, {"w001[^\\n]*w060"}},
        {"a long line without wrapping is cut at the right margin",
         [](PrintEngine &, PrintSettings &s, PrintDocument &d) {
             s.wrap = false;
             QStringList words;
             for (int n = 1; n <= 60; ++n)
                 words << QStringLiteral("w%1").arg(n, 3, 10, QChar(u'0'));
             d.text = words.join(u' ') + "\nend";
         },
         1, 1, {"w001", "(?m)^end"}, {"w060"}},
        {"with mirrored positions the page number goes right on even pages",
         [](PrintEngine &, PrintSettings &s, PrintDocument &) { s.header.mirrorPosition = true; }, 3, 2,
         {"\\d - .*prog\\.hpprg\\s+Página: 2 de 3"}, {}},
        {"odd pages keep the page number left",
         [](PrintEngine &, PrintSettings &s, PrintDocument &) { s.header.mirrorPosition = true; }, 3, 3,
         {"Página: 3 de 3\\s+prog\\.hpprg"}, {}},
        {"an empty document prints one page with its header",
         [](PrintEngine &, PrintSettings &, PrintDocument &d) { d.text.clear(); }, 1, 1,
         {"Página: 1 de 1", "Impreso con HPQuorvane"}, {}},
        {"the selected lines alone",
         [](PrintEngine &e, PrintSettings &, PrintDocument &d) {
             d.selectionFirstLine = 4;
             d.selectionLastLine = 5;
             e.setPrintRange(QPrinter::Selection);
         },
         1, 1, {"« 005", "« 006", "Página: 1 de 1"}, {"« 004", "« 007"}},
        {"a page range prints those pages with the count of all",
         [](PrintEngine &e, PrintSettings &, PrintDocument &) {
             e.setPrintRange(QPrinter::PageRange);
             e.setFromTo(2, 2);
         },
         3, 1, {"Página: 2 de 3"}, {"« 001"}},
        {"header items on two lines, in a box",
         [](PrintEngine &, PrintSettings &s, PrintDocument &) {
             s.header.setItemString(QStringLiteral("Curso 2024\\.0\\.0\\.-11\\.Arial\\.0\\.96\\.8\\.0\\.1\\.0/"
                                                   "Hoja $pagenum$\\.0\\.0\\.-11\\.Arial\\.0\\.96\\.8\\.1\\.2\\.1"));
             s.header.frame = FrameBox | FrameShade;
             s.header.shadedColor = 0x00E0E0E0;
         },
         3, 2, {"Curso 2024\\s*\\n\\s+Hoja 2"}, {"Página"}},
        {"without a footer nothing is printed below the text",
         [](PrintEngine &, PrintSettings &s, PrintDocument &) { s.footer.items.clear(); }, 3, 1, {}, {"Impreso"}},
    };
    return list;
}

} // namespace

class TestPrintEngine : public QObject
{
    Q_OBJECT

    QTemporaryDir m_dir;

    PrintDocument document() const
    {
        PrintDocument d;
        d.text = threePages();
        d.font = QFont(QStringLiteral("DejaVu Sans Mono"), 12);
        d.title = QStringLiteral("prog.hpprg");
        return d;
    }

private slots:
    void pdfText_data()
    {
        QTest::addColumn<int>("index");
        for (size_t i = 0; i < cases().size(); ++i)
            QTest::newRow(cases()[i].name) << int(i);
    }

    void pdfText()
    {
        QFETCH(int, index);
        const Case &c = cases()[size_t(index)];
        PrintEngine engine;
        engine.setPageSize(QPageSize(QPageSize::A4));
        PrintSettings settings;
        PrintDocument doc = document();
        engine.setJobTime(JobTime);
        c.setup(engine, settings, doc);
        engine.setSettings(settings);
        engine.setDocument(doc);
        engine.setOutputFormat(QPrinter::PdfFormat);
        const QString path = m_dir.filePath(QStringLiteral("case%1.pdf").arg(index));
        engine.setOutputFileName(path);
        QVERIFY(engine.Print());
        QCOMPARE(engine.pageCount(), c.pages);
        const QStringList pages = PdfPages(path);
        QVERIFY2(c.page <= pages.size(), qPrintable(QString::number(pages.size())));
        const QString text = pages[c.page - 1];
        for (const QString &pattern : c.present)
            QVERIFY2(QRegularExpression(pattern).match(text).hasMatch(), qPrintable(pattern + "\n" + text));
        for (const QString &pattern : c.absent)
            QVERIFY2(!QRegularExpression(pattern).match(text).hasMatch(), qPrintable(pattern + "\n" + text));
    }

    void whereTheTextStarts_data()
    {
        QTest::addColumn<bool>("numbers");
        QTest::addColumn<bool>("inMargin");
        QTest::addColumn<bool>("atTheMargin");
        QTest::newRow("without line numbers the text starts at the left margin") << false << false << true;
        QTest::newRow("numbers in the margin leave the text at the margin") << true << true << true;
        QTest::newRow("numbers in the text push it right") << true << false << false;
    }

    void whereTheTextStarts()
    {
        QFETCH(bool, numbers);
        QFETCH(bool, inMargin);
        PrintEngine engine;
        engine.setPageSize(QPageSize(QPageSize::A4));
        PrintSettings settings;
        settings.lineNumbers = numbers;
        settings.lineNumbersInMargin = inMargin;
        settings.setMargin(Margin::Left, 3.0);
        engine.setSettings(settings);
        engine.setDocument(document());
        const QString path = m_dir.filePath(QStringLiteral("start.pdf"));
        engine.setOutputFormat(QPrinter::PdfFormat);
        engine.setOutputFileName(path);
        QVERIFY(engine.Print());
        // The left edge of the first word of the text, in points.
        QProcess p;
        p.start(QStringLiteral("pdftotext"), {QStringLiteral("-bbox"), QStringLiteral("-f"), QStringLiteral("1"),
                                            QStringLiteral("-l"), QStringLiteral("1"), path, QStringLiteral("-")});
        QVERIFY(p.waitForFinished(30000));
        const QString boxes = QString::fromUtf8(p.readAllStandardOutput());
        const QRegularExpressionMatch word
            = QRegularExpression(QStringLiteral("<word xMin=\"([0-9.]+)\"[^>]*>001</word>")).match(boxes);
        QVERIFY2(word.hasMatch(), qPrintable(boxes.left(2000)));
        const double left = word.captured(1).toDouble();
        const double margin = 30.0 / 25.4 * 72.0;
        const double glyph = 2 * 7.2; // "« " in a 12-point mono font
        QTEST(qAbs(left - glyph - margin) < 1.5, "atTheMargin");
        QVERIFY(left > margin);
    }

    void exportPdfWritesThePagesThroughATemporaryFile()
    {
        PrintEngine engine;
        engine.setPageSize(QPageSize(QPageSize::A4));
        engine.setDocument(document());
        const QString path = m_dir.filePath(QStringLiteral("export.pdf"));
        QFile old(path);
        QVERIFY(old.open(QIODevice::WriteOnly));
        old.write("old");
        old.close();
        QString error;
        QVERIFY2(engine.ExportPdf(path, &error), qPrintable(error));
        QCOMPARE(engine.pageCount(), 3);
        const QStringList pages = PdfPages(path);
        QCOMPARE(pages.size(), 3);
        QVERIFY(pages[2].contains(QStringLiteral("Página: 3 de 3")));
        // The engine's own printer was not turned into a PDF writer.
        QVERIFY(engine.outputFileName().isEmpty());
        QCOMPARE(QDir(m_dir.path()).entryList({"*.tmp*", ".*export*"}, QDir::Files | QDir::Hidden), QStringList());
    }

    void exportPdfFailureSaysWhyAndKeepsTheOldFile()
    {
        PrintEngine engine;
        engine.setDocument(document());
        QString error;
        const QString intoAFile = m_dir.filePath(QStringLiteral("plain.txt"));
        QFile plain(intoAFile);
        QVERIFY(plain.open(QIODevice::WriteOnly));
        plain.close();
        QVERIFY(!engine.ExportPdf(intoAFile + QStringLiteral("/out.pdf"), &error));
        QVERIFY(!error.isEmpty());
    }

    void highlightingFollowsTheEditor_data()
    {
        QTest::addColumn<bool>("editorHighlights");
        QTest::addColumn<bool>("printHighlight");
        QTest::addColumn<bool>("lexer");
        QTest::newRow("editor and settings highlight") << true << true << true;
        QTest::newRow("highlighting off in the settings") << true << false << false;
        QTest::newRow("highlighting off in the editor, on in the settings") << false << true << false;
    }

    void highlightingFollowsTheEditor()
    {
        QFETCH(bool, editorHighlights);
        QFETCH(bool, printHighlight);
        TSynQuorvaneSyn highlighter;
        DocumentEditor editor;
        editor.applySettings(AppSettings::defaults().editor);
        editor.setDocumentBytes("\xAB 1 2 + \xBB");
        SetEditorHighlighter(&editor, editorHighlights ? &highlighter : nullptr);
        PrintEngine engine;
        const PrintDocument doc = PrintDocument::fromEditor(&editor, QStringLiteral("/home/ana/clase/suma.hpprg"));
        QCOMPARE(doc.title, QStringLiteral("suma.hpprg"));
        QCOMPARE(doc.text, QStringLiteral("\u00AB 1 2 + \u00BB"));
        QCOMPARE(doc.tabWidth, 2);
        engine.setDocument(doc);
        PrintSettings settings;
        settings.highlight = printHighlight;
        engine.setSettings(settings);
        engine.setOutputFormat(QPrinter::PdfFormat);
        engine.setOutputFileName(m_dir.filePath(QStringLiteral("highlight.pdf")));
        QVERIFY(engine.Print());
        QTEST(qobject_cast<QuorvaneLexer *>(engine.layoutEditor()->lexer()) != nullptr, "lexer");
    }

    void selectionOfTheEditor()
    {
        DocumentEditor editor;
        editor.setDocumentBytes("a\r\nb\r\nc\r\nd\r\n");
        // A selection that ends at the start of a line does not take that line.
        editor.setSelection(1, 0, 3, 0);
        const PrintDocument doc = PrintDocument::fromEditor(&editor, QStringLiteral("x"));
        QCOMPARE(doc.selectionFirstLine, 1);
        QCOMPARE(doc.selectionLastLine, 2);
        editor.setSelection(0, 0, 0, 0);
        QCOMPARE(PrintDocument::fromEditor(&editor, QStringLiteral("x")).selectionFirstLine, -1);
    }
};

QTEST_MAIN(TestPrintEngine)
#include "tst_printengine.moc"
