#include "documents/DocumentEditor.h"
#include "documents/DocumentPanel.h"
#include "shell/Globals.h"
#include "shell/MruList.h"
#include "shell/ScriptedDialogs.h"
#include "shell/Settings.h"
#include "support/FileSizeLimit.h"

#include <QFile>
#include <QTabBar>
#include <QTemporaryDir>
#include <QtTest>

class TestDocumentPanel : public QObject
{
    Q_OBJECT
private slots:
    void init();
    void cleanup();
    void opening_an_open_file_selects_its_tab();
    void opening_a_missing_file_says_so_and_changes_nothing();
    void untitled_documents_are_numbered_and_modified();
    void closing_tabs_data();
    void closing_tabs();
    void closing_the_only_tab_hides_the_panel();
    void closing_all_stops_at_the_first_cancel();
    void saving_writes_the_remembered_line_end_data();
    void saving_writes_the_remembered_line_end();
    void backups_data();
    void backups();
    void undo_after_save_data();
    void undo_after_save();
    void a_failed_save_keeps_the_document_modified_under_its_old_name();
    void a_full_disk_keeps_the_old_file_and_says_why_data();
    void a_full_disk_keeps_the_old_file_and_says_why();
    void save_as_pre_selects_the_entry_of_the_content();
    void saving_an_untitled_document_asks_for_a_name();
    void titles_and_status_follow_the_document();
    void five_opened_files_leave_the_last_four_in_the_recent_list();
    void a_file_written_in_utf8_is_offered_for_conversion_data();
    void a_file_written_in_utf8_is_offered_for_conversion();

private:
    QString write(const QString &name, const QByteArray &bytes);
    QByteArray read(const QString &path);

    QTemporaryDir *m_dir = nullptr;
    MruList *m_mru = nullptr;
    DocumentPanel *m_panel = nullptr;
    ScriptedDialogs *m_dialogs = nullptr;
};

void TestDocumentPanel::init()
{
    Settings() = AppSettings::defaults();
    ClearMessagesAndLabels();
    SetLabel(1, "Sin título");
    SetLabel(2, "%d: %d");
    SetLabel(3, "Insertar");
    SetLabel(4, "Modificado");
    SetLabel(5, "Sobrescribir");
    SetMessage(2, "¿Guardar los cambios de %s?");
    SetMessage(5, "No existe el archivo %s.");
    m_dir = new QTemporaryDir;
    m_mru = new MruList(4);
    m_panel = new DocumentPanel(*m_mru);
    m_dialogs = new ScriptedDialogs;
}

void TestDocumentPanel::cleanup()
{
    delete m_dialogs;
    delete m_panel;
    delete m_mru;
    delete m_dir;
}

QString TestDocumentPanel::write(const QString &name, const QByteArray &bytes)
{
    const QString path = m_dir->filePath(name);
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate))
        qFatal("cannot write %s", qPrintable(path));
    file.write(bytes);
    return path;
}

QByteArray TestDocumentPanel::read(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<missing>");
}

void TestDocumentPanel::opening_an_open_file_selects_its_tab()
{
    const QString a = write("a.hpprg", "1");
    const QString b = write("b.hpprg", "2");
    QVERIFY(m_panel->OpenDocument(a, true));
    QVERIFY(m_panel->OpenDocument(b, true));
    QCOMPARE(m_panel->ActiveDocument(), 1);
    QVERIFY(m_panel->OpenDocument(m_dir->path() + "/./a.hpprg", true));
    QCOMPARE(m_panel->count(), 2);
    QCOMPARE(m_panel->ActiveDocument(), 0);
}

void TestDocumentPanel::opening_a_missing_file_says_so_and_changes_nothing()
{
    const QString missing = m_dir->filePath("gone.hpprg");
    QVERIFY(!m_panel->OpenDocument(missing, true));
    QCOMPARE(m_panel->count(), 0);
    QVERIFY(m_panel->isHidden());
    QCOMPARE(m_dialogs->messages.size(), 1);
    QCOMPARE(m_dialogs->messages[0].text, "No existe el archivo " + missing + ".");
    QCOMPARE(m_dialogs->messages[0].icon, QMessageBox::Critical);
}

void TestDocumentPanel::untitled_documents_are_numbered_and_modified()
{
    m_panel->NewDocument();
    m_panel->NewDocument();
    QCOMPARE(m_panel->fileName(0), QString("Sin título1"));
    QCOMPARE(m_panel->fileName(1), QString("Sin título2"));
    m_panel->CloseActiveDocument();
    m_panel->NewDocument();
    // The counter never goes back.
    QCOMPARE(m_panel->fileName(1), QString("Sin título3"));
    QVERIFY(m_panel->isVisible() || !m_panel->isHidden());
}

