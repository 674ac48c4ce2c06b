#include "shell/Globals.h"
#include "shell/MruList.h"
#include "shell/Settings.h"
#include "shell/SettingsStore.h"
#include "shell/X87Extended.h"
#include "support/FileSizeLimit.h"

#include <QFile>
#include <QTemporaryDir>
#include <QtTest>

#include <cmath>

class TestSettings : public QObject
{
    Q_OBJECT
private slots:
    void an_empty_store_gives_every_default();
    void the_initial_values_equal_the_stores_defaults();
    void every_value_survives_a_write_and_a_read();
    void unreadable_values_take_their_defaults_data();
    void unreadable_values_take_their_defaults();
    void long_texts_are_cut_to_255_characters();
    void the_calculators_memory_stays_within_its_range_data();
    void the_calculators_memory_stays_within_its_range();
    void reading_never_creates_the_store();
    void reals_keep_all_64_mantissa_bits_data();
    void reals_keep_all_64_mantissa_bits();
    void reals_are_stored_as_x87_extended_bytes();
    void recent_files_data();
    void recent_files();
    void recent_files_write_and_delete_their_positions();
    void language_texts_are_formatted_data();
    void language_texts_are_formatted();
    void a_damaged_file_is_set_aside_data();
    void a_damaged_file_is_set_aside();
    void a_full_disk_keeps_the_old_settings_and_says_why();
    void two_stores_saved_one_after_the_other_keep_both_changes();

private:
    QTemporaryDir m_dir;
    QString storePath(const char *name) const { return m_dir.filePath(QString::fromLatin1(name)); }
};

void TestSettings::an_empty_store_gives_every_default()
{
    SetAppFolder("/opt/quorvane");
    const SettingsStore store(storePath("empty.ini"));
    AppSettings s;
    s.editor.AutoIndent = false;
    s.environment.Language = "English";
    ReadSettings(store, s);

    QCOMPARE(s.editor.AutoIndent, true);
    QCOMPARE(s.editor.UndoAfterSave, false);
    QCOMPARE(s.editor.MaxUndo, 1024);
    QCOMPARE(s.editor.TabSize, 2);
    QCOMPARE(s.editor.GutterSize, 30);
    QCOMPARE(s.editor.FontEditor, QString("_CAS_HP48x-49x-50x_01"));
    QCOMPARE(s.environment.MultiplesInstances, false);
    QCOMPARE(s.environment.Language, QString("Spanish(1)"));
    QCOMPARE(s.environment.OpenFilterIndex, 11);
    QCOMPARE(s.environment.SaveFilterIndex, 10);
    QCOMPARE(s.environment.PanelWidth, 229);
    QCOMPARE(s.environment.WindowWidth, 700);
    QCOMPARE(s.environment.WindowHeight, 580);
    QCOMPARE(s.environment.SerialPort, QString("Auto"));
    QCOMPARE(s.environment.SerialSpeed, 115200);
    QCOMPARE(s.environment.CalculatorMemory, 256);
    QCOMPARE(s.environment.CommandsFilename, QString("/opt/quorvane/Templates/CmdsAndFunctsHP49x-50x.ehc"));
    QCOMPARE(s.environment.TreeViewFilename, QString("/opt/quorvane/Templates/MenusHP49x-50x.mtv"));
    QCOMPARE(s.environment.Emu48RamFilename, QString("/opt/quorvane/EMU/default 48GX.e48"));
    QCOMPARE(s.environment.Emu49RamFilename, QString("/opt/quorvane/EMU/default 50G.e49"));
    QCOMPARE(s.printing.MarginsUnitSystem, 1);
    QCOMPARE(s.printing.MarginsHeader, 1.5L);
    QCOMPARE(s.printing.MarginsHFInternalMargin, 0.1L);
    QVERIFY(s.printing.HeaderItems.startsWith("Página: $PAGENUM$ de $PAGECOUNT$\\.0\\.0\\.-11\\.Arial"));
    QVERIFY(s.printing.FooterItems.startsWith("Impreso con HPQuorvane\\."));
    SetAppFolder(QCoreApplication::applicationDirPath());
}

