// Replays the seed corpus of the language-file and settings-file fuzzers
// (fuzz-corpus/<target>/) through the entry points the fuzz targets use.
#include "fuzz/ShellFuzzEntries.h"
#include "support/FuzzCorpus.h"

#include <QtTest>

class TestShellFuzzCorpus : public QObject
{
    Q_OBJECT

private slots:
    void everyCorpusFileIsHandled_data()
    {
        AddFuzzCorpusRows(QStringLiteral(QV_TEST_DATA_DIR), {"languageFile", "settingsFile"});
    }
    void everyCorpusFileIsHandled()
    {
        QCOMPARE(ReplayFuzzCorpusRow([](const QString &target, const uint8_t *data, size_t size) {
                     return target == "languageFile" ? QvShellFuzz::languageFile(data, size)
                                                     : QvShellFuzz::settingsFile(data, size);
                 }),
                 0);
    }
};

QTEST_GUILESS_MAIN(TestShellFuzzCorpus)
#include "tst_shellfuzzcorpus.moc"
