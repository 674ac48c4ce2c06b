// The tip of the day (reading the tips, wrapping navigation, the start-up
// check box, the first activation rule) and the About window and splash.

#include "support/TestCommandHost.h"

#include "environment/DlgAbout.h"
#include "environment/DlgTipDay.h"
#include "environment/EnvironmentCommands.h"
#include "shell/Globals.h"
#include "shell/ScriptedDialogs.h"
#include "shell/Settings.h"

#include <QCheckBox>
#include <QFile>
#include <QLabel>
#include <QPushButton>
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <QtTest>

class TestTipsAndAbout : public QObject
{
    Q_OBJECT
private slots:
    void init();
    void cleanup();
    void lines_of_the_tips_file_data();
    void lines_of_the_tips_file();
    void navigation_wraps_around_data();
    void navigation_wraps_around();
    void an_empty_list_ignores_navigation();
    void the_start_is_random_and_within_the_list();
    void the_tips_file_follows_the_language();
    void the_window_shows_a_tip_and_moves_through_them();
    void a_missing_tips_file_is_reported_and_disables_navigation();
    void unchecking_the_box_turns_the_tips_off_at_once();
    void the_first_activation_offers_the_tip_once();
    void no_tip_at_first_activation_when_turned_off();
    void the_shipped_tips_files_data();
    void the_shipped_tips_files();
    void the_version_label_data();
    void the_version_label();
    void the_about_window_closes_on_a_click();
    void the_splash_is_the_picture_alone_and_closes_itself();

private:
    void writeTips(const QString &name, const QByteArray &bytes);
    std::unique_ptr<QTemporaryDir> m_dir;
    std::unique_ptr<ScriptedDialogs> m_dialogs;
};

void TestTipsAndAbout::init()
{
    m_dir = std::make_unique<QTemporaryDir>();
    SetAppFolder(m_dir->path() + '/');
    LanguageFilePath = QStringLiteral(QV_SOURCE_DATA_DIR "/Languages/English.lng");
    Settings() = AppSettings();
    SetMessage(5, "missing %s");
    m_dialogs = std::make_unique<ScriptedDialogs>();
}

void TestTipsAndAbout::cleanup()
{
    m_dialogs.reset();
}

void TestTipsAndAbout::writeTips(const QString &name, const QByteArray &bytes)
{
    QFile file(m_dir->path() + '/' + name);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write(bytes);
}

void TestTipsAndAbout::lines_of_the_tips_file_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<QStringList>("tips");
    QTest::newRow("an empty file has no tip") << QByteArray() << QStringList();
    QTest::newRow("CR LF, LF and CR all end a line")
        << QByteArray("one\r\ntwo\nthree\rfour") << QStringList{"one", "two", "three", "four"};
    QTest::newRow("empty lines are tips too") << QByteArray("a\n\nb\n") << QStringList{"a", "", "b"};
    QTest::newRow("a final line break adds no tip") << QByteArray("a\r\n") << QStringList{"a"};
    QTest::newRow("UTF-8 with its mark") << QByteArray("\xEF\xBB\xBF\xC2\xAB DUP \xC2\xBB")
                                         << QStringList{QString::fromUtf8("« DUP »")};
    QTest::newRow("a Latin-1 file keeps its accents") << QByteArray("Pulse F9 para ejecutar el programa en la calculadora: as\xED de f\xE1" "cil")
                                                      << QStringList{QString::fromUtf8("Pulse F9 para ejecutar el programa en la calculadora: así de fácil")};
}

void TestTipsAndAbout::lines_of_the_tips_file()
{
    QFETCH(QByteArray, bytes);
    QFETCH(QStringList, tips);
    QCOMPARE(TipList::parseLines(bytes), tips);
}

void TestTipsAndAbout::navigation_wraps_around_data()
{
    QTest::addColumn<int>("start");
    QTest::addColumn<bool>("forward");
    QTest::addColumn<int>("expected");
    QTest::newRow("from tip 3 of 3, Next shows tip 1") << 2 << true << 0;
    QTest::newRow("from tip 1, Previous shows tip 3") << 0 << false << 2;
    QTest::newRow("Next in the middle") << 1 << true << 2;
    QTest::newRow("Previous in the middle") << 1 << false << 0;
}

