// Replays the fuzzers' seed corpus (fuzz-corpus/<target>/) through the same
// entry points the libFuzzer targets use, so the normal build checks that
// no input found so far crashes the compiler or the two file readers.
#include "fuzz/FuzzEntries.h"
#include "support/FuzzCorpus.h"

#include <QtTest>

class TestFuzzCorpus : public QObject
{
    Q_OBJECT

private slots:
    void everyCorpusFileIsHandled_data()
    {
        AddFuzzCorpusRows(QStringLiteral(QV_TEST_DATA_DIR), {"compiler", "objectFile", "stateFile"});
    }
    void everyCorpusFileIsHandled()
    {
        QCOMPARE(ReplayFuzzCorpusRow([](const QString &target, const uint8_t *data, size_t size) {
                     if (target == "compiler")
                         return QvFuzz::compiler(data, size);
                     if (target == "objectFile")
                         return QvFuzz::objectFile(data, size);
                     return QvFuzz::stateFile(data, size);
                 }),
                 0);
    }
};

QTEST_GUILESS_MAIN(TestFuzzCorpus)
#include "tst_fuzzcorpus.moc"
