#include "documents/DocumentPanel.h"
#include "shell/Globals.h"
#include "shell/ScriptedDialogs.h"
#include "shell/Settings.h"
#include "shell/SettingsStore.h"
#include "shell/SingleInstance.h"
#include "mainwindow/MainProgram.h"

#include <QFile>
#include <QLocalSocket>
#include <QPointer>
#include <QProcess>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QtTest>

#include <unistd.h>

// The running editor is this test's window; the second start is the real
// program, started as its own process.
class TestSingleInstance : public QObject
{
    Q_OBJECT
private slots:
    void init();
    void cleanup();
    void a_second_start_hands_its_file_to_the_first_data();
    void a_second_start_hands_its_file_to_the_first();
    void with_no_first_instance_the_program_starts_normally();
    void a_client_that_goes_away_while_the_message_is_up_harms_nothing();
    void a_flood_of_requests_gets_one_message_box_at_a_time();
    void a_request_too_long_for_a_file_name_is_refused_unread();
    void another_users_request_is_ignored();

private:
    int startSecond(const QStringList &args);
    static QByteArray request(const QString &argument);
    QTemporaryDir m_dir;
    TMainProgram *m_window = nullptr;
    ScriptedDialogs *m_dialogs = nullptr;
};

void TestSingleInstance::init()
{
    QFile::remove(SettingsStore::userStorePath());
    Settings() = AppSettings::defaults();
    Settings().environment.NewFileOnStartup = false;
    m_dialogs = new ScriptedDialogs;
    m_window = new TMainProgram;
    // After the window has read its language file.
    SetMessage(5, "No existe %s");
}

void TestSingleInstance::cleanup()
{
    delete m_window;
    delete m_dialogs;
}

int TestSingleInstance::startSecond(const QStringList &args)
{
    QProcess second;
    second.setProgram(QStringLiteral(QV_BIN_DIR "/quorvane"));
    second.setArguments(args);
    second.setWorkingDirectory(m_dir.path());
    second.start();
    // The first instance must keep serving while the second one waits.
    QElapsedTimer timer;
    timer.start();
    while (second.state() != QProcess::NotRunning && timer.elapsed() < 20000) {
        QCoreApplication::processEvents(QEventLoop::AllEvents, 50);
        second.waitForFinished(20);
    }
    if (second.state() != QProcess::NotRunning) {
        second.kill();
        second.waitForFinished();
        return -1;
    }
    return second.exitStatus() == QProcess::NormalExit ? second.exitCode() : -2;
}

void TestSingleInstance::a_second_start_hands_its_file_to_the_first_data()
{
    QTest::addColumn<QString>("argument");
    QTest::addColumn<int>("documents");
    QTest::addColumn<int>("messages");
    QTest::newRow("a file given by a relative name opens in the first instance") << "new.hpe" << 2 << 0;
    QTest::newRow("a file that is open already only gets its tab selected") << "open.hpe" << 1 << 0;
    QTest::newRow("no file only raises the first instance") << "" << 1 << 0;
    QTest::newRow("a missing file is reported by the first instance") << "missing.hpe" << 1 << 1;
    QTest::newRow("two files open two documents") << "new.hpe|other.hpe" << 3 << 0;
}

void TestSingleInstance::a_second_start_hands_its_file_to_the_first()
{
    QFETCH(QString, argument);
    QFETCH(int, documents);
    QFETCH(int, messages);
    for (const char *name : {"new.hpe", "open.hpe", "other.hpe"}) {
        QFile f(m_dir.filePath(name));
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.write(name);
    }
    m_window->OpenStartupDocument(m_dir.filePath("open.hpe"));
    m_window->Documents()->OpenDocument(m_dir.filePath("new.hpe"), false); // an untitled namesake
    m_window->Documents()->CloseActiveDocument();
    QCOMPARE(m_window->Documents()->count(), 1);

    const QStringList args = argument.split('|', Qt::SkipEmptyParts);
    QCOMPARE(startSecond(args), 0);
    // The second start is answered before the file is opened.
    QTRY_COMPARE(m_window->Documents()->count(), documents);
    QTRY_COMPARE(m_dialogs->messages.size(), messages);
    if (!argument.isEmpty() && messages == 0)
        QCOMPARE(m_window->Documents()->fileName(m_window->Documents()->ActiveDocument()),
                 m_dir.filePath(args.last()));
    if (messages)
        QCOMPARE(m_dialogs->messages[0].text, "No existe " + m_dir.filePath(argument));
}

