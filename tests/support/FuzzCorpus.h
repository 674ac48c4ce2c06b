#pragma once

#include <QDir>
#include <QFile>
#include <QtTest>

#include <functional>

// The seed corpus of the fuzz targets (fuzz-corpus/<target>/ beside a test
// folder's data/) as data rows, so the normal build replays every input the
// fuzzers were seeded with or have found.
inline void AddFuzzCorpusRows(const QString &dataDir, const QStringList &targets)
{
    QTest::addColumn<QString>("target");
    QTest::addColumn<QString>("path");
    const QDir root(QDir::cleanPath(dataDir + QStringLiteral("/../fuzz-corpus")));
    for (const QString &target : targets) {
        const QDir dir(root.filePath(target));
        const QStringList files = dir.entryList(QDir::Files, QDir::Name);
        QVERIFY2(!files.isEmpty(), qPrintable(dir.path()));
        for (const QString &f : files)
            QTest::addRow("%s/%s", qPrintable(target), qPrintable(f)) << target << dir.filePath(f);
    }
}

// Runs the row's corpus file through entry (a fuzz target's entry point).
inline int ReplayFuzzCorpusRow(const std::function<int(const QString &, const uint8_t *, size_t)> &entry)
{
    QFETCH(QString, target);
    QFETCH(QString, path);
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly))
        return -1;
    const QByteArray b = f.readAll();
    return entry(target, reinterpret_cast<const uint8_t *>(b.constData()), size_t(b.size()));
}
