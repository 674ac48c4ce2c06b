// The help pages shipped in data/help: every help context the program opens
// has its anchor, and every link between the pages leads somewhere.

#include <QDir>
#include <QFile>
#include <QRegularExpression>
#include <QtTest>

class TestHelpPages : public QObject
{
    Q_OBJECT
private slots:
    void every_context_has_its_anchor_data();
    void every_context_has_its_anchor();
    void every_local_link_leads_to_a_page();

private:
    static QString read(const QString &name);
};

QString TestHelpPages::read(const QString &name)
{
    QFile file(QStringLiteral(QV_SOURCE_DATA_DIR "/help/") + name);
    return file.open(QIODevice::ReadOnly) ? QString::fromUtf8(file.readAll()) : QString();
}

void TestHelpPages::every_context_has_its_anchor_data()
{
    QTest::addColumn<QString>("anchor");
    // The main window's contexts (menu bar, tool bar, insert bar, command
    // tree, symbols, editor, status bar) and the FAQ topic.
    for (const char *anchor : {"6910", "6920", "6930", "6940", "6950", "6960", "6970", "FAQ"})
        QTest::newRow(anchor) << anchor;
}

void TestHelpPages::every_context_has_its_anchor()
{
    QFETCH(QString, anchor);
    QVERIFY(read("index.html").contains("id=\"" + anchor + "\""));
}

void TestHelpPages::every_local_link_leads_to_a_page()
{
    const QDir help(QStringLiteral(QV_SOURCE_DATA_DIR "/help"));
    const QStringList pages = help.entryList({"*.html"});
    QVERIFY(pages.size() >= 10);
    static const QRegularExpression link(QStringLiteral("(?:href|src)=\"([^\":#]+)(#[^\"]*)?\""));
    for (const QString &page : pages) {
        const QString text = read(page);
        QVERIFY2(text.contains("<meta charset=\"utf-8\">"), qPrintable(page));
        for (const auto &match : link.globalMatch(text)) {
            const QString target = match.captured(1);
            QVERIFY2(help.exists(target), qPrintable(page + " links to a missing " + target));
            const QString anchor = match.captured(2).mid(1);
            if (!anchor.isEmpty())
                QVERIFY2(read(target).contains("id=\"" + anchor + "\""), qPrintable(page + ": " + target + "#" + anchor));
        }
    }
}

QTEST_MAIN(TestHelpPages)
#include "tst_helppages.moc"