void TestTipsAndAbout::navigation_wraps_around()
{
    QFETCH(int, start);
    QFETCH(bool, forward);
    QFETCH(int, expected);
    TipList tips;
    tips.setTips({"one", "two", "three"});
    tips.setIndex(start);
    forward ? tips.next() : tips.previous();
    QCOMPARE(tips.index(), expected);
}

void TestTipsAndAbout::an_empty_list_ignores_navigation()
{
    TipList tips;
    tips.setTips({});
    tips.next();
    tips.previous();
    QRandomGenerator random(7);
    tips.startAtRandom(random);
    QCOMPARE(tips.index(), -1);
    QCOMPARE(tips.current(), QString());
}

void TestTipsAndAbout::the_start_is_random_and_within_the_list()
{
    TipList tips;
    tips.setTips({"a", "b", "c", "d", "e"});
    QRandomGenerator random(42);
    QSet<int> seen;
    for (int i = 0; i < 200; ++i) {
        tips.startAtRandom(random);
        QVERIFY(tips.index() >= 0 && tips.index() < 5);
        seen.insert(tips.index());
    }
    QCOMPARE(seen.size(), 5);
}

void TestTipsAndAbout::the_tips_file_follows_the_language()
{
    writeTips("TIPS.TXT", "uno\n");
    QCOMPARE(TipsFilePath("English"), AppFolder() + "TIPS.TXT");
    writeTips("TIPS-English.TXT", "one\n");
    QCOMPARE(TipsFilePath("English"), AppFolder() + "TIPS-English.TXT");
    QCOMPARE(TipsFilePath("Spanish(1)"), AppFolder() + "TIPS.TXT");
}

void TestTipsAndAbout::the_window_shows_a_tip_and_moves_through_them()
{
    writeTips("TIPS.TXT", "one\ntwo\nthree\n");
    TTipDialog dialog;
    QVERIFY(m_dialogs->messages.isEmpty());
    QCOMPARE(dialog.windowTitle(), QString("Tip of the Day"));
    QCOMPARE(dialog.tips().count(), 3);
    dialog.tips().setIndex(2);
    dialog.showCurrent();
    QCOMPARE(dialog.tipLabel()->text(), QString("three"));
    dialog.nextButton()->click();
    QCOMPARE(dialog.tipLabel()->text(), QString("one"));
    dialog.previousButton()->click();
    QCOMPARE(dialog.tipLabel()->text(), QString("three"));
}

void TestTipsAndAbout::a_missing_tips_file_is_reported_and_disables_navigation()
{
    TTipDialog dialog;
    QCOMPARE(m_dialogs->messages.size(), 1);
    QCOMPARE(m_dialogs->messages[0].text, "missing " + AppFolder() + "TIPS.TXT");
    QCOMPARE(m_dialogs->messages[0].icon, QMessageBox::Critical);
    QVERIFY(!dialog.nextButton()->isEnabled());
    QVERIFY(!dialog.previousButton()->isEnabled());
    QCOMPARE(dialog.tipLabel()->text(), QString());
}

void TestTipsAndAbout::unchecking_the_box_turns_the_tips_off_at_once()
{
    writeTips("TIPS.TXT", "one\n");
    {
        TTipDialog dialog;
        QVERIFY(dialog.showCheck()->isChecked());
        dialog.showCheck()->click();
        QVERIFY(!Settings().environment.ShowTipDay);
    }
    // Help > Tip of the Day still works and shows the box unchecked.
    TestCommandHost host;
    EnvironmentCommands commands(host);
    bool unchecked = false;
    commands.setModalRunner([&](QDialog *d) {
        unchecked = !static_cast<TTipDialog *>(d)->showCheck()->isChecked();
        return 0;
    });
    host.trigger("HelpTipOfDay");
    QVERIFY(unchecked);
}