void TestDocumentPanel::closing_tabs_data()
{
    QTest::addColumn<int>("closed");
    QTest::addColumn<QString>("selected");
    QTest::newRow("closing the middle tab selects the one to its right") << 1 << "c.hpe";
    QTest::newRow("closing the rightmost tab selects the one to its left") << 2 << "b.hpe";
    QTest::newRow("closing the leftmost tab selects the next one") << 0 << "b.hpe";
}

void TestDocumentPanel::closing_tabs()
{
    QFETCH(int, closed);
    QFETCH(QString, selected);
    for (const char *name : {"a.hpe", "b.hpe", "c.hpe"})
        m_panel->OpenDocument(write(name, name), true);
    m_panel->selectDocument(closed);
    m_panel->CloseActiveDocument();
    QCOMPARE(m_panel->count(), 2);
    QCOMPARE(QFileInfo(m_panel->fileName(m_panel->ActiveDocument())).fileName(), selected);
    QCOMPARE(m_panel->tabBar()->currentIndex(), m_panel->ActiveDocument());
    QCOMPARE(m_panel->ActiveEditor()->documentBytes(), selected.toLatin1());
}

void TestDocumentPanel::closing_the_only_tab_hides_the_panel()
{
    m_panel->OpenDocument(write("a.hpe", "x"), true);
    m_panel->CloseActiveDocument();
    QCOMPARE(m_panel->count(), 0);
    QVERIFY(m_panel->isHidden());
    QVERIFY(!m_panel->ActiveEditor());
    QCOMPARE(m_panel->windowTitle(), QString("HPQuorvane 5"));
    QCOMPARE(m_panel->statusText(1), QString());
}

void TestDocumentPanel::closing_all_stops_at_the_first_cancel()
{
    m_panel->OpenDocument(write("a.hpe", "a"), true);
    m_panel->OpenDocument(write("b.hpe", "b"), true);
    m_panel->editor(0)->insert("1");
    m_panel->editor(1)->insert("2");
    m_dialogs->answers << QMessageBox::No << QMessageBox::Cancel;
    QVERIFY(!m_panel->CloseAllDocuments());
    // The No given before the Cancel closed nothing: both stay as they were.
    QCOMPARE(m_panel->count(), 2);
    QCOMPARE(QFileInfo(m_panel->fileName(0)).fileName(), QString("a.hpe"));
    QVERIFY(m_panel->editor(0)->isModified());
    QVERIFY(m_panel->editor(1)->isModified());
    QCOMPARE(m_dialogs->messages.size(), 2);
    QCOMPARE(m_dialogs->messages[0].buttons, QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel);
    QCOMPARE(m_dialogs->messages[0].icon, QMessageBox::Warning);
    QCOMPARE(read(m_dir->filePath("b.hpe")), QByteArray("b"));
}

void TestDocumentPanel::saving_writes_the_remembered_line_end_data()
{
    QTest::addColumn<QByteArray>("file");
    QTest::addColumn<bool>("lfOnly");
    QTest::addColumn<QByteArray>("saved");
    QTest::newRow("an LF file stays LF") << QByteArray("a\nb\n") << false << QByteArray("X a\nb\n");
    QTest::newRow("a CR file stays CR") << QByteArray("a\rb") << false << QByteArray("X a\rb");
    QTest::newRow("the LF-only setting removes every CR") << QByteArray("a\r\nb\r\n") << true
                                                          << QByteArray("X a\nb\n");
}

void TestDocumentPanel::saving_writes_the_remembered_line_end()
{
    QFETCH(QByteArray, file);
    QFETCH(bool, lfOnly);
    QFETCH(QByteArray, saved);
    Settings().editor.EndLineFormat = lfOnly;
    const QString path = write("x.hpprg", file);
    m_panel->OpenDocument(path, true);
    m_panel->ActiveEditor()->insert("X ");
    QVERIFY(m_panel->SaveDocument());
    QCOMPARE(read(path), saved);
    QVERIFY(!m_panel->ActiveEditor()->isModified());
}

void TestDocumentPanel::backups_data()
{
    QTest::addColumn<bool>("createBackup");
    QTest::addColumn<bool>("existing");
    QTest::addColumn<QByteArray>("backup");
    QTest::newRow("overwriting keeps the previous content in x.bak, replacing an older one")
        << true << true << QByteArray("old");
    QTest::newRow("a file that did not exist gets no backup") << true << false << QByteArray("<missing>");
    QTest::newRow("no backup when the setting is off") << false << true << QByteArray("<missing>");
    QTest::newRow("a document named x.bak keeps its backup in x.bak.bak") << true << true << QByteArray("old");
}

