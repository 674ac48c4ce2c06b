// The picture editor's window: drawing with the mouse on the grid, the
// status panels, sizes and zoom, the files with their questions and
// refusals, import and export, and the wiring of ToolsPicture.

#include "generators/DlgGrob.h"
#include "generators/DlgImageImport.h"
#include "generators/GeneratorCommands.h"
#include "shell/Globals.h"
#include "shell/Language.h"
#include "shell/ScriptedDialogs.h"
#include "shell/Settings.h"
#include "support/TestCommandHost.h"

#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QSlider>
#include <QSpinBox>
#include <QStatusTipEvent>
#include <QTemporaryDir>
#include <QtTest>

namespace {

const QString Corpus = QStringLiteral(QV_TEST_DATA_DIR "/fuzz-corpus/grb/");

void mouse(TGrobCanvas *canvas, QEvent::Type type, QPoint cell, Qt::MouseButton button = Qt::LeftButton)
{
    const QPointF at = canvas->cellRect(cell).center();
    const Qt::MouseButtons held = type == QEvent::MouseButtonRelease ? Qt::NoButton : Qt::MouseButtons(button);
    QMouseEvent event(type, at, canvas->mapToGlobal(at), type == QEvent::MouseMove ? Qt::NoButton : button, held,
                      Qt::NoModifier);
    QApplication::sendEvent(canvas, &event);
}

void drag(TGrobCanvas *canvas, QPoint from, QPoint to)
{
    mouse(canvas, QEvent::MouseButtonPress, from);
    mouse(canvas, QEvent::MouseMove, to);
    mouse(canvas, QEvent::MouseButtonRelease, to);
}

int darkCount(const TGrob &g)
{
    int n = 0;
    for (int y = 0; y < g.Height; ++y)
        for (int x = 0; x < g.Width; ++x)
            n += g.pixel(x, y);
    return n;
}

} // namespace

