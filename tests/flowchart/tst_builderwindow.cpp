// The builder window as a user drives it: title and enabling rules, the
// discard check, files and the recent-file list, the placement, editing with
// undo, cut and paste, running with scripted answers, exporting the drawing,
// and a whole session from empty canvas to the nine lines in the document.
#include "FlowchartSketch.h"
#include "support/FakeEmulator.h"
#include "support/TestCommandHost.h"

#include "flowchart/BuilderDialogs.h"
#include "flowchart/DBuilder.h"
#include "flowchart/DiagramControl.h"
#include "flowchart/DiagramFile.h"
#include "flowchart/FlowchartCode.h"
#include "flowchart/FlowchartCommands.h"
#include "flowchart/RunWindow.h"
#include "formats/CalcCharset.h"
#include "shell/Globals.h"
#include "shell/Language.h"
#include "shell/ScriptedDialogs.h"
#include "shell/Settings.h"
#include "shell/SettingsStore.h"
#include "shell/TextIds.h"

#include <QClipboard>
#include <QStatusTipEvent>
#include <QMenuBar>
#include <QTimer>
#include <QDockWidget>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QTemporaryDir>
#include <QtTest>

namespace {

// Answers the builder's own modal windows: the instruction editor takes the
// next caption, the Read question the next answer ("" cancels).
struct Answers
{
    QStringList captions;
    QStringList inputs;
    QStringList prompts;

    TDBuilderForm::ModalRunner runner()
    {
        return [this](QDialog *dialog) {
            if (auto *edit = qobject_cast<TEditorForm *>(dialog)) {
                if (captions.isEmpty())
                    return int(QDialog::Rejected);
                edit->SetText(captions.takeFirst());
                return int(QDialog::Accepted);
            }
            if (auto *input = qobject_cast<TInputForm *>(dialog)) {
                prompts << input->Prompt();
                if (inputs.isEmpty())
                    return int(QDialog::Rejected);
                input->Edit()->setText(inputs.takeFirst());
                return int(QDialog::Accepted);
            }
            return int(QDialog::Rejected);
        };
    }
};

bool waitUntil(const std::function<bool()> &done, int ms = 10000)
{
    QElapsedTimer t;
    t.start();
    while (!done() && t.elapsed() < ms)
        QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
    return done();
}

QString title(const QString &file, bool modified)
{
    return "Constructor - [" + file + "]" + (modified ? "*" : "");
}

// Click on the canvas at a canvas point, as the user does.
void click(TDBuilderForm &b, const QPoint &p)
{
    QTest::mouseClick(b.Canvas(), Qt::LeftButton, {}, b.Canvas()->ToWidget(p));
}

void saveSketch(const QString &path, const QString &sketch)
{
    TDiagram d;
    QVERIFY(buildSketch(d, sketch));
    QVERIFY(DiagramFile::Save(path, d));
}

} // namespace

class TestBuilderWindow : public QObject
{
    Q_OBJECT

    std::unique_ptr<QTemporaryDir> m_dir;
    std::unique_ptr<ScriptedDialogs> m_dialogs;

private slots:
    void initTestCase()
    {
        LanguageFilePath = QStringLiteral(QV_SOURCE_DATA_DIR "/Languages/Spanish(1).lng");
        InstallBuiltInMessagesAndLabels();
    }
    void init()
    {
        m_dir = std::make_unique<QTemporaryDir>();
        m_dialogs = std::make_unique<ScriptedDialogs>();
        QFile::remove(SettingsStore::userStorePath());
    }
    void cleanup()
    {
        m_dialogs.reset();
        m_dir.reset();
    }

    // Shown modally as the main window shows it: the menus, the canvas and
    // the run window are there to see.
    void showsItsPartsWhenShownModally()
    {
        TDBuilderForm b;
        bool visible = false;
        QTimer::singleShot(0, &b, [&] {
            visible = b.Canvas()->isVisible() && b.RunView()->isVisible() && b.ModifiedPanel()->isVisible()
                      && b.findChild<QMenuBar *>()->isVisible();
            b.done(0);
        });
        b.exec();
        QVERIFY(visible);
    }

