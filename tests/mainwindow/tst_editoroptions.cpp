#include "documents/DocumentEditor.h"
#include "documents/DocumentPanel.h"
#include "highlight/ColorButton.h"
#include "highlight/DlgEditor.h"
#include "highlight/QuorvaneLexer.h"
#include "highlight/SynHighlighterQuorvane.h"
#include "shell/Globals.h"
#include "shell/ScriptedDialogs.h"
#include "shell/Settings.h"
#include "shell/SettingsStore.h"
#include "mainwindow/MainProgram.h"

#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QFile>
#include <QListWidget>
#include <QMimeData>
#include <QPushButton>
#include <QSpinBox>
#include <QTableWidget>
#include <QTemporaryDir>
#include <QTimer>
#include <QTreeWidget>
#include <QUrl>
#include <QtTest>

using Sci = QsciScintillaBase;

// The editor options reach every open editor, and editors opened later,
// through the main window; the highlighter's colours live across runs.
class TestEditorOptions : public QObject
{
    Q_OBJECT

    QTemporaryDir *m_dir = nullptr;
    ScriptedDialogs *m_dialogs = nullptr;
    TMainProgram *m_window = nullptr;
    TEditorDialog *m_options = nullptr;

    QString write(const QString &name, const QByteArray &bytes)
    {
        const QString path = m_dir->filePath(name);
        QFile file(path);
        if (file.open(QIODevice::WriteOnly))
            file.write(bytes);
        return path;
    }

    QList<DocumentEditor *> editors() const
    {
        QList<DocumentEditor *> out;
        for (int i = 0; i < m_window->Documents()->count(); ++i)
            out << m_window->Documents()->editor(i);
        return out;
    }

    static long keyColour(DocumentEditor *editor)
    {
        return editor->SendScintilla(Sci::SCI_STYLEGETFORE, TSynQuorvaneSyn::Key);
    }

    // Opens the options window as the menu command does; f runs inside it,
    // then button closes it.
    void runOptions(std::function<void()> f, const char *button)
    {
        QTimer::singleShot(0, m_options, [this, f, button] {
            f();
            m_options->findChild<QPushButton *>(QLatin1String(button))->click();
        });
        m_window->Action("OptionsEditor")->trigger();
    }

private slots:
    void init()
    {
        QFile::remove(SettingsStore::userStorePath());
        Settings() = AppSettings::defaults();
        m_dir = new QTemporaryDir;
        m_dialogs = new ScriptedDialogs;
        m_window = new TMainProgram;
        m_options = new TEditorDialog(m_window->Highlighter(), m_window);
        m_window->SetEditorDialog(m_options);
        m_window->Documents()->OpenDocument(write("a.hpprg", "\xAB 1 2 + DUP \xBB\r\n"), true);
        m_window->Documents()->OpenDocument(write("b.hpprg", "IF 1 THEN 2 END\r\n"), true);
        QCOMPARE(m_window->Documents()->count(), 2);
    }

    void cleanup()
    {
        delete m_window;
        delete m_dialogs;
        delete m_dir;
    }

    void everyEditorColoursWithTheSharedHighlighter()
    {
        QSet<QsciLexer *> lexers;
        for (DocumentEditor *editor : editors()) {
            auto *lexer = qobject_cast<QuorvaneLexer *>(editor->lexer());
            QVERIFY(lexer);
            QCOMPARE(lexer->highlighter(), m_window->Highlighter());
            lexers.insert(lexer);
            QCOMPARE(keyColour(editor), long(rgbColor(0, 0, 128)));
        }
        QCOMPARE(lexers.size(), 2); // one lexer per editor
    }

    void turningHighlightingOffAndOnReachesEveryEditor()
    {
        runOptions([this] { m_options->findChild<QCheckBox *>("UseHighLight")->click(); },
                   "OkButton");
        QCOMPARE(Settings().editor.UseHighlight, false);
        for (DocumentEditor *editor : editors()) {
            QVERIFY(editor->lexer() == nullptr);
            QCOMPARE(editor->SendScintilla(Sci::SCI_GETSTYLEAT, 2), 0l);
        }
        // Editors opened later follow the setting too.
        m_window->Documents()->OpenDocument(write("c.hpprg", "DUP"), true);
        QVERIFY(editors().last()->lexer() == nullptr);

        m_window->Highlighter()->keyAttri()->setForeground(rgbColor(0, 200, 0));
        runOptions([this] { m_options->findChild<QCheckBox *>("UseHighLight")->click(); },
                   "OkButton");
        for (DocumentEditor *editor : editors()) {
            QVERIFY(qobject_cast<QuorvaneLexer *>(editor->lexer()));
            QCOMPARE(keyColour(editor), long(rgbColor(0, 200, 0)));
        }
    }

