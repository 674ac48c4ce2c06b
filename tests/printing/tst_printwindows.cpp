#include "printing/DlgPageSetup.h"
#include "printing/DlgPreview.h"
#include "printing/PrintEngine.h"
#include "printing/PreviewState.h"
#include "shell/Globals.h"
#include "shell/Language.h"

#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QDoubleSpinBox>
#include <QLabel>
#include <QPrintPreviewWidget>
#include <QPushButton>
#include <QStatusTipEvent>
#include <QTextBlock>
#include <QTextEdit>
#include <QtTest>

// The page setup window (load and store, units, the header and footer
// boxes and their commands, the language) and the preview (its page and
// zoom rules, and the window that shows them).
class TestPrintWindows : public QObject
{
    Q_OBJECT

    static QStringList lines(const QTextEdit *box) { return box->toPlainText().split(u'\n'); }

    static HeaderFooterItem item(const QString &text, int line, int alignment)
    {
        HeaderFooterItem i;
        i.text = text;
        i.font = DefaultHeaderFooterFont();
        i.line = line;
        i.alignment = alignment;
        return i;
    }

    static void putCaret(QTextEdit *box, int line, int column)
    {
        QTextCursor cursor(box->document()->findBlockByNumber(line));
        cursor.setPosition(cursor.position() + column);
        box->setTextCursor(cursor);
    }

private slots:
    void initTestCase()
    {
        InstallBuiltInMessagesAndLabels();
        LanguageFilePath = QStringLiteral(QV_SOURCE_DATA_DIR "/Languages/Spanish(1).lng");
    }

    // ------------------------------------------------------------ page setup

    void defaultsFillTheBoxes()
    {
        TPageDialog dialog(nullptr);
        dialog.loadFrom(PrintSettings());
        QCOMPARE(lines(dialog.textBox(TPageDialog::Header, TPageDialog::LeftBox)),
                 QStringList{"Página: $PAGENUM$ de $PAGECOUNT$"});
        QCOMPARE(lines(dialog.textBox(TPageDialog::Header, TPageDialog::CenterBox)), QStringList{"$TITLE$"});
        QCOMPARE(lines(dialog.textBox(TPageDialog::Header, TPageDialog::RightBox)), QStringList{"$DATE$ - $TIME$"});
        QCOMPARE(lines(dialog.textBox(TPageDialog::Footer, TPageDialog::LeftBox)), QStringList{"Impreso con HPQuorvane"});
        QVERIFY(dialog.textBox(TPageDialog::Footer, TPageDialog::CenterBox)->document()->isEmpty());
        QCOMPARE(lines(dialog.textBox(TPageDialog::Footer, TPageDialog::RightBox)), QStringList{"$PAGENUM$"});
        // Each line in its item's font.
        const QTextEdit *title = dialog.textBox(TPageDialog::Header, TPageDialog::CenterBox);
        const QFont font = TPageDialog::lineFont(title->document()->begin(), title->document()->defaultFont());
        QCOMPARE(font.pointSize(), 10);
        QCOMPARE(font.family(), QStringLiteral("Arial"));
        QCOMPARE(dialog.units()->currentIndex(), 1);
        QCOMPARE(dialog.marginBox(Margin::HFInternalMargin)->value(), 0.1);
        QCOMPARE(dialog.marginBox(Margin::Header)->value(), 1.5);
        QVERIFY(dialog.frameBox(TPageDialog::Header, FrameLine)->isChecked());
        QVERIFY(!dialog.frameBox(TPageDialog::Header, FrameBox)->isChecked());
    }