void TestTipsAndAbout::the_first_activation_offers_the_tip_once()
{
    writeTips("TIPS.TXT", "one\n");
    TestCommandHost host;
    EnvironmentCommands commands(host);
    int shown = 0;
    commands.setModalRunner([&](QDialog *d) {
        shown += qobject_cast<TTipDialog *>(d) != nullptr;
        return 0;
    });
    commands.ApplicationActivated();
    commands.ApplicationActivated(); // back from another application
    QCOMPARE(shown, 1);
}

void TestTipsAndAbout::no_tip_at_first_activation_when_turned_off()
{
    Settings().environment.ShowTipDay = false;
    TestCommandHost host;
    EnvironmentCommands commands(host);
    int shown = 0;
    commands.setModalRunner([&](QDialog *) { return ++shown, 0; });
    commands.ApplicationActivated();
    QCOMPARE(shown, 0);
}

void TestTipsAndAbout::the_shipped_tips_files_data()
{
    QTest::addColumn<QString>("name");
    QTest::newRow("Spanish, the default") << "TIPS.TXT";
    QTest::newRow("English") << "TIPS-English.TXT";
}

void TestTipsAndAbout::the_shipped_tips_files()
{
    QFETCH(QString, name);
    QFile file(QStringLiteral(QV_SOURCE_DATA_DIR "/") + name);
    QVERIFY(file.open(QIODevice::ReadOnly));
    const QStringList tips = TipList::parseLines(file.readAll());
    QVERIFY(tips.size() >= 40);
    for (const QString &tip : tips)
        QVERIFY2(tip.trimmed().size() > 20, qPrintable("a tip too short to help: " + tip));
}

void TestTipsAndAbout::the_version_label_data()
{
    QTest::addColumn<QString>("fileVersion");
    QTest::addColumn<QString>("label");
    QTest::newRow("a four-part version") << "5.3.1.842" << "v5.3.1.842";
    QTest::newRow("the build's own version") << QUORVANE_VERSION << "v" QUORVANE_VERSION;
}

void TestTipsAndAbout::the_version_label()
{
    QFETCH(QString, fileVersion);
    QFETCH(QString, label);
    QCOMPARE(TAboutDialog::VersionText(fileVersion), label);
    QCOMPARE(QString(QUORVANE_VERSION).count(u'.'), 3);
}

void TestTipsAndAbout::the_about_window_closes_on_a_click()
{
    TAboutDialog dialog;
    QCOMPARE(dialog.size(), QSize(500, 300));
    // The picture is ours and it is there: the window is not left blank.
    const QImage shot = dialog.grab().toImage();
    const QColor corner = shot.pixelColor(4, 4);
    QVERIFY2(qAbs(corner.red() - 0x1d) < 6 && qAbs(corner.green() - 0x32) < 6 && qAbs(corner.blue() - 0x47) < 6,
             qPrintable(corner.name()));
    QVERIFY(!dialog.logoLabel()->pixmap().isNull());
    QCOMPARE(dialog.versionLabel()->text(), QString("v" QUORVANE_VERSION));
    QVERIFY(dialog.windowFlags().testFlag(Qt::FramelessWindowHint));
    dialog.show();
    QTest::mouseClick(dialog.creditsLabel(), Qt::LeftButton);
    QCOMPARE(dialog.result(), int(QDialog::Accepted));
    QVERIFY(!dialog.isVisible());
}

void TestTipsAndAbout::the_splash_is_the_picture_alone_and_closes_itself()
{
    QPointer<TAboutDialog> splash = TAboutDialog::ShowSplash();
    QVERIFY(splash->isVisible());
    QVERIFY(splash->windowFlags().testFlag(Qt::WindowStaysOnTopHint));
    QVERIFY(!splash->versionLabel()->isVisible());
    QVERIFY(!splash->creditsLabel()->isVisible());
    QVERIFY(!splash->dedicationLabel()->isVisible());
    QVERIFY(!splash->logoLabel()->isVisible());
    // A click does not close it early; the timer does.
    QTest::mouseClick(splash, Qt::LeftButton);
    QVERIFY(splash->isVisible());
    splash->startCloseTimer(250);
    QTRY_VERIFY_WITH_TIMEOUT(splash.isNull(), 3000);
}

QTEST_MAIN(TestTipsAndAbout)
#include "tst_tipsandabout.moc"
