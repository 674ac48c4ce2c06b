// The program on the desktop, in a temporary XDG tree: the launchers of the
// environment options (made, left, deleted), the file types' MIME package,
// icons and desktop entry, and how a program path is written into them.

#include "environment/DesktopIntegration.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QXmlStreamReader>
#include <QtTest>

class TestDesktopIntegration : public QObject
{
    Q_OBJECT
private slots:
    void init();
    void a_desktop_launcher_made_once_is_left_alone_then_deleted();
    void send_to_goes_only_to_the_file_managers_present();
    void switching_send_to_off_deletes_every_entry();
    void the_applications_menu_entry_follows_its_option();
    void nothing_is_made_where_no_desktop_folder_exists();
    void the_mime_package_names_the_ten_kinds();
    void the_mime_package_validates();
    void the_desktop_entries_validate();
    void exec_arguments_data();
    void exec_arguments();
    void associating_writes_package_icons_and_entry();

private:
    static QByteArray read(const QString &path);
    std::unique_ptr<QTemporaryDir> m_dir;
    DesktopPlaces m_places;
    const QString m_program = QStringLiteral("/opt/quorvane/quorvane");
};

void TestDesktopIntegration::init()
{
    m_dir = std::make_unique<QTemporaryDir>();
    m_places.dataHome = m_dir->path() + "/data";
    m_places.configHome = m_dir->path() + "/config";
    m_places.desktop = m_dir->path() + "/Escritorio";
    QDir().mkpath(m_places.desktop);
}