    void titleAndEnablingFollowTheDrawing()
    {
        TDBuilderForm b;
        QCOMPARE(b.windowTitle(), title(Label(LblUntitledFlowchart), false));
        QVERIFY(!b.Action("FileSave")->isEnabled());
        QVERIFY(!b.Action("EditChange")->isEnabled());
        QVERIFY(!b.Action("DiagramConnect")->isEnabled());
        QVERIFY(b.Action("RunRun")->isEnabled());
        QVERIFY(!b.Action("RunStop")->isEnabled());
        QCOMPARE(b.ModifiedPanel()->text(), QString());

        b.Action("DiagramShape3")->trigger();
        QVERIFY(b.Action("DiagramShape3")->isChecked());
        b.Action("DiagramShape4")->trigger();
        QVERIFY(!b.Action("DiagramShape3")->isChecked());
        QVERIFY(b.Action("DiagramShape4")->isChecked());
        click(b, QPoint(40, 40));
        QVERIFY(!b.Action("DiagramShape4")->isChecked());
        QCOMPARE(b.windowTitle(), title(Label(LblUntitledFlowchart), true));
        QCOMPARE(b.ModifiedPanel()->text(), Label(LblModified));
        QVERIFY(b.Action("FileSave")->isEnabled());
        QVERIFY(!b.Action("DiagramConnect")->isEnabled());
        b.Action("DiagramShape1")->trigger();
        click(b, QPoint(200, 40));
        QVERIFY(b.Action("DiagramConnect")->isEnabled());
        click(b, QPoint(210, 50)); // selects the Start
        QVERIFY(b.Action("EditChange")->isEnabled());
        QVERIFY(b.Action("EditDelete")->isEnabled());
        // Esc ends a pending kind and connect mode.
        b.Action("DiagramShape2")->trigger();
        b.Action("DiagramConnect")->trigger();
        QVERIFY(b.Action("DiagramConnect")->isChecked());
        QTest::keyClick(&b, Qt::Key_Escape);
        QVERIFY(!b.Action("DiagramShape2")->isChecked());
        QVERIFY(!b.Action("DiagramConnect")->isChecked());
        QVERIFY(b.isVisible() || !b.result());
        // The long hint of the command under the mouse goes to panel 1.
        QStatusTipEvent tip(LongHint(b.Action("RunRun")->toolTip() + "|" + b.Action("RunRun")->statusTip()));
        QApplication::sendEvent(b.findChild<QMenuBar *>(), &tip);
        QCOMPARE(b.HintPanel()->text(), " " + b.Action("RunRun")->statusTip());
        QCOMPARE(b.Action("RunRun")->statusTip(), "Ejecuta las instrucciones del diagrama");
    }

    void savingANewDrawingAsksForAName()
    {
        TDBuilderForm b;
        b.Canvas()->PlaceShape(ShapeKind::Start, "S", "INICIO", 16, 8);
        b.Canvas()->SetModified(true);
        // Cancelled: unsaved and still modified.
        m_dialogs->cancelFile();
        QVERIFY(!b.FileSaveExecute());
        QCOMPARE(m_dialogs->saveRequests.size(), 1);
        QCOMPARE(m_dialogs->saveRequests[0].title, Label(LblSaveAsTitle));
        QVERIFY(b.Modified());
        const QString path = m_dir->filePath("one.adb");
        m_dialogs->chooseFile(path);
        QVERIFY(b.FileSaveExecute());
        QVERIFY(!b.Modified());
        QCOMPARE(b.windowTitle(), title(path, false));
        // A named drawing saves without asking.
        b.Canvas()->SetModified(true);
        QVERIFY(b.FileSaveExecute());
        QCOMPARE(m_dialogs->saveRequests.size(), 2);
        TDiagram read;
        QCOMPARE(DiagramFile::Load(path, read), DiagramFile::ReadStatus::Ok);
        QCOMPARE(read.ShapeCount(), 1);
        QVERIFY(b.RecentFiles().isEmpty()); // saving does not add to the list
    }