    void defaultsSurviveOk()
    {
        TPageDialog dialog(nullptr);
        const PrintSettings before;
        dialog.loadFrom(before);
        PrintSettings after;
        after.header.items.clear();
        dialog.storeTo(after);
        QCOMPARE(after.header.items.size(), 3);
        QCOMPARE(after.footer.items.size(), 2);
        for (int i = 0; i < 3; ++i) {
            const HeaderFooterItem &a = after.header.items[i];
            const HeaderFooterItem &b = before.header.items[i];
            QCOMPARE(a.text, b.text);
            QCOMPARE(a.alignment, b.alignment);
            QCOMPARE(a.line, b.line);
            QCOMPARE(a.font.size, b.font.size);
            QCOMPARE(a.font.height, b.font.height);
            QCOMPARE(a.font.face, b.font.face);
            QCOMPARE(a.font.style, b.font.style);
            QCOMPARE(a.font.color, b.font.color);
        }
        QCOMPARE(after.millimeters, before.millimeters);
        QCOMPARE(after.header.frame, before.header.frame);
        QCOMPARE(after.header.lineColor, 12);
    }

    void twoLinesInTheCentreBox()
    {
        TPageDialog dialog(nullptr);
        dialog.loadFrom(PrintSettings());
        dialog.textBox(TPageDialog::Header, TPageDialog::CenterBox)->setPlainText(QStringLiteral("Curso\nTema 3"));
        PrintSettings settings;
        dialog.storeTo(settings);
        QList<HeaderFooterItem> centred;
        for (const HeaderFooterItem &i : settings.header.items)
            if (i.alignment == AlignCenterItem)
                centred << i;
        QCOMPARE(centred.size(), 2);
        QCOMPARE(centred[0].text, QStringLiteral("Curso"));
        QCOMPARE(centred[0].line, 1);
        QCOMPARE(centred[1].text, QStringLiteral("Tema 3"));
        QCOMPARE(centred[1].line, 2);
        // Through the stored string and a new load, the same two lines.
        HeaderFooter stored;
        stored.setItemString(settings.header.itemString());
        settings.header.items = stored.items;
        dialog.loadFrom(PrintSettings());
        dialog.loadFrom(settings);
        QCOMPARE(lines(dialog.textBox(TPageDialog::Header, TPageDialog::CenterBox)),
                 (QStringList{"Curso", "Tema 3"}));
    }

    void itemsOnLineThreeComeBackOnLineOne()
    {
        PrintSettings settings;
        settings.header.items = {item("izq", 3, AlignLeftItem), item("der", 3, AlignRightItem)};
        TPageDialog dialog(nullptr);
        dialog.loadFrom(settings);
        PrintSettings back;
        dialog.storeTo(back);
        QCOMPARE(back.header.items.size(), 2);
        QCOMPARE(back.header.items[0].line, 1);
        QCOMPARE(back.header.items[1].line, 1);
        QCOMPARE(back.header.items[1].text, QStringLiteral("der"));
    }

    void emptyLinesAmongOthersAreKept()
    {
        TPageDialog dialog(nullptr);
        dialog.loadFrom(PrintSettings());
        dialog.textBox(TPageDialog::Footer, TPageDialog::LeftBox)->setPlainText(QStringLiteral("uno\n\ntres"));
        PrintSettings settings;
        dialog.storeTo(settings);
        QStringList texts;
        for (const HeaderFooterItem &i : settings.footer.items)
            texts << QString::number(i.line) + ':' + i.text;
        // The empty centre box adds nothing; the empty line keeps its place.
        QCOMPARE(texts, (QStringList{"1:uno", "2:", "3:tres", "1:$PAGENUM$"}));
    }

    void unitsConvertTheNumbersShown_data()
    {
        QTest::addColumn<int>("unit");
        QTest::addColumn<double>("left");
        QTest::addColumn<double>("internal");
        QTest::newRow("centimetres to inches: 2.0 shows about 0.787") << 2 << 0.787 << 0.039;
        QTest::newRow("to millimetres") << 0 << 20.0 << 1.0;
        QTest::newRow("to thousandths of an inch") << 3 << 787.4 << 39.4;
        QTest::newRow("back to centimetres") << 1 << 2.0 << 0.1;
    }