void TestSingleInstance::with_no_first_instance_the_program_starts_normally()
{
    // This test's window stops listening; the program started now must become
    // the running editor that takes the next hand-over.
    delete m_window;
    m_window = nullptr;
    QProcess first;
    first.setProgram(QStringLiteral(QV_BIN_DIR "/quorvane"));
    first.start();
    QVERIFY(first.waitForStarted());
    bool handed = false;
    for (int i = 0; i < 100 && !handed; ++i) {
        QTest::qWait(50);
        handed = SingleInstance::handOver(QString(), 5000);
    }
    first.kill();
    first.waitForFinished();
    QVERIFY(handed);
    m_window = new TMainProgram;
}

QByteArray TestSingleInstance::request(const QString &argument)
{
    const QByteArray bytes = argument.toUtf8();
    QByteArray message(4, '\0');
    qToLittleEndian<quint32>(quint32(bytes.size()), message.data());
    return message + bytes;
}

void TestSingleInstance::a_client_that_goes_away_while_the_message_is_up_harms_nothing()
{
    // A second start whose terminal is closed while the running editor says
    // "cannot be found": its socket goes away inside the message box.
    auto *client = new QLocalSocket;
    client->connectToServer(SingleInstance::serverName());
    QVERIFY(client->waitForConnected(1000));
    QByteArray reply;
    m_dialogs->whileMessageIsUp = [&] {
        if (client->waitForReadyRead(2000))
            reply = client->readAll();
        delete client;
        client = nullptr;
        QTest::qWait(50);
    };
    client->write(request(m_dir.filePath("gone.hpe")));
    client->flush();
    QTRY_COMPARE(m_dialogs->messages.size(), 1);
    QCOMPARE(reply, QByteArray("\1", 1)); // answered before the box went up
    QVERIFY(!client);
    m_dialogs->whileMessageIsUp = nullptr;
    // The editor still takes the next start.
    QCOMPARE(startSecond({}), 0);
}

void TestSingleInstance::a_flood_of_requests_gets_one_message_box_at_a_time()
{
    m_dialogs->whileMessageIsUp = [] { QTest::qWait(5); };
    QList<QLocalSocket *> clients;
    for (int i = 0; i < 100; ++i) {
        auto *client = new QLocalSocket(this);
        client->connectToServer(SingleInstance::serverName());
        QVERIFY(client->waitForConnected(1000));
        client->write(request(m_dir.filePath(QStringLiteral("missing%1.hpe").arg(i))));
        client->flush();
        clients << client;
        // Message boxes come up meanwhile; requests keep arriving under them.
        QCoreApplication::processEvents();
    }
    QTRY_COMPARE_WITH_TIMEOUT(m_dialogs->messages.size(), 100, 20000);
    QCOMPARE(m_dialogs->mostMessagesUpAtOnce, 1);
    // In the order they came, every one answered.
    QCOMPARE(m_dialogs->messages.first().text, "No existe " + m_dir.filePath("missing0.hpe"));
    QCOMPARE(m_dialogs->messages.last().text, "No existe " + m_dir.filePath("missing99.hpe"));
    for (QLocalSocket *client : clients) {
        if (client->bytesAvailable() == 0)
            client->waitForReadyRead(100);
        QCOMPARE(client->read(1), QByteArray("\1", 1));
    }
    qDeleteAll(clients);
}

void TestSingleInstance::a_request_too_long_for_a_file_name_is_refused_unread()
{
    QLocalSocket client;
    client.connectToServer(SingleInstance::serverName());
    QVERIFY(client.waitForConnected(1000));
    QByteArray huge(10 * 1024 * 1024, 'a');
    client.write(request(QString::fromLatin1(huge)));
    QTRY_VERIFY_WITH_TIMEOUT(client.state() == QLocalSocket::UnconnectedState, 10000);
    QCOMPARE(client.readAll(), QByteArray());
    QCOMPARE(m_window->Documents()->count(), 0);
    QVERIFY(m_dialogs->messages.isEmpty());
    QCOMPARE(startSecond({}), 0);
}

void TestSingleInstance::another_users_request_is_ignored()
{
    // The server is told to expect someone else, so this process is the
    // stranger: its request is dropped unanswered and not opened.
    InstanceServer server;
    QTemporaryDir folder;
    QVERIFY(server.listen(folder.filePath("s")));
    server.setExpectedUser(::geteuid() + 1);
    QSignalSpy received(&server, &InstanceServer::fileReceived);
    QLocalSocket client;
    client.connectToServer(server.fullServerName());
    QVERIFY(client.waitForConnected(1000));
    client.write(request(m_dir.filePath("x.hpe")));
    client.flush();
    QTRY_VERIFY(client.state() == QLocalSocket::UnconnectedState);
    QTest::qWait(50);
    QCOMPARE(received.count(), 0);
    QCOMPARE(client.readAll(), QByteArray());
}

QTEST_MAIN(TestSingleInstance)
#include "tst_singleinstance.moc"