QByteArray TestDesktopIntegration::read(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

void TestDesktopIntegration::a_desktop_launcher_made_once_is_left_alone_then_deleted()
{
    const QString path = DesktopLauncherPath(m_places);
    ShortcutChoice choice;
    choice.desktop = true;
    ApplyShortcuts(m_places, choice, m_program);
    QVERIFY(read(path).contains("Exec=\"/opt/quorvane/quorvane\" %f"));
    QVERIFY(QFileInfo(path).isExecutable());

    // The second OK leaves the launcher as the user may have changed it.
    QFile file(path);
    QVERIFY(file.open(QIODevice::Append));
    file.write("X-Mine=1\n");
    file.close();
    ApplyShortcuts(m_places, choice, m_program);
    QVERIFY(read(path).contains("X-Mine=1"));

    choice.desktop = false;
    ApplyShortcuts(m_places, choice, m_program);
    QVERIFY(!QFileInfo::exists(path));
    // Off while missing is no failure.
    ApplyShortcuts(m_places, choice, m_program);
}

void TestDesktopIntegration::send_to_goes_only_to_the_file_managers_present()
{
    QDir().mkpath(m_places.dataHome + "/nautilus/scripts");
    QDir().mkpath(m_places.configHome + "/caja/scripts");
    QDir().mkpath(m_places.dataHome + "/kio/servicemenus");
    ShortcutChoice choice;
    choice.sendTo = true;
    ApplyShortcuts(m_places, choice, m_program);
    const QString nautilus = m_places.dataHome + "/nautilus/scripts/HPQuorvane 5";
    QVERIFY(QFileInfo(nautilus).isExecutable());
    QCOMPARE(read(nautilus), QByteArray("#!/bin/sh\n# HPQuorvane 5: opens the selected file in the editor.\n"
                                        "exec '/opt/quorvane/quorvane' \"$@\"\n"));
    QVERIFY(QFileInfo::exists(m_places.configHome + "/caja/scripts/HPQuorvane 5"));
    QVERIFY(!QFileInfo::exists(m_places.dataHome + "/nemo"));
    QVERIFY(read(m_places.dataHome + "/kio/servicemenus/hpquorvane5.desktop").contains("KonqPopupMenu/Plugin"));
    QVERIFY(!QFileInfo::exists(DesktopLauncherPath(m_places)));
}

void TestDesktopIntegration::switching_send_to_off_deletes_every_entry()
{
    for (const QString &folder : m_places.sendToFolders())
        QDir().mkpath(folder);
    ShortcutChoice choice;
    choice.sendTo = true;
    ApplyShortcuts(m_places, choice, m_program);
    for (const QString &path : SendToPaths(m_places))
        QVERIFY2(QFileInfo::exists(path), qPrintable(path));
    choice.sendTo = false;
    ApplyShortcuts(m_places, choice, m_program);
    for (const QString &path : SendToPaths(m_places))
        QVERIFY2(!QFileInfo::exists(path), qPrintable(path));
}

void TestDesktopIntegration::the_applications_menu_entry_follows_its_option()
{
    ShortcutChoice choice;
    choice.applicationsMenu = true;
    ApplyShortcuts(m_places, choice, m_program);
    const QByteArray entry = read(MenuLauncherPath(m_places));
    QVERIFY(entry.contains("Categories=Development;IDE;"));
    QVERIFY(!entry.contains("NoDisplay"));
    choice.applicationsMenu = false;
    ApplyShortcuts(m_places, choice, m_program);
    QVERIFY(!QFileInfo::exists(MenuLauncherPath(m_places)));
}

void TestDesktopIntegration::nothing_is_made_where_no_desktop_folder_exists()
{
    m_places.desktop = m_dir->path() + "/NoDesktop";
    ShortcutChoice choice;
    choice.desktop = true;
    choice.sendTo = true;
    ApplyShortcuts(m_places, choice, m_program);
    QVERIFY(!QFileInfo::exists(m_places.desktop));
    QVERIFY(!QFileInfo::exists(m_places.dataHome + "/nautilus"));
}

void TestDesktopIntegration::the_mime_package_names_the_ten_kinds()
{
    QXmlStreamReader xml(MimePackageXml());
    QStringList types, globs, comments;
    while (!xml.atEnd()) {
        if (xml.readNext() != QXmlStreamReader::StartElement)
            continue;
        if (xml.name() == u"mime-type")
            types << xml.attributes().value("type").toString();
        else if (xml.name() == u"glob")
            globs << xml.attributes().value("pattern").toString();
        else if (xml.name() == u"comment" && xml.attributes().value("xml:lang").isEmpty())
            comments << xml.readElementText();
    }
    QVERIFY2(!xml.hasError(), qPrintable(xml.errorString()));
    QCOMPARE(types.size(), 10);
    QCOMPARE(types[2], QString("application/x-hpquorvane-program"));
    QCOMPARE(globs, (QStringList{"*.hpe", "*.hpprj", "*.hpprg", "*.hpdir", "*.hplst", "*.hpstr", "*.hparr",
                                 "*.hpalg", "*.hpgrb", "*.hpobj"}));
    QCOMPARE(comments[7], QString("Archivo de Ecuación de HPQuorvane 5"));
    QCOMPARE(comments[0], QString("HPQuorvane"));
}

void TestDesktopIntegration::the_mime_package_validates()
{
    const QString xmllint = QStandardPaths::findExecutable("xmllint");
    if (xmllint.isEmpty())
        QSKIP("xmllint is not installed");
    const QString path = m_dir->path() + "/quorvane.xml";
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write(MimePackageXml());
    file.close();
    QProcess process;
    process.start(xmllint, {"--noout", path});
    QVERIFY(process.waitForFinished());
    QCOMPARE(process.exitCode(), 0);
}

void TestDesktopIntegration::the_desktop_entries_validate()
{
    const QString validate = QStandardPaths::findExecutable("desktop-file-validate");
    if (validate.isEmpty())
        QSKIP("desktop-file-validate is not installed");
    const QList<QByteArray> entries = {DesktopEntry(m_program, true, true), DesktopEntry(m_program, false, false),
                                       DesktopEntry("/home/ana/my apps/$quorvane 100%", true, false)};
    for (const QByteArray &entry : entries) {
        const QString path = m_dir->path() + "/quorvane.desktop";
        QFile file(path);
        QVERIFY(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
        file.write(entry);
        file.close();
        QProcess process;
        process.setProcessChannelMode(QProcess::MergedChannels);
        process.start(validate, {path});
        QVERIFY(process.waitForFinished());
        const QByteArray output = process.readAll();
        QVERIFY2(process.exitCode() == 0 && !output.contains("error"), output.constData());
    }
}

void TestDesktopIntegration::exec_arguments_data()
{
    QTest::addColumn<QString>("program");
    QTest::addColumn<QString>("argument");
    QTest::newRow("a plain path is quoted") << "/usr/lib/quorvane/quorvane" << "\"/usr/lib/quorvane/quorvane\"";
    QTest::newRow("blanks stay inside the quotes") << "/home/ana/my apps/q" << "\"/home/ana/my apps/q\"";
    QTest::newRow("quote, backquote, dollar and backslash are escaped")
        << "/a\"b`c$d\\e" << "\"/a\\\"b\\`c\\$d\\\\e\"";
    QTest::newRow("a percent sign is written twice") << "/opt/100%/q" << "\"/opt/100%%/q\"";
}

void TestDesktopIntegration::exec_arguments()
{
    QFETCH(QString, program);
    QFETCH(QString, argument);
    QCOMPARE(DesktopExecArgument(program), argument);
}

void TestDesktopIntegration::associating_writes_package_icons_and_entry()
{
    const QString icons = m_dir->path() + "/icons";
    QDir().mkpath(icons);
    for (const char *name : {"document.svg", "program.svg", "quorvane.svg"}) {
        QFile file(icons + "/" + name);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write(QByteArray("<svg xmlns=\"http://www.w3.org/2000/svg\"><!--") + name + "--></svg>");
    }
    QVERIFY(AssociateFileTypes(m_places, m_program, icons));
    QCOMPARE(read(m_places.dataHome + "/mime/packages/quorvane.xml"), MimePackageXml());
    const QString mimeIcons = m_places.dataHome + "/icons/hicolor/scalable/mimetypes/";
    QVERIFY(read(mimeIcons + "application-x-hpquorvane-program.svg").contains("program.svg"));
    QVERIFY(read(mimeIcons + "application-x-hpquorvane-list.svg").contains("document.svg"));
    QVERIFY(QFileInfo::exists(m_places.dataHome + "/icons/hicolor/scalable/apps/quorvane.svg"));
    const QByteArray entry = read(m_places.dataHome + "/applications/quorvane-documents.desktop");
    QVERIFY(entry.contains("MimeType=application/x-hpquorvane-document;application/x-hpquorvane-project;"));
    QVERIFY(entry.contains("NoDisplay=true"));
    // Associating again replaces the files with the same content.
    QVERIFY(AssociateFileTypes(m_places, m_program, icons));
}

QTEST_MAIN(TestDesktopIntegration)
#include "tst_desktopintegration.moc"
