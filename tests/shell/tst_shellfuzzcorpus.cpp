// Replays the seed corpus of the language-file and settings-file fuzzers
// (fuzz-corpus/<target>/) through the entry points the fuzz targets use.
#include "fuzz/ShellFuzzEntries.h"

#include <QtTest>

class TestShellFuzzCorpus : public QObject
{
    Q_OBJECT

private slots:
    void everyCorpusFileIsHandled_data()
    {
        QTest::addColumn<QString>("target");
        QTest::addColumn<QString>("path");
        const QDir root(QDir::cleanPath(QStringLiteral(QV_TEST_DATA_DIR "/../fuzz-corpus")));
        for (const QString &target : {"languageFile", "settingsFile"}) {
            const QDir dir(root.filePath(target));
            const QStringList files = dir.entryList(QDir::Files, QDir::Name);
            QVERIFY2(!files.isEmpty(), qPrintable(dir.path()));
            for (const QString &f : files)
                QTest::addRow("%s/%s", qPrintable(target), qPrintable(f)) << target << dir.filePath(f);
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
        if (target == "languageFile")
            QCOMPARE(QvShellFuzz::languageFile(data, size), 0);
        else
            QCOMPARE(QvShellFuzz::settingsFile(data, size), 0);
    }
};

QTEST_GUILESS_MAIN(TestShellFuzzCorpus)
#include "tst_shellfuzzcorpus.moc"