    void theDiscardCheck_data()
    {
        QTest::addColumn<QList<int>>("answers"); // Message32, then the Save As dialog
        QTest::addColumn<bool>("saveAsChosen");
        QTest::addColumn<bool>("cleared");
        QTest::addColumn<int>("saveRequests");
        QTest::newRow("No: cleared without saving") << QList<int>{QMessageBox::No} << false << true << 0;
        QTest::newRow("Cancel: kept") << QList<int>{QMessageBox::Cancel} << false << false << 0;
        QTest::newRow("Yes and a name: saved, then cleared") << QList<int>{QMessageBox::Yes} << true << true << 1;
        // Clearing after a save that did not happen would lose the drawing.
        QTest::newRow("Yes, then the Save As dialog cancelled: kept")
            << QList<int>{QMessageBox::Yes} << false << false << 1;
    }
    void theDiscardCheck()
    {
        QFETCH(QList<int>, answers);
        QFETCH(bool, saveAsChosen);
        QFETCH(bool, cleared);
        QFETCH(int, saveRequests);
        TDBuilderForm b;
        b.Canvas()->PlaceShape(ShapeKind::Start, "S", "INICIO", 16, 8);
        b.Canvas()->SetModified(true);
        for (int a : answers)
            m_dialogs->answers << QMessageBox::StandardButton(a);
        if (saveAsChosen)
            m_dialogs->chooseFile(m_dir->filePath("kept.adb"));
        else
            m_dialogs->cancelFile();
        QCOMPARE(b.FileNewExecute(), cleared);
        QCOMPARE(m_dialogs->messages[0].text, Message(MsgFlowchartUnsaved));
        QCOMPARE(b.Diagram().ShapeCount(), cleared ? 0 : 1);
        QCOMPARE(b.Modified(), !cleared);
        QCOMPARE(m_dialogs->saveRequests.size(), saveRequests);
        if (cleared)
            QCOMPARE(b.windowTitle(), title(Label(LblUntitledFlowchart), false));
    }

    void cancelAtTheSaveQuestionShowsNoOpenDialog()
    {
        TDBuilderForm b;
        b.Canvas()->PlaceShape(ShapeKind::Start, "S", "INICIO", 16, 8);
        b.Canvas()->SetModified(true);
        m_dialogs->answers << QMessageBox::Cancel;
        b.FileOpenExecute();
        QVERIFY(m_dialogs->openRequests.isEmpty());
        QCOMPARE(b.Diagram().ShapeCount(), 1);
    }

    void openingRefusesWhatIsNotAFlowchart()
    {
        const QString path = m_dir->filePath("other.adb");
        QFile f(path);
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.write(QByteArray("\x06\x0C") + "NOT_A_CHART_");
        f.close();
        TDBuilderForm b;
        m_dialogs->chooseFile(path);
        b.FileOpenExecute();
        QCOMPARE(m_dialogs->openRequests.size(), 1);
        QCOMPARE(m_dialogs->openRequests[0].title, Label(LblOpenTitle));
        QCOMPARE(m_dialogs->messages.size(), 2);
        QCOMPARE(m_dialogs->messages[0].text, Message(MsgNotAFlowchart));
        QCOMPARE(m_dialogs->messages[1].text, Message(MsgFlowchartOpenFailed));
        QCOMPARE(b.FileName(), Label(LblUntitledFlowchart));
    }

    void theRecentFilesKeepFour()
    {
        QStringList paths;
        for (int i = 1; i <= 5; ++i) {
            paths << m_dir->filePath(QString("chart%1.adb").arg(i));
            saveSketch(paths.last(), "s start [I] -> e; e stop [F]");
        }
        {
            TDBuilderForm b;
            for (const QString &p : paths) {
                m_dialogs->chooseFile(p);
                b.FileOpenExecute();
                QCOMPARE(b.FileName(), p);
            }
            QCOMPARE(b.RecentFiles(), (QStringList{paths[4], paths[3], paths[2], paths[1]}));
            // Choosing an entry opens it without a dialog.
            const int before = m_dialogs->openRequests.size();
            for (QAction *a : b.RecentMenu()->actions())
                if (a->property("recentFile").toString() == paths[2])
                    a->trigger();
            QCOMPARE(m_dialogs->openRequests.size(), before);
            QCOMPARE(b.FileName(), paths[2]);
            QCOMPARE(b.RecentFiles().first(), paths[2]);
            // A listed file that has gone: Message34.
            QFile::remove(paths[1]);
            b.OpenRecent(paths[1]);
            QCOMPARE(m_dialogs->messages.last().text, Message(MsgFlowchartMissing));
        }
        SettingsStore store;
        QCOMPARE(store.readText("Builder", "MRU1", ""), paths[2]);
        QCOMPARE(store.readText("Builder", "MRU4", ""), paths[1]);
        QVERIFY(!store.hasValue("Builder", "MRU5"));
        TDBuilderForm again;
        QCOMPARE(again.RecentFiles().size(), 4);
        QCOMPARE(again.RecentFiles().first(), paths[2]);
    }