class TestGrobDialog : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase()
    {
        InstallBuiltInMessagesAndLabels();
        LanguageFilePath = QStringLiteral(QV_SOURCE_DATA_DIR "/Languages/Spanish(1).lng");
    }

    void aNewEditor()
    {
        TGrobDialog d;
        QCOMPARE(d.WidthBox()->value(), 131);
        QCOMPARE(d.HeightBox()->value(), 80);
        QCOMPARE(d.ZoomBox()->currentText(), QString("400 %"));
        QCOMPARE(d.Grob()->CellSize(), 4);
        QVERIFY(d.Grob()->GridLines());
        QCOMPARE(d.Grob()->size(), QSize(131 * 5 + 1, 80 * 5 + 1));
        QVERIFY(d.Editor()->isUntitled());
        QVERIFY(d.Result.bytes.isEmpty());
    }

    void drawingWithTheMouse()
    {
        TGrobDialog d;
        TGrobCanvas *canvas = d.Grob();
        mouse(canvas, QEvent::MouseButtonPress, QPoint(2, 3));
        mouse(canvas, QEvent::MouseMove, QPoint(3, 3));
        mouse(canvas, QEvent::MouseMove, QPoint(4, 3));
        QCOMPARE(d.PositionText(), QString("X: 4   Y: 3"));
        mouse(canvas, QEvent::MouseButtonRelease, QPoint(4, 3));
        QCOMPARE(darkCount(d.Editor()->picture()), 3);
        QVERIFY(d.windowTitle().endsWith(" *"));

        d.Command("GrobRect")->trigger();
        QVERIFY(d.Command("GrobRect")->isChecked());
        drag(canvas, QPoint(10, 10), QPoint(12, 12));
        QVERIFY(!d.Command("GrobRect")->isChecked());
        QCOMPARE(darkCount(d.Editor()->picture()), 3 + 8);

        d.Command("GrobUndo")->trigger();
        QCOMPARE(darkCount(d.Editor()->picture()), 3);
        QVERIFY(d.Command("GrobRedo")->isEnabled());
    }

    void theKeyboardDraws()
    {
        TGrobDialog d;
        d.show();
        QVERIFY(QTest::qWaitForWindowExposed(&d));
        d.Grob()->setFocus();
        QTest::keyClick(d.Grob(), Qt::Key_Right);
        QTest::keyClick(d.Grob(), Qt::Key_Down);
        QTest::keyClick(d.Grob(), Qt::Key_Space);
        QVERIFY(d.Editor()->picture().pixel(1, 1));
        d.Command("GrobLine")->trigger();
        QTest::keyClick(d.Grob(), Qt::Key_Escape);
        QVERIFY(!d.Editor()->shapeMode());
        QVERIFY(d.isVisible()); // Esc left the tool, not the window
        d.Editor()->undoStack()->undo();
        d.Command("GrobCancel")->trigger();
        QVERIFY(!d.isVisible());
    }

    void sizesAndZoom()
    {
        TGrobDialog d;
        d.WidthBox()->setValue(16);
        QCOMPARE(d.Editor()->width(), 16);
        d.HeightBox()->setValue(1000);
        QCOMPARE(d.Editor()->height(), 1000);
        d.ZoomBox()->setCurrentIndex(5);
        QCOMPARE(d.Grob()->CellSize(), 32);
        d.Command("GrobGrid")->trigger();
        QVERIFY(!d.Grob()->GridLines());
        QCOMPARE(d.Grob()->size(), QSize(16 * 32, 1000 * 32));
        d.Command("GrobUndo")->trigger();
        QCOMPARE(d.WidthBox()->value(), 131); // the boxes follow the picture
        QCOMPARE(d.HeightBox()->value(), 80);
    }

    void insertingTheText()
    {
        TGrobDialog d;
        d.WidthBox()->setValue(1);
        d.HeightBox()->setValue(1);
        mouse(d.Grob(), QEvent::MouseButtonPress, QPoint(0, 0));
        mouse(d.Grob(), QEvent::MouseButtonRelease, QPoint(0, 0));
        ScriptedDialogs dialogs;
        dialogs.answers << QMessageBox::No;
        d.Command("GrobInsert")->trigger();
        QCOMPARE(d.Result.withCaretMarker(), QByteArray("GROB 1 1 10\r\n|"));
        QCOMPARE(d.result(), int(QDialog::Accepted));
        QCOMPARE(dialogs.messages.size(), 1);
        QCOMPARE(dialogs.messages[0].text, QString("El gráfico \"Sin nombre\" tiene cambios sin guardar. ¿Desea guardarlos?"));
        QCOMPARE(dialogs.messages[0].icon, QMessageBox::Warning);
    }

    void cancellingTheQuestionKeepsTheWindowAndTheText()
    {
        TGrobDialog d;
        d.show();
        d.Editor()->toggle(QPoint(0, 0));
        ScriptedDialogs dialogs;
        dialogs.answers << QMessageBox::Cancel;
        d.Command("GrobInsert")->trigger();
        QVERIFY(d.isVisible());
        QVERIFY(d.Result.bytes.startsWith("GROB 131 80 1"));
        dialogs.answers << QMessageBox::No;
        d.Command("GrobCancel")->trigger();
        QVERIFY(!d.isVisible());
        QCOMPARE(d.result(), int(QDialog::Accepted)); // the picture inserted still goes in
    }

    void savingAnUntitledPictureAsksForAName()
    {
        QTemporaryDir dir;
        TGrobDialog d;
        d.Editor()->toggle(QPoint(5, 5));
        ScriptedDialogs dialogs;
        dialogs.chooseFile(dir.filePath("one.grb"));
        QVERIFY(d.GrobSaveExecute());
        QCOMPARE(dialogs.saveRequests.size(), 1);
        QCOMPARE(dialogs.saveRequests[0].fileName, QString("Sin nombre"));
        QCOMPARE(dialogs.saveRequests[0].title, Label(LblSaveAsTitle));
        QCOMPARE(dialogs.saveRequests[0].filter, Label(LblFilterPictures));
        QVERIFY(!d.Editor()->isModified());
        QCOMPARE(d.Editor()->fileName(), dir.filePath("one.grb"));
        // Saved again, under its name, without a question.
        d.Editor()->toggle(QPoint(6, 5));
        QVERIFY(d.GrobSaveExecute());
        QCOMPARE(dialogs.saveRequests.size(), 1);
        TGrob back;
        QCOMPARE(GrobModel::readPicture(dir.filePath("one.grb"), back), GrobModel::ReadStatus::Ok);
        QCOMPARE(darkCount(back), 2);
    }

    void yesSavesFirstAndAFailedSaveStops()
    {
        TGrobDialog d;
        d.Editor()->toggle(QPoint(5, 5));
        ScriptedDialogs dialogs;
        dialogs.answers << QMessageBox::Yes;
        dialogs.cancelFile();
        QVERIFY(!d.MayDiscardChanges()); // the name was not given: nothing is lost
        dialogs.answers << QMessageBox::Yes;
        dialogs.chooseFile("/nonexistent/folder/p.grb");
        QVERIFY(!d.MayDiscardChanges());
        QCOMPARE(dialogs.messages.last().icon, QMessageBox::Critical);
        QVERIFY(d.Editor()->isModified());
    }

    void opening_data()
    {
        QTest::addColumn<QString>("file");
        QTest::addColumn<int>("width"); // 0: refused with Message6
        QTest::newRow("a picture") << "screen-131x80.grb" << 131;
        QTest::newRow("a string object") << "string-object.grb" << 0;
        QTest::newRow("a picture over 1000 pixels wide") << "width-1001.grb" << 0;
        QTest::newRow("a short file") << "rows-cut-short.grb" << 0;
    }
    void opening()
    {
        QFETCH(QString, file);
        QFETCH(int, width);
        TGrobDialog d;
        d.WidthBox()->setValue(7);
        d.Editor()->toggle(QPoint(1, 1));
        ScriptedDialogs dialogs;
        dialogs.chooseFile(Corpus + file);
        dialogs.answers << QMessageBox::No; // the unsaved-changes question
        d.GrobOpenExecute();
        QCOMPARE(dialogs.openRequests[0].title, Label(LblOpenTitle));
        if (width == 0) {
            QCOMPARE(dialogs.messages.size(), 1);
            QCOMPARE(dialogs.messages[0].text, Message(MsgNotAPicture));
            QCOMPARE(dialogs.messages[0].icon, QMessageBox::Critical);
            QCOMPARE(d.Editor()->width(), 7);
            QVERIFY(d.Editor()->picture().pixel(1, 1));
            return;
        }
        QCOMPARE(dialogs.messages.size(), 1); // the question, asked after the file was read
        QCOMPARE(d.Editor()->width(), width);
        QCOMPARE(d.WidthBox()->value(), width);
        QCOMPARE(d.Editor()->fileName(), Corpus + file);
        QVERIFY(!d.Editor()->isModified());
    }

    void cancellingTheQuestionKeepsThePictureOnOpen()
    {
        TGrobDialog d;
        d.Editor()->toggle(QPoint(1, 1));
        ScriptedDialogs dialogs;
        dialogs.chooseFile(Corpus + "one-pixel-set.grb");
        dialogs.answers << QMessageBox::Cancel;
        d.GrobOpenExecute();
        QCOMPARE(d.Editor()->width(), 131);
        QVERIFY(d.Editor()->isUntitled());
    }

    void importingAnImage()
    {
        QTemporaryDir dir;
        QImage image(20, 10, QImage::Format_RGB32);
        image.fill(Qt::white);
        for (int y = 0; y < 10; ++y)
            image.setPixel(3, y, qRgb(0, 0, 0));
        QVERIFY(image.save(dir.filePath("bar.png")));
        TGrobDialog d;
        ScriptedDialogs dialogs;
        dialogs.chooseFile(dir.filePath("bar.png"));
        d.setModalRunner([](QDialog *dialog) {
            auto *import = qobject_cast<TImageImportDialog *>(dialog);
            // Fitted into the picture's size, which it already fits.
            if (import->WidthBox()->value() != 20 || import->HeightBox()->value() != 10)
                return int(QDialog::Rejected);
            import->WidthBox()->setValue(40); // the height follows
            return int(QDialog::Accepted);
        });
        d.GrobImportExecute();
        QCOMPARE(d.Editor()->width(), 40);
        QCOMPARE(d.Editor()->height(), 20);
        QCOMPARE(darkCount(d.Editor()->picture()), 2 * 20);
        QCOMPARE(d.WidthBox()->value(), 40);
        d.Command("GrobUndo")->trigger();
        QCOMPARE(d.Editor()->width(), 131);
    }

    void imagesThatCannotBeImported()
    {
        TGrobDialog d;
        ScriptedDialogs dialogs;
        dialogs.chooseFile(QStringLiteral(QV_TEST_DATA_DIR "/images/claims-20000x20000.png"));
        d.setModalRunner([](QDialog *) { return int(QDialog::Accepted); });
        d.GrobImportExecute();
        QCOMPARE(dialogs.messages.size(), 1);
        QVERIFY(dialogs.messages[0].text.contains("20000 x 20000"));
        dialogs.chooseFile(Corpus + "one-pixel-set.grb");
        d.GrobImportExecute();
        QCOMPARE(dialogs.messages.size(), 2);
        QCOMPARE(d.Editor()->width(), 131);
        QVERIFY(!d.Editor()->isModified());
    }

    void exportingAPng()
    {
        QTemporaryDir dir;
        TGrobDialog d;
        d.Editor()->toggle(QPoint(130, 79));
        ScriptedDialogs dialogs;
        dialogs.chooseFile(dir.filePath("p.png"));
        d.GrobExportExecute();
        const QImage back(dir.filePath("p.png"));
        QCOMPARE(back.size(), QSize(131, 80));
        QCOMPARE(back.pixelColor(130, 79), QColor(Qt::black));
        QVERIFY(d.Editor()->isModified()); // a PNG is no save of the picture
    }

    void hintsShowInTheSecondPanel()
    {
        TGrobDialog d;
        QStatusTipEvent tip(d.Command("GrobCircle")->statusTip());
        QApplication::sendEvent(&d, &tip);
        QCOMPARE(d.HintText(), QString(" Dibuja un círculo a partir de su centro y un punto del borde"));
    }

    void textsComeFromTheLanguageFile()
    {
        LanguageFilePath = QStringLiteral(QV_SOURCE_DATA_DIR "/Languages/English.lng");
        TGrobDialog d;
        LanguageFilePath = QStringLiteral(QV_SOURCE_DATA_DIR "/Languages/Spanish(1).lng");
        QVERIFY(d.windowTitle().startsWith("Graphics Editor"));
        QCOMPARE(d.Command("GrobImport")->text(), QString("Import image"));
        QCOMPARE(d.WidthBox()->toolTip(), QString("Graphic width"));
    }

    void theToolsCommandInsertsThePicture()
    {
        TestCommandHost host;
        host.Documents()->NewDocument();
        GeneratorCommands commands(host);
        commands.setModalRunner([](QDialog *dialog) {
            auto *d = qobject_cast<TGrobDialog *>(dialog);
            d->WidthBox()->setValue(1);
            d->HeightBox()->setValue(1);
            d->Command("GrobInsert")->trigger(); // resized, so the question comes
            return d->result();
        });
        ScriptedDialogs dialogs;
        dialogs.answers << QMessageBox::No;
        host.trigger("ToolsPicture");
        QCOMPARE(host.snippets, QList<QByteArray>({"GROB 1 1 00\r\n|"}));
    }
};

QTEST_MAIN(TestGrobDialog)
#include "tst_grobdialog.moc"