    void unitsConvertTheNumbersShown()
    {
        QFETCH(int, unit);
        TPageDialog dialog(nullptr);
        dialog.loadFrom(PrintSettings());
        const auto before = dialog.millimeters();
        dialog.units()->setCurrentIndex(2);
        dialog.units()->setCurrentIndex(unit);
        QTEST(dialog.marginBox(Margin::Left)->value(), "left");
        QTEST(dialog.marginBox(Margin::HFInternalMargin)->value(), "internal");
        // The page itself has not moved.
        QCOMPARE(dialog.millimeters(), before);
        QCOMPARE(dialog.marginBox(Margin::Left)->singleStep(), 0.5);
        QCOMPARE(dialog.marginBox(Margin::Left)->minimum(), 0.0);
    }

    void aValueTypedInInchesIsStored()
    {
        TPageDialog dialog(nullptr);
        dialog.loadFrom(PrintSettings());
        dialog.units()->setCurrentIndex(2);
        dialog.marginBox(Margin::Top)->setValue(1.0);
        PrintSettings settings;
        dialog.storeTo(settings);
        QCOMPARE(settings.unit, MarginUnit::Inches);
        QCOMPARE(double(settings.millimeters[size_t(Margin::Top)]), 25.4);
        QCOMPARE(double(settings.margin(Margin::Left)), double(ConvertLength(2.0L, MarginUnit::Centimeters,
                                                                             MarginUnit::Inches)));
    }

    void okStoresAndCancelKeeps()
    {
        TPageDialog dialog(nullptr);
        const PrintSettings original;
        for (const int answer : {int(QDialog::Rejected), int(QDialog::Accepted)}) {
            PrintSettings settings = original;
            dialog.setModalRunner([&](QDialog *) {
                dialog.optionBox(QStringLiteral("PrintColors"))->setChecked(true);
                dialog.frameBox(TPageDialog::Footer, FrameBox)->setChecked(true);
                dialog.textBox(TPageDialog::Header, TPageDialog::LeftBox)->setPlainText(QStringLiteral("otro"));
                dialog.marginBox(Margin::Gutter)->setValue(1.5);
                return answer;
            });
            const bool accepted = dialog.Execute(settings);
            QCOMPARE(accepted, answer == QDialog::Accepted);
            if (!accepted) {
                QVERIFY(settings == original);
                QCOMPARE(settings.header.itemString(), original.header.itemString());
            } else {
                QVERIFY(settings.colors);
                QCOMPARE(settings.footer.frame, FrameLine | FrameBox);
                QCOMPARE(settings.header.items[0].text, QStringLiteral("otro"));
                QCOMPARE(double(settings.margin(Margin::Gutter)), 1.5);
            }
        }
        // Every use loads from the settings first.
        PrintSettings fresh;
        QString shown;
        dialog.setModalRunner([&](QDialog *) {
            shown = dialog.textBox(TPageDialog::Header, TPageDialog::LeftBox)->toPlainText();
            return int(QDialog::Rejected);
        });
        dialog.Execute(fresh);
        QCOMPARE(shown, QStringLiteral("Página: $PAGENUM$ de $PAGECOUNT$"));
    }

    void fieldCommandsInsertAtTheCaret_data()
    {
        QTest::addColumn<QString>("command");
        QTest::addColumn<QString>("expected");
        QTest::newRow("page number") << "PageNumCmd" << "ab$PAGENUM$cd";
        QTest::newRow("page count") << "PagesCmd" << "ab$PAGECOUNT$cd";
        QTest::newRow("time") << "TimeCmd" << "ab$TIME$cd";
        QTest::newRow("date") << "DateCmd" << "ab$DATE$cd";
        QTest::newRow("title") << "TitleCmd" << "ab$TITLE$cd";
    }