    void theWindowReopensWhereItWas()
    {
        {
            TDBuilderForm b;
            b.setGeometry(120, 90, 640, 470);
        }
        SettingsStore store;
        QCOMPARE(store.readInt("Builder", "WindowWidth", 0), 640);
        QCOMPARE(store.readInt("Builder", "WindowHeight", 0), 470);
        QCOMPARE(store.readInt("Builder", "WindowState", -1), 0);
        TDBuilderForm again;
        QCOMPARE(again.geometry().size(), QSize(640, 470));
        QCOMPARE(again.pos(), QPoint(120, 90) - (again.geometry().topLeft() - again.pos()));
    }

    void editingPastingAndUndo()
    {
        Answers answers;
        TDBuilderForm b;
        b.SetModalRunner(answers.runner());
        TShapeCustomControl *a = b.Canvas()->PlaceShape(ShapeKind::Action, "A", "x = 1", 40, 48);
        click(b, a->Bounds().center());
        answers.captions << "x = 2";
        b.Action("EditChange")->trigger();
        QCOMPARE(a->Caption(), "x = 2");
        b.Action("EditUndo")->trigger();
        QCOMPARE(b.Diagram().FindShape("A")->Caption(), "x = 1");
        b.Action("EditRedo")->trigger();
        QCOMPARE(b.Diagram().FindShape("A")->Caption(), "x = 2");

        // A junction has no instruction to edit.
        TShapeCustomControl *j = b.Canvas()->PlaceShape(ShapeKind::Trans, "J", "", 200, 200);
        answers.captions << "never";
        emit b.Canvas()->editRequested(j);
        QCOMPARE(answers.captions.size(), 1);
        answers.captions.clear();

        a = b.Diagram().FindShape("A");
        b.Diagram().DeselectAll();
        a->SetSelected(true);
        b.Action("EditCopy")->trigger();
        QVERIFY(b.Action("EditPaste")->isEnabled());
        b.Canvas()->SetModified(false);
        b.Action("EditPaste")->trigger();
        QVERIFY(b.Modified()); // closing now asks before the block is lost
        QCOMPARE(b.Diagram().ShapeCount(), 3);
        TShapeCustomControl *pasted = b.Diagram().Shapes().back();
        QVERIFY(pasted->Name.startsWith("TShapeNode"));
        QCOMPARE(pasted->Bounds().topLeft(), a->Bounds().topLeft() + QPoint(8, 8));
        QCOMPARE(pasted->Caption(), "x = 2");
        QCOMPARE(b.Diagram().SelectedShapes(), QList<TShapeCustomControl *>{pasted});
        // Cut takes it away, undo brings it back.
        b.Action("EditCut")->trigger();
        QCOMPARE(b.Diagram().ShapeCount(), 2);
        b.Action("EditUndo")->trigger();
        QCOMPARE(b.Diagram().ShapeCount(), 3);
        b.Action("EditDelete")->trigger();
        QCOMPARE(b.Diagram().ShapeCount(), 2);
    }

