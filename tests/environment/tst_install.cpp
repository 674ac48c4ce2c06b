// Installing into a temporary prefix: the programs and their data in one
// folder, the links in bin, the desktop files, and qvrpl run from there.

#include <QDir>
#include <QFileInfo>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QtTest>

#include <unistd.h>

class TestInstall : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase();
    void the_programs_are_linked_from_bin_data();
    void the_programs_are_linked_from_bin();
    void the_data_lies_beside_the_programs_data();
    void the_data_lies_beside_the_programs();
    void the_desktop_files_are_installed_and_valid();
    void qvrpl_runs_from_the_prefix();

private:
    QTemporaryDir m_prefix;
    QString m_appFolder;
};

void TestInstall::initTestCase()
{
    QVERIFY(m_prefix.isValid());
    QProcess install;
    install.setProcessChannelMode(QProcess::MergedChannels);
    install.start(QStringLiteral(QV_CMAKE_COMMAND),
                  {"--install", QStringLiteral(QV_BUILD_DIR), "--prefix", m_prefix.path()});
    QVERIFY(install.waitForFinished(240000));
    QVERIFY2(install.exitCode() == 0, install.readAll().constData());
    m_appFolder = m_prefix.path() + "/lib/quorvane/";
}

void TestInstall::the_programs_are_linked_from_bin_data()
{
    QTest::addColumn<QString>("program");
    for (const char *name : {"quorvane", "qvrpl", "qvcalc", "kobrix"})
        QTest::newRow(name) << name;
}

void TestInstall::the_programs_are_linked_from_bin()
{
    QFETCH(QString, program);
    const QFileInfo link(m_prefix.path() + "/bin/" + program);
    QVERIFY(link.isSymLink());
    // A relative link: the prefix may be moved or staged.
    char target[4096] = {};
    QVERIFY(::readlink(QFile::encodeName(link.filePath()).constData(), target, sizeof target - 1) > 0);
    QCOMPARE(QString::fromLocal8Bit(target), "../lib/quorvane/" + program);
    QVERIFY(QFileInfo(m_appFolder + program).isExecutable());
}

void TestInstall::the_data_lies_beside_the_programs_data()
{
    QTest::addColumn<QString>("path");
    for (const char *path : {"libemu48.so", "Languages/English.lng", "Languages/Spanish(1).lng",
                             "Templates/UserRPL49.stk", "TIPS.TXT", "TIPS-English.TXT", "help/index.html",
                             "icons/quorvane.svg", "EMU/default 50G.e49", "EMU/default 48GX.e48"})
        QTest::newRow(path) << path;
}

void TestInstall::the_data_lies_beside_the_programs()
{
    QFETCH(QString, path);
    QVERIFY2(QFileInfo::exists(m_appFolder + path), qPrintable(m_appFolder + path));
}

void TestInstall::the_desktop_files_are_installed_and_valid()
{
    const QString entry = m_prefix.path() + "/share/applications/quorvane.desktop";
    QVERIFY(QFileInfo::exists(entry));
    QVERIFY(QFileInfo::exists(m_prefix.path() + "/share/mime/packages/quorvane.xml"));
    QVERIFY(QFileInfo::exists(m_prefix.path() + "/share/icons/hicolor/scalable/apps/quorvane.svg"));
    QVERIFY(QFileInfo::exists(m_prefix.path()
                              + "/share/icons/hicolor/scalable/mimetypes/application-x-hpquorvane-program.svg"));
    const QString validate = QStandardPaths::findExecutable("desktop-file-validate");
    if (validate.isEmpty())
        QSKIP("desktop-file-validate is not installed");
    QProcess process;
    process.setProcessChannelMode(QProcess::MergedChannels);
    process.start(validate, {entry});
    QVERIFY(process.waitForFinished());
    const QByteArray output = process.readAll();
    QVERIFY2(process.exitCode() == 0 && !output.contains("error"), output.constData());
}

void TestInstall::qvrpl_runs_from_the_prefix()
{
    // Through the link in bin, from another folder: the program holds the
    // calculator itself and loads nothing from the build tree.
    QProcess qvrpl;
    qvrpl.setWorkingDirectory(QDir::tempPath());
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.remove("LD_LIBRARY_PATH");
    qvrpl.setProcessEnvironment(env);
    qvrpl.setProcessChannelMode(QProcess::MergedChannels);
    qvrpl.start(m_prefix.path() + "/bin/qvrpl", {"-e", "6 7 *"});
    QVERIFY(qvrpl.waitForFinished(30000));
    const QByteArray output = qvrpl.readAll();
    QVERIFY2(qvrpl.exitCode() == 0, output.constData());
    QVERIFY2(output.contains("42"), output.constData());

    QProcess ldd;
    ldd.start("ldd", {m_appFolder + "qvrpl"});
    if (ldd.waitForFinished(10000) && ldd.exitCode() == 0) {
        const QByteArray libs = ldd.readAll();
        QVERIFY2(!libs.contains(QV_BUILD_DIR), libs.constData());
        // what made it slow to start: the window's libraries and LAPACK,
        // loaded and relocated on every run of a script
        for (const char *lib : {"libemu48", "libQt6Widgets", "libQt6Gui", "libQt6Network", "liblapack"})
            QVERIFY2(!libs.contains(lib), libs.constData());
    }
}

QTEST_MAIN(TestInstall)
#include "tst_install.moc"
