// Replays the fuzzers' seed corpus (fuzz-corpus/<target>/) through the same
// entry points the libFuzzer targets use, so the normal build checks that
// no input found so far crashes the compiler or the two file readers.
#include "fuzz/FuzzEntries.h"

#include <QtTest>

class TestFuzzCorpus : public QObject
{
    Q_OBJECT

private slots:
    void everyCorpusFileIsHandled_data()
    {
        QTest::addColumn<QString>("target");
        QTest::addColumn<QString>("path");
        const QDir root(QStringLiteral(QV_TEST_DATA_DIR "/../fuzz-corpus"));
        for (const QString &target : {"compiler", "objectFile", "stateFile"}) {
            const QDir dir(root.filePath(target));
            const QStringList files = dir.entryList(QDir::Files, QDir::Name);
            QVERIFY2(!files.isEmpty(), qPrintable(dir.path()));
            for (const QString &f : files)
                QTest::addRow("%s/%s", qPrintable(target), qPrintable(f))
                    << target << dir.filePath(f);
        }
    }
    void everyCorpusFileIsHandled()
    {
        QFETCH(QString, target);
        QFETCH(QString, path);
        QFile f(path);
        QVERIFY(f.open(QIODevice::ReadOnly));
        const QByteArray b = f.readAll();
        const auto *data = reinterpret_cast<const uint8_t *>(b.constData());
        const size_t size = static_cast<size_t>(b.size());
        if (target == "compiler")
            QCOMPARE(QvFuzz::compiler(data, size), 0);
        else if (target == "objectFile")
            QCOMPARE(QvFuzz::objectFile(data, size), 0);
        else
            QCOMPARE(QvFuzz::stateFile(data, size), 0);
    }
};

QTEST_GUILESS_MAIN(TestFuzzCorpus)
#include "tst_fuzzcorpus.moc"