    void runsWithScriptedAnswers()
    {
        Answers answers;
        TDBuilderForm b;
        b.SetModalRunner(answers.runner());
        const QString path = m_dir->filePath("sum.adb");
        saveSketch(path, "s start [INICIO] -> r; r read [a,b] -> c; c cond [a+b>3] -> t, f;"
                         "t write [\"big\"] -> j; f write [\"small\"] -> j; j trans -> w; w write [a] -> e;"
                         "e stop [FIN]");
        QVERIFY(b.OpenFile(path, MsgFlowchartOpenFailed));
        b.Diagram().SetStepDelay(0);
        answers.inputs << "2" << "5";
        b.Action("RunRun")->trigger();
        QVERIFY(!b.Action("RunRun")->isEnabled());
        QVERIFY(!b.Action("DiagramShape1")->isEnabled());
        QVERIFY(!b.Canvas()->isEnabled());
        QVERIFY(waitUntil([&] { return !b.Run().Running(); }));
        QCOMPARE(answers.prompts.size(), 2);
        QVERIFY(answers.prompts[0].contains("<B>a</B>"));
        QCOMPARE(b.RunView()->toPlainText(),
                 QString("INICIO\n 2 >> a\n 5 >> b\n 'a+b>3' >> %1\n >> \"big\"\n a = 2\nFIN").arg(Label(LblTrue)));
        QVERIFY(b.Canvas()->isEnabled());
        QVERIFY(b.Action("RunRun")->isEnabled());
        QVERIFY(b.Action("RunStep")->isEnabled());

        // Stepping: the first step only makes Start active.
        b.Action("RunStep")->trigger();
        QCOMPARE(b.Diagram().State(), b.Diagram().FindShape("s"));
        QVERIFY(b.RunView()->toPlainText().isEmpty());
        QVERIFY(b.Action("RunStop")->isEnabled());
        b.Action("RunStep")->trigger();
        QVERIFY(waitUntil([&] { return b.Diagram().State() == b.Diagram().FindShape("r"); }));
        QCOMPARE(b.RunView()->toPlainText(), "INICIO");
        // Closing while running asks first; No keeps the window.
        m_dialogs->answers << QMessageBox::No;
        b.show();
        b.Action("FileExit")->trigger();
        QCOMPARE(m_dialogs->messages.last().text, Message(MsgFlowchartRunning));
        QVERIFY(b.isVisible());
        b.Action("RunStop")->trigger();
        QVERIFY(!b.Run().Running());
        QCOMPARE(b.Diagram().State(), nullptr);
    }

    void theRunWindowColours_data()
    {
        QTest::addColumn<QString>("line");
        QTest::addColumn<int>("at");
        QTest::addColumn<QColor>("colour");
        QTest::newRow("a number") << " 2.5 >> a" << 1 << RunWindowHighlighter::Number;
        QTest::newRow("a symbol") << " 2.5 >> a" << 5 << RunWindowHighlighter::Symbol;
        QTest::newRow("a keyword") << " 'x>3' >> VERDADERO" << 12 << RunWindowHighlighter::Keyword;
        QTest::newRow("a quoted text") << " 'x>3' >> VERDADERO" << 2 << RunWindowHighlighter::String;
        QTest::newRow("an error in braces") << "{Error: x}" << 3 << RunWindowHighlighter::Comment;
        QTest::newRow("INICIO") << "INICIO" << 0 << RunWindowHighlighter::Keyword;
    }
    void theRunWindowColours()
    {
        QFETCH(QString, line);
        QFETCH(int, at);
        QFETCH(QColor, colour);
        RunWindowView view;
        view.AddLine(line);
        const QTextBlock block = view.document()->firstBlock();
        QColor found;
        for (const QTextLayout::FormatRange &r : block.layout()->formats())
            if (at >= r.start && at < r.start + r.length)
                found = r.format.foreground().color();
        QCOMPARE(found, colour);
    }

    void exportsTheDrawing()
    {
        TDBuilderForm b;
        b.Canvas()->PlaceShape(ShapeKind::Start, "S", "INICIO", 16, 8);
        b.Canvas()->PlaceShape(ShapeKind::Stop, "E", "FIN", 16, 300);
        const QString png = m_dir->filePath("chart.png"), svg = m_dir->filePath("chart.svg");
        m_dialogs->chooseFile(png, 1);
        b.FileExportExecute();
        QImage image(png);
        QVERIFY(!image.isNull());
        QCOMPARE(image.height(), 300 + 33 + 16);
        QCOMPARE(image.pixelColor(16 + 30, 8 + 16), QColor(Qt::white));
        m_dialogs->chooseFile(svg, 2);
        b.FileExportExecute();
        QFile f(svg);
        QVERIFY(f.open(QIODevice::ReadOnly));
        const QByteArray text = f.readAll();
        QVERIFY(text.contains("<svg"));
        QVERIFY(text.contains("INICIO"));
        // A folder that does not exist: said so, nothing written.
        m_dialogs->chooseFile(m_dir->filePath("missing/chart.png"), 1);
        b.FileExportExecute();
        QVERIFY(m_dialogs->messages.last().text.contains("missing/chart.png"));
    }