    void aConfirmedColourReachesEveryEditorAndCancelNone()
    {
        auto chooseRed = [this] {
            m_options->editorItems()->setCurrentRow(1); // system commands
            m_options->foregroundButton()->choose(rgbColor(255, 0, 0));
        };
        runOptions(chooseRed, "CancelButton");
        for (DocumentEditor *editor : editors())
            QCOMPARE(keyColour(editor), long(rgbColor(0, 0, 128)));
        QCOMPARE(m_window->Highlighter()->keyAttri()->foreground(), rgbColor(0, 0, 128));

        runOptions(chooseRed, "OkButton");
        for (DocumentEditor *editor : editors())
            QCOMPARE(keyColour(editor), long(rgbColor(255, 0, 0)));
    }

    void fontAndMarginsReachEveryEditor()
    {
        runOptions(
            [this] {
                m_options->findChild<QCheckBox *>("Margin")->setChecked(false);
                m_options->findChild<QSpinBox *>("MarginSize")->setValue(40);
                m_options->findChild<QComboBox *>("FontSize")->setCurrentText("17");
            },
            "OkButton");
        for (DocumentEditor *editor : editors()) {
            // No edge line, whatever the column says.
            QCOMPARE(editor->edgeMode(), QsciScintilla::EdgeNone);
            QCOMPARE(editor->SendScintilla(Sci::SCI_STYLEGETSIZE, TSynQuorvaneSyn::Key), 17l);
            QCOMPARE(editor->font().pointSize(), 17);
        }
        QCOMPARE(m_window->TreeCommands()->font().family(), Settings().editor.FontEditor);
        QCOMPARE(m_window->SymbolGrid()->font().family(), Settings().editor.FontEditor);

        // The plain-text font is the same once highlighting is off.
        runOptions([this] { m_options->findChild<QCheckBox *>("UseHighLight")->click(); },
                   "OkButton");
        for (DocumentEditor *editor : editors())
            QCOMPARE(editor->SendScintilla(Sci::SCI_STYLEGETSIZE, 0), 17l);
    }

    void filesDroppedAfterApplyingAreStillOpened()
    {
        runOptions([this] { m_options->findChild<QCheckBox *>("DragDropEditing")->click(); },
                   "OkButton");
        const QString dropped = write("dropped.hpprg", "SWAP");
        QMimeData mime;
        mime.setUrls({QUrl::fromLocalFile(dropped)});
        DocumentEditor *editor = editors().first();
        QDragEnterEvent enter(QPoint(10, 10), Qt::CopyAction, &mime, Qt::LeftButton,
                              Qt::NoModifier);
        QCoreApplication::sendEvent(editor->viewport(), &enter);
        QVERIFY(enter.isAccepted());
        QDropEvent drop(QPointF(10, 10), Qt::CopyAction, &mime, Qt::LeftButton, Qt::NoModifier);
        QCoreApplication::sendEvent(editor->viewport(), &drop);
        QCOMPARE(m_window->Documents()->count(), 3);
    }

    void coloursAreWrittenAtExitAndReadAtStart()
    {
        m_window->Highlighter()->commentAttri()->setBackground(rgbColor(250, 240, 200));
        m_window->Highlighter()->commentAttri()->setStyle(StyleBold);
        m_window->SaveSettings();
        TMainProgram second;
        QCOMPARE(second.Highlighter()->commentAttri()->background(), rgbColor(250, 240, 200));
        QCOMPARE(second.Highlighter()->commentAttri()->style(), int(StyleBold));
        QCOMPARE(second.Highlighter()->keyAttri()->foreground(), rgbColor(0, 0, 128));
        // The keyword lists come from the shipped files.
        QVERIFY(second.Highlighter()->isKeyword("DUP"));
        QCOMPARE(second.Highlighter()->wordKind("IF"), int(TSynQuorvaneSyn::Branch));
    }
};

QTEST_MAIN(TestEditorOptions)
#include "tst_editoroptions.moc"
