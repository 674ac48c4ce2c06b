#include "shell/AppDialogs.h"
#include "shell/ScriptedDialogs.h"

#include <QtTest>

class TestDialogs : public QObject
{
    Q_OBJECT
private slots:
    void filter_entries_become_qt_name_filters_data();
    void filter_entries_become_qt_name_filters();
    void a_scripted_service_answers_and_records();
};

void TestDialogs::filter_entries_become_qt_name_filters_data()
{
    QTest::addColumn<QString>("filter");
    QTest::addColumn<QStringList>("expected");
    QTest::newRow("a description gets its pattern in parentheses")
        << "Programas|*.hpprg" << QStringList{"Programas (*.hpprg)"};
    QTest::newRow("a description that shows its pattern is kept")
        << "Listas (*.hplst)|*.hplst" << QStringList{"Listas (*.hplst)"};
    QTest::newRow("several patterns are separated by blanks")
        << "Texto|*.txt;*.hpe|Todos|*.*" << QStringList{"Texto (*.txt *.hpe)", "Todos (*.*)"};
}

void TestDialogs::filter_entries_become_qt_name_filters()
{
    QFETCH(QString, filter);
    QFETCH(QStringList, expected);
    QCOMPARE(QtNameFilters(filter), expected);
}

void TestDialogs::a_scripted_service_answers_and_records()
{
    {
        ScriptedDialogs dialogs;
        dialogs.answers << QMessageBox::No;
        QCOMPARE(ShowAppMessage("save?", QMessageBox::Warning, QMessageBox::Yes | QMessageBox::No),
                 QMessageBox::No);
        // Without a scripted answer the first offered button of Ok, Yes, No, Cancel.
        QCOMPARE(ShowAppMessage("gone", QMessageBox::Critical), QMessageBox::Ok);
        QCOMPARE(dialogs.messages.size(), 2);
        QCOMPARE(dialogs.messages[1].icon, QMessageBox::Critical);
        dialogs.chooseFile("/tmp/x.hpe", 3);
        const FileDialogResult r = Dialogs().saveFile(FileDialogOptions{"Guardar", "", 2, "x", "hpe"});
        QVERIFY(r.accepted);
        QCOMPARE(r.filterIndex, 3);
        QCOMPARE(dialogs.saveRequests.size(), 1);
        QCOMPARE(dialogs.saveRequests[0].filterIndex, 2);
        QVERIFY(!Dialogs().openFile({}).accepted);
    }
    // Gone with its scope: the real dialogs are back.
    QVERIFY(dynamic_cast<ScriptedDialogs *>(&Dialogs()) == nullptr);
}

QTEST_MAIN(TestDialogs)
#include "tst_dialogs.moc"