void TestDocumentPanel::backups()
{
    QFETCH(bool, createBackup);
    QFETCH(bool, existing);
    QFETCH(QByteArray, backup);
    Settings().editor.CreateBackup = createBackup;
    const bool named = QByteArray(QTest::currentDataTag()).contains("named x.bak");
    const QString backupPath = m_dir->filePath(named ? "x.bak.bak" : "x.bak");
    if (createBackup && existing)
        write(QFileInfo(backupPath).fileName(), "older");
    const QString path = write(named ? "x.bak" : "x.hpprg", "old");
    m_panel->OpenDocument(path, true);
    m_panel->ActiveEditor()->setText("new");
    if (!existing)
        QFile::remove(path);
    QVERIFY(m_panel->SaveDocument());
    QCOMPARE(read(path), QByteArray("new"));
    QCOMPARE(read(backupPath), backup);
}

void TestDocumentPanel::undo_after_save_data()
{
    QTest::addColumn<bool>("keep");
    QTest::newRow("undo reaches edits made before the save when kept") << true;
    QTest::newRow("the undo history is empty after a save otherwise") << false;
}

void TestDocumentPanel::undo_after_save()
{
    QFETCH(bool, keep);
    Settings().editor.UndoAfterSave = keep;
    m_panel->OpenDocument(write("u.hpe", "a"), true);
    m_panel->ActiveEditor()->insert("b");
    QVERIFY(m_panel->SaveDocument());
    QCOMPARE(m_panel->ActiveEditor()->isUndoAvailable(), keep);
}

void TestDocumentPanel::a_failed_save_keeps_the_document_modified_under_its_old_name()
{
    const QString path = write("keep.hpe", "good");
    m_panel->OpenDocument(path, true);
    m_panel->ActiveEditor()->insert("changed ");
    const QString bad = m_dir->filePath("no/such/folder/keep.hpe");
    QVERIFY(!m_panel->WriteDocument(bad));
    QCOMPARE(m_panel->fileName(0), path);
    QVERIFY(m_panel->ActiveEditor()->isModified());
    QCOMPARE(m_dialogs->messages.size(), 1);
    QCOMPARE(m_dialogs->messages[0].icon, QMessageBox::Critical);
    QVERIFY(m_dialogs->messages[0].text.contains(bad));
    // A folder in the way of the file is no file either; the old file is untouched.
    QVERIFY(QDir(m_dir->path()).mkdir("dir.hpe"));
    QVERIFY(!m_panel->WriteDocument(m_dir->filePath("dir.hpe")));
    QCOMPARE(read(path), QByteArray("good"));
}

void TestDocumentPanel::a_full_disk_keeps_the_old_file_and_says_why_data()
{
    QTest::addColumn<int>("size");
    QTest::addColumn<bool>("backup");
    QTest::newRow("a document that fits in the write buffer") << 7000 << false;
    QTest::newRow("a document larger than the write buffer") << 100000 << false;
    QTest::newRow("the backup copy does not fit") << 7000 << true;
}

void TestDocumentPanel::a_full_disk_keeps_the_old_file_and_says_why()
{
    QFETCH(int, size);
    QFETCH(bool, backup);
    Settings().editor.CreateBackup = backup;
    const QByteArray old = backup ? QByteArray(6000, 'o') : QByteArray("the user's program");
    const QString path = write("full.hpprg", old);
    if (backup)
        write("full.bak", "the old backup");
    m_panel->OpenDocument(path, true);
    m_panel->ActiveEditor()->setText(QString(size, 'n'));
    const QByteArray report = WithFileSizeLimit(4096, [&] {
        const bool saved = m_panel->SaveDocument();
        const QByteArray modified = m_panel->ActiveEditor()->isModified() ? "modified" : "saved";
        return (saved ? "ok " : "failed ") + modified + " "
               + (m_dialogs->messages.isEmpty() ? QByteArray() : m_dialogs->messages.last().text.toUtf8());
    });
    QVERIFY2(report.startsWith("failed modified "), report.constData());
    QVERIFY2(report.contains("File too large"), report.constData());
    QCOMPARE(read(path), old);
    if (backup)
        QCOMPARE(read(m_dir->filePath("full.bak")), QByteArray("the old backup"));
    QCOMPARE(QDir(m_dir->path()).entryList(QDir::Files).size(), backup ? 2 : 1);
}

void TestDocumentPanel::save_as_pre_selects_the_entry_of_the_content()
{
    Settings().environment.SaveFilterIndex = 10;
    m_panel->OpenDocument(write("p.txt", "%%HP: T(0)A(D)F(.);\r\n@ %NAME%=P\r\n\xAB 1 \xBB"), true);
    const QString target = m_dir->filePath("p.hpprg");
    m_dialogs->chooseFile(target, 2);
    QVERIFY(m_panel->SaveDocumentAs());
    QCOMPARE(m_dialogs->saveRequests.size(), 1);
    QCOMPARE(m_dialogs->saveRequests[0].filterIndex, 2);
    QCOMPARE(m_dialogs->saveRequests[0].defaultExtension, QString("hpe"));
    QCOMPARE(m_panel->fileName(0), target);
    QCOMPARE(Settings().environment.SaveFilterIndex, 2);
    m_dialogs->cancelFile();
    QVERIFY(!m_panel->SaveDocumentAs());
}

