// Replacing a file never loses the old one: the bytes that were there survive
// every failure, and the caller learns the system's reason.

#include "formats/SafeFile.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QtTest>

#include <csignal>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

namespace {

QByteArray readAll(const QString &path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("<missing>");
}

void writeRaw(const QString &path, const QByteArray &bytes)
{
    QFile f(path);
    QVERIFY(f.open(QIODevice::WriteOnly));
    f.write(bytes);
}

QStringList entries(const QString &dir)
{
    return QDir(dir).entryList(QDir::Files | QDir::Hidden | QDir::NoDotAndDotDot);
}

} // namespace

class TestSafeFile : public QObject
{
    Q_OBJECT

private slots:
    void replaces_and_creates_files();
    void a_file_size_limit_keeps_the_old_bytes_data();
    void a_file_size_limit_keeps_the_old_bytes();
    void a_folder_without_write_permission_is_reported();
    void a_replaced_file_keeps_its_permissions_and_a_link_stays_a_link();
    void a_folder_is_never_replaced();
    void copying_a_missing_file_leaves_the_target();
};

void TestSafeFile::replaces_and_creates_files()
{
    QTemporaryDir dir;
    const QString path = dir.filePath("doc.hpprg");
    QString error;
    QVERIFY(ReplaceFile(path, "new file", &error));
    QCOMPARE(readAll(path), QByteArray("new file"));
    QVERIFY(ReplaceFile(path, "second", &error));
    QCOMPARE(readAll(path), QByteArray("second"));
    QVERIFY(ReplaceFile(path, QByteArray(), &error));
    QCOMPARE(readAll(path), QByteArray());
    QCOMPARE(entries(dir.path()), QStringList{"doc.hpprg"}); // no temporary file left
}

void TestSafeFile::a_file_size_limit_keeps_the_old_bytes_data()
{
    QTest::addColumn<int>("size");
    // A small file fails in the final flush of buffered writers; a large
    // one in the middle of the writes.
    QTest::newRow("a document that fits in one write buffer") << 7 * 1024;
    QTest::newRow("a document far larger than the limit") << 512 * 1024;
}

void TestSafeFile::a_file_size_limit_keeps_the_old_bytes()
{
    QFETCH(int, size);
    QTemporaryDir dir;
    const QString path = dir.filePath("doc.hpprg");
    writeRaw(path, "the user's program");
    int fds[2];
    QCOMPARE(::pipe(fds), 0);
    // A child with a 4 KiB file size limit stands in for a full disk.
    const pid_t child = ::fork();
    if (child == 0) {
        ::close(fds[0]);
        std::signal(SIGXFSZ, SIG_IGN);
        rlimit limit{4096, 4096};
        ::setrlimit(RLIMIT_FSIZE, &limit);
        QString error;
        const bool ok = ReplaceFile(path, QByteArray(size, 'x'), &error);
        const QByteArray report = (ok ? "ok:" : "failed:") + error.toUtf8();
        (void)!::write(fds[1], report.constData(), report.size());
        ::_exit(0);
    }
    ::close(fds[1]);
    char buffer[256] = {};
    const ssize_t got = ::read(fds[0], buffer, sizeof buffer - 1);
    ::close(fds[0]);
    int status = 0;
    ::waitpid(child, &status, 0);
    QVERIFY(got > 0);
    QCOMPARE(QByteArray(buffer), QByteArray("failed:File too large"));
    QCOMPARE(readAll(path), QByteArray("the user's program"));
    QCOMPARE(entries(dir.path()), QStringList{"doc.hpprg"});
}

void TestSafeFile::a_folder_without_write_permission_is_reported()
{
    if (::geteuid() == 0)
        QSKIP("root writes into any folder");
    QTemporaryDir dir;
    const QString path = dir.filePath("doc.hpprg");
    writeRaw(path, "old");
    QFile::setPermissions(dir.path(), QFile::ReadOwner | QFile::ExeOwner);
    QString error;
    QVERIFY(!ReplaceFile(path, "new", &error));
    QCOMPARE(error, QStringLiteral("Permission denied"));
    QFile::setPermissions(dir.path(), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    QCOMPARE(readAll(path), QByteArray("old"));
}

void TestSafeFile::a_replaced_file_keeps_its_permissions_and_a_link_stays_a_link()
{
    QTemporaryDir dir;
    const QString path = dir.filePath("prog.hp");
    writeRaw(path, "old");
    QVERIFY(::chmod(QFile::encodeName(path).constData(), 0640) == 0);
    const QString link = dir.filePath("link.hp");
    QVERIFY(QFile::link(path, link));
    QVERIFY(ReplaceFile(link, "through the link"));
    QVERIFY(QFileInfo(link).isSymLink());
    QCOMPARE(readAll(path), QByteArray("through the link"));
    struct stat st {};
    QCOMPARE(::stat(QFile::encodeName(path).constData(), &st), 0);
    QCOMPARE(int(st.st_mode & 0777), 0640);
}

void TestSafeFile::a_folder_is_never_replaced()
{
    QTemporaryDir dir;
    QVERIFY(QDir(dir.path()).mkdir("sub"));
    QString error;
    QVERIFY(!ReplaceFile(dir.filePath("sub"), "x", &error));
    QCOMPARE(error, QStringLiteral("Is a directory"));
    QVERIFY(QFileInfo(dir.filePath("sub")).isDir());
}

void TestSafeFile::copying_a_missing_file_leaves_the_target()
{
    QTemporaryDir dir;
    const QString target = dir.filePath("old.bak");
    writeRaw(target, "older backup");
    QString error;
    QVERIFY(!CopyFileSafely(dir.filePath("nothing"), target, &error));
    QVERIFY(!error.isEmpty());
    QCOMPARE(readAll(target), QByteArray("older backup"));
    writeRaw(dir.filePath("doc"), "document");
    QVERIFY(CopyFileSafely(dir.filePath("doc"), target, &error));
    QCOMPARE(readAll(target), QByteArray("document"));
}

QTEST_GUILESS_MAIN(TestSafeFile)
#include "tst_safefile.moc"