void TestSettings::the_initial_values_equal_the_stores_defaults()
{
    // Settings.h gives every member an initial value and the store's table a
    // default; a value changed in one place only would differ between a first
    // start and a start without the value.
    AppSettings initial;
    const AppSettings table = AppSettings::defaults();
    // The data paths are the one exception: they are built from AppFolder.
    initial.environment.CommandsFilename = table.environment.CommandsFilename;
    initial.environment.TreeViewFilename = table.environment.TreeViewFilename;
    initial.environment.Emu48RamFilename = table.environment.Emu48RamFilename;
    initial.environment.Emu48PortFilename = table.environment.Emu48PortFilename;
    initial.environment.Emu49RamFilename = table.environment.Emu49RamFilename;
    QVERIFY(initial.editor == table.editor);
    QVERIFY(initial.environment == table.environment);
    QVERIFY(initial.printing == table.printing);
}

void TestSettings::every_value_survives_a_write_and_a_read()
{
    AppSettings out = AppSettings::defaults();
    out.editor.AutoIndent = false;
    out.editor.ExtraLineSpacing = -3;
    out.editor.FontEditor = "DejaVu Sans Mono";
    out.environment.MultiplesInstances = true;
    out.environment.Language = "English, UK";
    out.environment.Emu49RamFilename = "/home/ana/calc/50g; backup.e49";
    out.environment.WindowState = 2;
    out.printing.MarginsLeft = 1.0L / 3.0L;
    out.printing.HeaderItems = "x\\.0/y";
    out.printing.FooterBox = true;
    {
        SettingsStore store(storePath("roundtrip.ini"));
        WriteSettings(store, out);
        QVERIFY(store.sync());
    }
    const SettingsStore store(storePath("roundtrip.ini"));
    AppSettings in;
    ReadSettings(store, in);
    QCOMPARE(in.editor.AutoIndent, false);
    QCOMPARE(in.editor.ExtraLineSpacing, -3);
    QCOMPARE(in.editor.FontEditor, out.editor.FontEditor);
    QCOMPARE(in.environment.MultiplesInstances, true);
    QCOMPARE(in.environment.Language, out.environment.Language);
    QCOMPARE(in.environment.Emu49RamFilename, out.environment.Emu49RamFilename);
    QCOMPARE(in.environment.WindowState, 2);
    QVERIFY(in.printing.MarginsLeft == out.printing.MarginsLeft);
    QCOMPARE(in.printing.HeaderItems, out.printing.HeaderItems);
    QCOMPARE(in.printing.FooterBox, true);
    // Every value is written, changed or not.
    QCOMPARE(store.valueNames("Editor").size(), 21);
    QCOMPARE(store.valueNames("Environment").size(), 33);
    QCOMPARE(store.valueNames("Printing").size(), 31);
}

void TestSettings::unreadable_values_take_their_defaults_data()
{
    QTest::addColumn<QString>("line");
    QTest::newRow("a boolean that is not a number is true by default") << "AutoIndent=yes";
    QTest::newRow("an integer given as a word keeps its default") << "TabSize=two";
    QTest::newRow("a real given as text keeps its default") << "MarginsLeft=3.5";
    QTest::newRow("a real of nine bytes keeps its default") << "MarginsLeft=@ByteArray(123456789)";
}

void TestSettings::unreadable_values_take_their_defaults()
{
    QFETCH(QString, line);
    const QString path = storePath("broken.ini");
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
    const QString key = line.startsWith("Margins") ? "Printing" : "Editor";
    file.write(QString("[%1]\n%2\n").arg(key, line).toUtf8());
    file.close();
    const SettingsStore store(path);
    AppSettings s;
    ReadSettings(store, s);
    QCOMPARE(s.editor.AutoIndent, true);
    QCOMPARE(s.editor.TabSize, 2);
    QCOMPARE(s.printing.MarginsLeft, 2.0L);
}

void TestSettings::long_texts_are_cut_to_255_characters()
{
    SettingsStore store(storePath("long.ini"));
    store.writeText("Environment", "Language", QString(300, 'L'));
    store.writeText("Editor", "FontEditor", QString(256, 'F'));
    AppSettings s;
    ReadSettings(store, s);
    QCOMPARE(s.environment.Language, QString(255, 'L'));
    QCOMPARE(s.editor.FontEditor, QString(255, 'F'));
}