void TestDocumentPanel::saving_an_untitled_document_asks_for_a_name()
{
    m_panel->NewDocument();
    m_panel->ActiveEditor()->insert("{ 1 }");
    const QString target = m_dir->filePath("list.hplst");
    m_dialogs->chooseFile(target, 4);
    QVERIFY(m_panel->SaveDocument());
    QCOMPARE(m_dialogs->saveRequests.size(), 1);
    QCOMPARE(m_dialogs->saveRequests[0].fileName, QString("Sin título1"));
    QCOMPARE(m_dialogs->saveRequests[0].filterIndex, 4);
    QCOMPARE(read(target), QByteArray("{ 1 }"));
    QVERIFY(!m_panel->isUntitled(0));
}

void TestDocumentPanel::titles_and_status_follow_the_document()
{
    const QString path = write("sum.hpprg", "1\r\n2");
    m_panel->OpenDocument(path, true);
    QCOMPARE(m_panel->windowTitle(), "HPQuorvane 5 - [" + path + "]");
    QCOMPARE(m_panel->tabBar()->tabText(0), QString(" sum "));
    QCOMPARE(m_panel->statusText(0), QString());
    QCOMPARE(m_panel->statusText(1), QString("Insertar"));
    m_panel->ActiveEditor()->setCursorPosition(1, 1);
    m_panel->ActiveEditor()->insert("+");
    QCOMPARE(m_panel->windowTitle(), "HPQuorvane 5 - [" + path + "] *");
    QCOMPARE(m_panel->tabBar()->tabText(0), QString(" sum * "));
    QCOMPARE(m_panel->statusText(0), QString("Modificado"));
    QCOMPARE(m_panel->statusText(2), QString("2: 2"));
    m_panel->ActiveEditor()->setInsertMode(false);
    QCOMPARE(m_panel->statusText(1), QString("Sobrescribir"));
}

void TestDocumentPanel::five_opened_files_leave_the_last_four_in_the_recent_list()
{
    QStringList paths;
    for (const char *name : {"1.hpe", "2.hpe", "3.hpe", "4.hpe", "5.hpe"}) {
        paths << write(name, name);
        m_panel->OpenDocument(paths.last(), true);
    }
    QCOMPARE(m_mru->items(), (QStringList{paths[4], paths[3], paths[2], paths[1]}));
}

void TestDocumentPanel::a_file_written_in_utf8_is_offered_for_conversion_data()
{
    QTest::addColumn<QByteArray>("file");
    QTest::addColumn<int>("answer"); // 0: no question expected
    QTest::addColumn<QByteArray>("text");
    const QByteArray utf8 = "\xC2\xAB \xE2\x86\x92 a \xC2\xAB a \xC2\xBB \xC2\xBB\r\n";
    const QByteArray calc = "\xAB \x8D a \xAB a \xBB \xBB\r\n";
    QTest::newRow("accepted: the calculator's characters") << utf8 << int(QMessageBox::Yes) << calc;
    QTest::newRow("refused: the bytes as they were") << utf8 << int(QMessageBox::No) << utf8;
    QTest::newRow("a calculator file is not asked about") << calc << 0 << calc;
    QTest::newRow("plain ASCII is not asked about") << QByteArray("1 2 +") << 0 << QByteArray("1 2 +");
    QTest::newRow("UTF-8 of characters the calculator lacks is not asked about")
        << QByteArray("\xE2\x82\xAC") << 0 << QByteArray("\xE2\x82\xAC");
}

void TestDocumentPanel::a_file_written_in_utf8_is_offered_for_conversion()
{
    QFETCH(QByteArray, file);
    QFETCH(int, answer);
    QFETCH(QByteArray, text);
    const QString path = write("u.hpprg", file);
    if (answer)
        m_dialogs->answers << QMessageBox::StandardButton(answer);
    QVERIFY(m_panel->OpenDocument(path, true));
    QCOMPARE(m_dialogs->messages.size(), answer ? 1 : 0);
    if (answer)
        QVERIFY(m_dialogs->messages[0].text.contains(path));
    QCOMPARE(m_panel->ActiveEditor()->documentBytes(), text);
    QCOMPARE(m_panel->ActiveEditor()->isModified(), answer == int(QMessageBox::Yes));
    QCOMPARE(read(path), file); // the file itself changes only when saved
}

QTEST_MAIN(TestDocumentPanel)
#include "tst_documentpanel.moc"