    void fieldCommandsInsertAtTheCaret()
    {
        QFETCH(QString, command);
        TPageDialog dialog(nullptr);
        dialog.show();
        QTextEdit *box = dialog.textBox(TPageDialog::Footer, TPageDialog::RightBox);
        box->setPlainText(QStringLiteral("abcd"));
        dialog.setCurrentBox(box);
        putCaret(box, 0, 2);
        dialog.command(command)->setEnabled(true);
        dialog.command(command)->trigger();
        QTEST(box->toPlainText(), "expected");
    }

    void styleCommandsWorkOnTheWholeLine_data()
    {
        QTest::addColumn<int>("bit");
        QTest::addColumn<QString>("command");
        QTest::newRow("bold") << int(ItemBold) << "BoldCmd";
        QTest::newRow("italic") << int(ItemItalic) << "ItalicCmd";
        QTest::newRow("underline") << int(ItemUnderline) << "UnderlineCmd";
    }

    void styleCommandsWorkOnTheWholeLine()
    {
        QFETCH(int, bit);
        QFETCH(QString, command);
        TPageDialog dialog(nullptr);
        dialog.show();
        QTextEdit *box = dialog.textBox(TPageDialog::Header, TPageDialog::CenterBox);
        box->setPlainText(QStringLiteral("primera\nsegunda línea"));
        dialog.setCurrentBox(box);
        putCaret(box, 1, 4);
        const auto styleOf = [&](int line) {
            PrintSettings s;
            dialog.storeTo(s);
            int found = -1;
            for (const HeaderFooterItem &i : s.header.items)
                if (i.alignment == AlignCenterItem && i.line == line + 1)
                    found = i.font.style;
            return found;
        };
        dialog.command(command)->setEnabled(true);
        dialog.command(command)->trigger();
        QCOMPARE(styleOf(1), bit);
        QCOMPARE(styleOf(0), 0);
        QCOMPARE(box->textCursor().position(), box->document()->findBlockByNumber(1).position() + 4);
        QVERIFY(!box->textCursor().hasSelection());
        // Again: the line had the style, so it goes.
        dialog.command(command)->trigger();
        QCOMPARE(styleOf(1), 0);
    }

    void fontCommandOffersTheLinesFont()
    {
        TPageDialog dialog(nullptr);
        dialog.loadFrom(PrintSettings());
        QTextEdit *box = dialog.textBox(TPageDialog::Header, TPageDialog::CenterBox);
        dialog.setCurrentBox(box);
        putCaret(box, 0, 3);
        QFont offered;
        dialog.setFontChooser([&](QFont &font, QWidget *) {
            offered = font;
            font = QFont(QStringLiteral("DejaVu Serif"), 14);
            return true;
        });
        dialog.FontCmdExecute();
        QCOMPARE(offered.pointSize(), 10);
        PrintSettings s;
        dialog.storeTo(s);
        QCOMPARE(s.header.items[1].text, QStringLiteral("$TITLE$"));
        QCOMPARE(s.header.items[1].font.face, QStringLiteral("DejaVu Serif"));
        QCOMPARE(s.header.items[1].font.size, 14);
        // A cancelled font dialog changes nothing.
        dialog.setFontChooser([](QFont &, QWidget *) { return false; });
        dialog.FontCmdExecute();
        dialog.storeTo(s);
        QCOMPARE(s.header.items[1].font.size, 14);
    }