void TestSettings::the_calculators_memory_stays_within_its_range_data()
{
    QTest::addColumn<int>("stored");
    QTest::addColumn<int>("read");
    QTest::newRow("a size in range") << 512 << 512;
    QTest::newRow("none at all") << 0 << 1;
    QTest::newRow("negative") << -5 << 1;
    QTest::newRow("more than a process may address") << 1000000 << 3072;
}

void TestSettings::the_calculators_memory_stays_within_its_range()
{
    QFETCH(int, stored);
    QFETCH(int, read);
    SettingsStore store(storePath("memory.ini"));
    store.writeInt("Environment", "CalculatorMemory", stored);
    AppSettings s;
    ReadSettings(store, s);
    QCOMPARE(s.environment.CalculatorMemory, read);
}

void TestSettings::reading_never_creates_the_store()
{
    const QString path = storePath("absent/HPQuorvane.ini");
    QCOMPARE(ReadMultiplesInstances(SettingsStore(path)), false);
    QVERIFY(!QFile::exists(path));
}

void TestSettings::reals_keep_all_64_mantissa_bits_data()
{
    QTest::addColumn<double>("unused");
    QTest::newRow("one plus the smallest step of a 64-bit mantissa") << 0.0;
    QTest::newRow("a third") << 0.0;
    QTest::newRow("a negative tiny value") << 0.0;
    QTest::newRow("zero") << 0.0;
}

void TestSettings::reals_keep_all_64_mantissa_bits()
{
    const QString row = QTest::currentDataTag();
    long double value = 0;
    if (row.startsWith("one plus"))
        value = 1.0L + std::ldexp(1.0L, -63);
    else if (row == "a third")
        value = 1.0L / 3.0L;
    else if (row.startsWith("a negative"))
        value = -std::ldexp(1.0L, -16000);
    SettingsStore store(storePath("reals.ini"));
    store.writeReal("Printing", "MarginsTop", value);
    QVERIFY(store.sync());
    const SettingsStore again(storePath("reals.ini"));
    QVERIFY(again.readReal("Printing", "MarginsTop", 99) == value);
}

void TestSettings::reals_are_stored_as_x87_extended_bytes()
{
    QCOMPARE(X87Extended::encode(1.0L), QByteArray::fromHex("0000000000000080ff3f"));
    QCOMPARE(X87Extended::encode(-2.0L), QByteArray::fromHex("000000000000008000c0"));
    QCOMPARE(X87Extended::encode(0.0L), QByteArray(10, '\0'));
    bool ok = true;
    X87Extended::decode(QByteArray(9, '\0'), &ok);
    QVERIFY(!ok);
    QVERIFY(std::isinf(X87Extended::decode(X87Extended::encode(HUGE_VALL))));
}

void TestSettings::recent_files_data()
{
    QTest::addColumn<QStringList>("added");
    QTest::addColumn<QStringList>("expected");
    QTest::newRow("five files keep the last four, newest first")
        << QStringList{"/a", "/b", "/c", "/d", "/e"} << QStringList{"/e", "/d", "/c", "/b"};
    QTest::newRow("a file opened again moves to the top without a copy")
        << QStringList{"/a", "/b", "/c", "/a"} << QStringList{"/a", "/c", "/b"};
    QTest::newRow("a relative name is kept as a full path")
        << QStringList{"x.hpprg"} << QStringList{QDir::current().absoluteFilePath("x.hpprg")};
}

void TestSettings::recent_files()
{
    QFETCH(QStringList, added);
    QFETCH(QStringList, expected);
    MruList mru(4);
    for (const QString &path : added)
        mru.add(path);
    QCOMPARE(mru.items(), expected);
}

void TestSettings::recent_files_write_and_delete_their_positions()
{
    SettingsStore store(storePath("mru.ini"));
    MruList mru(4);
    for (const char *path : {"/a", "/b", "/c", "/d"})
        mru.add(path);
    mru.save(store, "Editor", "History");
    MruList shorter(4);
    shorter.add("/z");
    shorter.save(store, "Editor", "History");
    QCOMPARE(store.readText("Editor", "History1", {}), QString("/z"));
    QVERIFY(!store.hasValue("Editor", "History2"));
    QVERIFY(!store.hasValue("Editor", "History4"));
    MruList loaded(4);
    loaded.load(store, "Editor", "History");
    QCOMPARE(loaded.items(), QStringList{"/z"});
}

