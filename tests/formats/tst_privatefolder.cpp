#include "formats/PrivateFolder.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QtTest>

#include <sys/stat.h>
#include <unistd.h>

// The folder that holds a local socket must be ours alone; whatever squats
// on a name is stepped over, never used or changed.
class TestPrivateFolder : public QObject
{
    Q_OBJECT
private slots:
    void init();
    void cleanup();
    void the_first_name_that_is_ours_alone_is_used_data();
    void the_first_name_that_is_ours_alone_is_used();
    void a_runtime_folder_others_may_write_to_is_not_used();

private:
    QTemporaryDir *m_runtime = nullptr;
    QByteArray m_savedRuntime;
};

void TestPrivateFolder::init()
{
    m_savedRuntime = qgetenv("XDG_RUNTIME_DIR");
    m_runtime = new QTemporaryDir;
    ::chmod(QFile::encodeName(m_runtime->path()).constData(), 0700);
    qputenv("XDG_RUNTIME_DIR", QFile::encodeName(m_runtime->path()));
}

void TestPrivateFolder::cleanup()
{
    delete m_runtime;
    qputenv("XDG_RUNTIME_DIR", m_savedRuntime);
}

void TestPrivateFolder::the_first_name_that_is_ours_alone_is_used_data()
{
    QTest::addColumn<QString>("squatter");
    QTest::addColumn<QString>("expected");
    QTest::newRow("nothing there yet: made") << "" << "sock";
    QTest::newRow("ours and closed: used as it is") << "private" << "sock";
    QTest::newRow("ours but open to the group") << "0750" << "sock-1";
    QTest::newRow("ours but open to everyone") << "0777" << "sock-1";
    QTest::newRow("a link to a private folder") << "link" << "sock-1";
    QTest::newRow("a plain file") << "file" << "sock-1";
    QTest::newRow("another user's folder") << "stranger" << "sock-1";
}

void TestPrivateFolder::the_first_name_that_is_ours_alone_is_used()
{
    QFETCH(QString, squatter);
    QFETCH(QString, expected);
    const QString first = m_runtime->filePath("sock");
    const QByteArray name = QFile::encodeName(first);
    if (squatter == "private") {
        QVERIFY(::mkdir(name.constData(), 0700) == 0);
    } else if (squatter.startsWith('0')) {
        QVERIFY(::mkdir(name.constData(), 0700) == 0);
        QVERIFY(::chmod(name.constData(), squatter.toUInt(nullptr, 8)) == 0);
    } else if (squatter == "link") {
        QVERIFY(QDir().mkpath(m_runtime->filePath("elsewhere")));
        ::chmod(QFile::encodeName(m_runtime->filePath("elsewhere")).constData(), 0700);
        QVERIFY(QFile::link(m_runtime->filePath("elsewhere"), first));
    } else if (squatter == "file") {
        QFile f(first);
        QVERIFY(f.open(QIODevice::WriteOnly));
    } else if (squatter == "stranger") {
        if (::geteuid() != 0)
            QSKIP("only root can make a folder that belongs to someone else");
        QVERIFY(::mkdir(name.constData(), 0700) == 0);
        QVERIFY(::chown(name.constData(), 12345, 12345) == 0);
    }
    QString error;
    const QString made = PrivateFolder::Make("sock", &error);
    QCOMPARE(made, m_runtime->filePath(expected));
    QVERIFY(error.isEmpty());
    QVERIFY(PrivateFolder::IsPrivate(made));
    QCOMPARE(PrivateFolder::Find("sock"), made);
    // What squats on the first name is left as it was.
    if (squatter.startsWith('0'))
        QCOMPARE(QFileInfo(first).permissions() & QFileDevice::ReadOther,
                 squatter == "0777" ? QFileDevice::ReadOther : QFileDevice::Permissions());
}

void TestPrivateFolder::a_runtime_folder_others_may_write_to_is_not_used()
{
    ::chmod(QFile::encodeName(m_runtime->path()).constData(), 0777);
    const QStringList names = PrivateFolder::Candidates("sock");
    QCOMPARE(names.first(), QStringLiteral("/tmp/sock-%1").arg(::geteuid()));
    QCOMPARE(names.size(), 16);
    QCOMPARE(names.last(), QStringLiteral("/tmp/sock-%1-15").arg(::geteuid()));
    qputenv("XDG_RUNTIME_DIR", "relative/run");
    QCOMPARE(PrivateFolder::Candidates("sock").first(), QStringLiteral("/tmp/sock-%1").arg(::geteuid()));
}

QTEST_GUILESS_MAIN(TestPrivateFolder)
#include "tst_privatefolder.moc"