    void commandsFollowTheFocus()
    {
        TPageDialog dialog(nullptr);
        dialog.pages()->setCurrentIndex(1);
        dialog.show();
        QApplication::setActiveWindow(&dialog);
        QVERIFY(QTest::qWaitForWindowActive(&dialog));
        QCOMPARE(dialog.currentBox(), dialog.textBox(TPageDialog::Header, TPageDialog::LeftBox));
        QTextEdit *footer = dialog.textBox(TPageDialog::Footer, TPageDialog::CenterBox);
        footer->setFocus();
        QTRY_VERIFY(footer->hasFocus());
        QCOMPARE(dialog.currentBox(), footer);
        QVERIFY(dialog.command(QStringLiteral("BoldCmd"))->isEnabled());
        dialog.frameBox(TPageDialog::Footer, FrameLine)->setFocus();
        QTRY_VERIFY(!dialog.command(QStringLiteral("PageNumCmd"))->isEnabled());
        // The last box that had the focus is still the one the commands mean.
        QCOMPARE(dialog.currentBox(), footer);
    }

    void textsFollowTheLanguage()
    {
        TPageDialog dialog(nullptr);
        QCOMPARE(dialog.windowTitle(), QStringLiteral("Configurar página"));
        QCOMPARE(dialog.units()->itemText(3), QStringLiteral("Milésimas de pulgada"));
        LanguageFilePath = QStringLiteral(QV_SOURCE_DATA_DIR "/Languages/English.lng");
        ReloadLongLivedWindowTexts();
        QCOMPARE(dialog.windowTitle(), QStringLiteral("Page Setup"));
        QCOMPARE(dialog.units()->itemText(2), QStringLiteral("Inches"));
        QCOMPARE(dialog.printerButton()->text(), QStringLiteral("Printer..."));
        QCOMPARE(dialog.command(QStringLiteral("BoldCmd"))->toolTip(), QStringLiteral("Bold"));
        LanguageFilePath = QStringLiteral(QV_SOURCE_DATA_DIR "/Languages/Spanish(1).lng");
        ReloadLongLivedWindowTexts();
        QCOMPARE(dialog.windowTitle(), QStringLiteral("Configurar página"));
    }

    // ------------------------------------------------------------ preview

    void previewPages_data()
    {
        QTest::addColumn<int>("count");
        QTest::addColumn<QString>("moves");
        QTest::addColumn<int>("expected");
        QTest::newRow("previous on page 1 stays on page 1") << 3 << "P" << 1;
        QTest::newRow("next on the last page stays there") << 3 << "LN" << 3;
        QTest::newRow("next, next, previous") << 5 << "NNP" << 2;
        QTest::newRow("first after last") << 4 << "LF" << 1;
        QTest::newRow("a single page") << 1 << "NL" << 1;
    }

    void previewPages()
    {
        QFETCH(int, count);
        QFETCH(QString, moves);
        PreviewState state;
        state.setPageCount(count);
        for (const QChar move : moves) {
            if (move == u'N')
                state.Next();
            else if (move == u'P')
                state.Prev();
            else if (move == u'F')
                state.First();
            else
                state.Last();
        }
        QTEST(state.page(), "expected");
    }

    void previewZoom_data()
    {
        QTest::addColumn<int>("start");     // a zoom tag
        QTest::addColumn<int>("shown");     // the percentage the page shows
        QTest::addColumn<QString>("clicks"); // L left, R right
        QTest::addColumn<int>("percent");
        QTest::newRow("whole page, left: 100 %") << -1 << 37 << "L" << 100;
        QTest::newRow("left at 200 % gives 400 %") << 200 << 200 << "L" << 400;
        QTest::newRow("left at 400 % stays at 400 %") << 400 << 400 << "L" << 400;
        QTest::newRow("right at 25 % stays at 25 %") << 25 << 25 << "R" << 25;
        QTest::newRow("right halves") << 100 << 100 << "R" << 50;
        QTest::newRow("right halves by integer division") << -2 << 75 << "R" << 37;
        QTest::newRow("page width, left doubles what it shows") << -2 << 130 << "L" << 260;
        QTest::newRow("whole page, right: half of what it shows") << -1 << 60 << "R" << 30;
    }