    void insertCodeThatFailsKeepsTheWindow()
    {
        TDBuilderForm b;
        b.Canvas()->PlaceShape(ShapeKind::Start, "S", "INICIO", 16, 8);
        b.Canvas()->PlaceShape(ShapeKind::Stop, "E", "FIN", 16, 300);
        b.show();
        b.Action("FileInsert")->trigger();
        QCOMPARE(m_dialogs->messages.last().text, Message(MsgCodeNotGenerated));
        QVERIFY(b.isVisible());
        QVERIFY(b.Result().isEmpty());
    }

    void runInCalculatorSendsTheProgram()
    {
        QDir(m_dir->path()).mkpath("EMU");
        SetAppFolder(m_dir->path() + '/');
        Settings().environment.Emu49RamFilename = "default 50G.e49";
        Settings().environment.DefaultEmulator = false;
        FakeEmulator fake;
        TDBuilderForm b;
        const QString path = m_dir->filePath("five.adb");
        saveSketch(path, "s start [I] -> a; a action [x = 5] -> w; w write [x] -> e; e stop [F]");
        QVERIFY(b.OpenFile(path, MsgFlowchartOpenFailed));
        b.Action("RunCalculator")->trigger();
        QByteArray program = GenerateUserRPL(b.Diagram(), '.').bytes;
        program.replace("\r", "").chop(2); // "|" and the last line end go
        QCOMPARE(fake.lines("run"), QStringList{"run " + QString::fromLatin1(program)});
        // A flowchart the walk refuses sends nothing.
        fake.clearLog();
        b.Diagram().RemoveShape(b.Diagram().FindShape("w"));
        b.Action("RunCalculator")->trigger();
        QCOMPARE(m_dialogs->messages.last().text, Message(MsgCodeNotGenerated));
        QVERIFY(fake.lines("run").isEmpty());
    }

    // From an empty canvas to the program in the document, with the mouse.
    void aWholeSession()
    {
        TestCommandHost host;
        host.Documents()->NewDocument();
        FlowchartCommands commands(host);
        Answers answers;
        bool ran = false;
        commands.setBuilderRunner([&](TDBuilderForm &b) {
            b.SetModalRunner(answers.runner());
            b.Diagram().SetStepDelay(0);
            b.show();
            // Start, Read, Action, Write, End, one under another.
            const int kinds[] = {1, 2, 3, 7, 8};
            QList<QPoint> at;
            for (int i = 0; i < 5; ++i) {
                b.Action(QString("DiagramShape%1").arg(kinds[i]))->trigger();
                at << QPoint(40, 40 + i * 80);
                click(b, at.last());
            }
            QCOMPARE(b.Diagram().ShapeCount(), 5);
            const QStringList captions = {"INICIO", "a,b", "s = a+b", "s", "FIN"};
            for (int i = 0; i < 5; ++i) {
                answers.captions << captions[i];
                QTest::mouseDClick(b.Canvas(), Qt::LeftButton, {}, b.Canvas()->ToWidget(at[i] + QPoint(10, 10)));
            }
            for (int i = 0; i < 4; ++i) {
                b.Action("DiagramConnect")->trigger();
                click(b, at[i] + QPoint(10, 10));
                click(b, at[i + 1] + QPoint(10, 10));
            }
            answers.inputs << "3" << "4";
            b.Action("RunRun")->trigger();
            ran = waitUntil([&] { return !b.Run().Running(); });
            QVERIFY(b.RunView()->toPlainText().contains(" s << 7"));
            QVERIFY(b.RunView()->toPlainText().contains(" s = 7"));
            m_dialogs->answers << QMessageBox::No; // do not save the drawing
            b.Action("FileInsert")->trigger();
            QVERIFY(!b.isVisible());
        });
        host.trigger("ToolsProgram");
        QVERIFY(ran);
        QCOMPARE(host.snippets.size(), 1);
        const QString text = CalcCharset::decode(host.ActiveEditor()->textWithCrLf());
        QCOMPARE(text, QString("«\r\n\"a\" \"\" INPUT OBJ→\r\n\"b\" \"\" INPUT OBJ→\r\n→ a b\r\n «\r\n"
                               "  'a+b' →NUM 's' STO\r\n  s \"s\" →TAG\r\n »\r\n»\r\n"));
    }
};

QTEST_MAIN(TestBuilderWindow)
#include "tst_builderwindow.moc"