void TestSettings::a_damaged_file_is_set_aside_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<bool>("damaged");
    QTest::newRow("a healthy file") << QByteArray("[Editor]\nTabWidth=7\n") << false;
    QTest::newRow("zero bytes left by a crash") << QByteArray("[Editor]\nTabWidth=7\n\0\0\0\0", 24) << true;
    QTest::newRow("binary garbage") << QByteArray::fromHex("7f454c4602010100ffe3") << true;
    QTest::newRow("a hand edit in Latin-1 is no damage") << QByteArray("[Editor]\nTabWidth=7\nFontEditor=Caf\xe9\n") << false;
}

void TestSettings::a_damaged_file_is_set_aside()
{
    QFETCH(QByteArray, bytes);
    QFETCH(bool, damaged);
    const QString path = storePath("damaged/HPQuorvane.ini");
    QVERIFY(QDir().mkpath(QFileInfo(path).path()));
    QFile::remove(path + ".damaged");
    {
        QFile f(path);
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.write(bytes);
    }
    SettingsStore store(path);
    QCOMPARE(store.isDamaged(), damaged);
    if (!damaged) {
        QCOMPARE(store.readInt("Editor", "TabWidth", 8), 7);
        return;
    }
    QString why;
    QCOMPARE(store.setAsideDamaged(&why), path + ".damaged");
    QVERIFY(!QFile::exists(path));
    QFile kept(path + ".damaged");
    QVERIFY(kept.open(QIODevice::ReadOnly));
    QCOMPARE(kept.readAll(), bytes);
    QCOMPARE(store.readInt("Editor", "TabWidth", 8), 8);
    // The defaults written at exit make a healthy file again.
    store.writeInt("Editor", "TabWidth", 8);
    QVERIFY(store.sync());
    QVERIFY(!SettingsStore(path).isDamaged());
}

void TestSettings::a_full_disk_keeps_the_old_settings_and_says_why()
{
    const QString path = storePath("full.ini");
    {
        SettingsStore store(path);
        store.writeText("Environment", "Language", "English");
        QVERIFY(store.sync());
    }
    QFile before(path);
    QVERIFY(before.open(QIODevice::ReadOnly));
    const QByteArray old = before.readAll();
    const QByteArray report = WithFileSizeLimit(4096, [&] {
        SettingsStore store(path);
        for (int i = 0; i < 200; ++i)
            store.writeText("Editor", QStringLiteral("Long%1").arg(i), QString(200, 'x'));
        QString why;
        return store.sync(&why) ? QByteArray("written") : why.toUtf8();
    });
    QCOMPARE(report, QByteArray("File too large"));
    QFile after(path);
    QVERIFY(after.open(QIODevice::ReadOnly));
    QCOMPARE(after.readAll(), old);
    QCOMPARE(QDir(m_dir.path()).entryList({"full*"}, QDir::Files), QStringList{"full.ini"});
}

void TestSettings::two_stores_saved_one_after_the_other_keep_both_changes()
{
    // Two editors open at once, each saving its own change at exit.
    const QString path = storePath("both.ini");
    SettingsStore first(path);
    SettingsStore second(path);
    first.writeInt("Editor", "TabWidth", 3);
    QVERIFY(first.sync());
    QTest::qWait(1100); // a second later, as two exits are
    second.writeText("Environment", "Language", "English");
    QVERIFY(second.sync());
    const SettingsStore again(path);
    QCOMPARE(again.readInt("Editor", "TabWidth", 8), 3);
    QCOMPARE(again.readText("Environment", "Language", ""), QString("English"));
}

void TestSettings::language_texts_are_formatted_data()
{
    QTest::addColumn<QString>("pattern");
    QTest::addColumn<QString>("expected");
    QTest::newRow("an untitled name joins text and number") << "%s%d" << "Sin título7";
    QTest::newRow("a percent sign is written twice") << "100%% %s" << "100% Sin título";
    QTest::newRow("a directive without an argument stays") << "%s %d %s" << "Sin título 7 %s";
}

void TestSettings::language_texts_are_formatted()
{
    QFETCH(QString, pattern);
    QFETCH(QString, expected);
    QCOMPARE(FormatText(pattern, {"Sin título", 7}), expected);
    QCOMPARE(FormatText("Lín %d: Col %d", {12, 3}), QString("Lín 12: Col 3"));
}

QTEST_GUILESS_MAIN(TestSettings)
#include "tst_settings.moc"