    void previewZoom()
    {
        QFETCH(int, start);
        QFETCH(int, shown);
        QFETCH(QString, clicks);
        PreviewState state;
        state.ZoomTo(start);
        for (const QChar click : clicks) {
            if (click == u'L')
                state.LeftClick(shown);
            else
                state.RightClick(shown);
            shown = state.percent();
        }
        QCOMPARE(state.zoom(), PreviewState::Zoom::Percent);
        QTEST(state.percent(), "percent");
    }

    void previewWindow()
    {
        PrintEngine engine;
        engine.setPageSize(QPageSize(QPageSize::A4));
        PrintDocument doc;
        QStringList text;
        for (int n = 1; n <= 120; ++n)
            text << QStringLiteral("\u00AB %1 \u00BB").arg(n);
        doc.text = text.join(u'\n');
        doc.font = QFont(QStringLiteral("DejaVu Sans Mono"), 12);
        doc.title = QStringLiteral("prog.hpprg");
        engine.setDocument(doc);
        TPreviewDialog preview(&engine);
        QVERIFY(preview.windowState() & Qt::WindowMaximized);
        int printed = 0;
        preview.setPrintHandler([&] { ++printed; });
        preview.show();
        QCOMPARE(preview.preview()->pageCount(), 3);
        QCOMPARE(engine.pageCount(), 3);
        QCOMPARE(preview.state().page(), 1);
        QCOMPARE(preview.statusPanel(1)->text(), QStringLiteral(" %1: 1").arg(Label(LblPage)));
        QCOMPARE(preview.preview()->zoomMode(), QPrintPreviewWidget::FitInView);

        preview.command(QStringLiteral("PrevCmd"))->trigger();
        QCOMPARE(preview.state().page(), 1);
        preview.command(QStringLiteral("NextCmd"))->trigger();
        QCOMPARE(preview.preview()->currentPage(), 2);
        QCOMPARE(preview.statusPanel(1)->text(), QStringLiteral(" %1: 2").arg(Label(LblPage)));
        preview.command(QStringLiteral("LastCmd"))->trigger();
        preview.command(QStringLiteral("NextCmd"))->trigger();
        QCOMPARE(preview.state().page(), 3);
        preview.command(QStringLiteral("FirstCmd"))->trigger();
        QCOMPARE(preview.preview()->currentPage(), 1);

        // The mouse: whole page to 100 %, then doubling; the right button halves.
        preview.PageClicked(Qt::LeftButton);
        QCOMPARE(preview.shownPercent(), 100);
        preview.PageClicked(Qt::LeftButton);
        QCOMPARE(preview.shownPercent(), 200);
        preview.PageClicked(Qt::RightButton);
        QCOMPARE(preview.shownPercent(), 100);
        preview.findChild<QAction *>(QStringLiteral("ZoomPageWidth"))->trigger();
        QCOMPARE(preview.preview()->zoomMode(), QPrintPreviewWidget::FitToWidth);
        preview.findChild<QAction *>(QStringLiteral("Zoom400"))->trigger();
        QCOMPARE(preview.shownPercent(), 400);
        preview.command(QStringLiteral("ZoomCmd"))->trigger();
        QCOMPARE(preview.preview()->zoomMode(), QPrintPreviewWidget::FitInView);

        // The hint of the command under the mouse in the first panel.
        QStatusTipEvent tip(preview.command(QStringLiteral("NextCmd"))->statusTip());
        QCoreApplication::sendEvent(&preview, &tip);
        QCOMPARE(preview.statusPanel(0)->text(), QStringLiteral(" Muestra la página siguiente del documento"));
        QCOMPARE(preview.statusPanel(0)->width(), 480);

        preview.command(QStringLiteral("PrintCmd"))->trigger();
        QCOMPARE(printed, 1);
        QCOMPARE(preview.preview()->pageCount(), 3);
        preview.command(QStringLiteral("CloseCmd"))->trigger();
        QVERIFY(!preview.isVisible());
    }
};

QTEST_MAIN(TestPrintWindows)
#include "tst_printwindows.moc"
