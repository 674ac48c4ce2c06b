#include "printing/PageLayout.h"
#include "printing/PrintSettings.h"
#include "shell/Settings.h"
#include "shell/SettingsStore.h"

#include <QTemporaryDir>
#include <QtTest>

// The print settings as values: the item strings both ways, the units, the
// fields of header and footer text, the settings store, and where the parts
// of a page go.
class TestPrintSettings : public QObject
{
    Q_OBJECT

    static HeaderFooterItem item(const QString &text, int line, int alignment, const QString &face = "Arial")
    {
        HeaderFooterItem i;
        i.text = text;
        i.font = DefaultHeaderFooterFont();
        i.font.face = face;
        i.line = line;
        i.alignment = alignment;
        return i;
    }

private slots:
    void defaultStringsDecode()
    {
        const PrintSettings s;
        QCOMPARE(s.header.items.size(), 3);
        QCOMPARE(s.header.items[0].text, QStringLiteral("Página: $PAGENUM$ de $PAGECOUNT$"));
        QCOMPARE(s.header.items[0].alignment, int(AlignLeftItem));
        QCOMPARE(s.header.items[0].font.size, 8);
        QCOMPARE(s.header.items[0].font.height, -11);
        QCOMPARE(s.header.items[1].text, QStringLiteral("$TITLE$"));
        QCOMPARE(s.header.items[1].alignment, int(AlignCenterItem));
        QCOMPARE(s.header.items[1].font.charset, 1);
        QCOMPARE(s.header.items[1].font.size, 10);
        QCOMPARE(s.header.items[2].text, QStringLiteral("$DATE$ - $TIME$"));
        QCOMPARE(s.header.items[2].alignment, int(AlignRightItem));
        for (const HeaderFooterItem &i : s.header.items) {
            QCOMPARE(i.line, 1);
            QCOMPARE(i.font.face, QStringLiteral("Arial"));
            QCOMPARE(i.font.pixelsPerInch, 96);
            QCOMPARE(i.font.color, 0);
            QCOMPARE(i.font.style, 0);
        }
        QCOMPARE(s.footer.items.size(), 2);
        QCOMPARE(s.footer.items[0].text, QStringLiteral("Impreso con HPQuorvane"));
        QCOMPARE(s.footer.items[1].text, QStringLiteral("$PAGENUM$"));
        QCOMPARE(s.footer.items[1].alignment, int(AlignRightItem));
        // Written again, the defaults are the very same strings.
        QCOMPARE(s.header.itemString(), PrintingSettings::DefaultHeaderItems());
        QCOMPARE(s.footer.itemString(), PrintingSettings::DefaultFooterItems());
    }

    void itemStringsSurvive_data()
    {
        QTest::addColumn<QList<HeaderFooterItem>>("items");
        QTest::newRow("a slash in the text")
            << QList<HeaderFooterItem>{item("a/b", 1, 0), item("$TITLE$", 1, 2)};
        QTest::newRow("a backslash in the text") << QList<HeaderFooterItem>{item("C:\\prog\\x", 1, 1)};
        QTest::newRow("backslash and full stop, the escape itself, in the text")
            << QList<HeaderFooterItem>{item("\\.", 2, 0), item("\\\\./", 3, 1)};
        QTest::newRow("a slash in the face name") << QList<HeaderFooterItem>{item("x", 1, 0, "Odd/Face\\Name")};
        QTest::newRow("empty text between two items")
            << QList<HeaderFooterItem>{item("one", 1, 0), item("", 2, 0), item("three", 3, 0)};
        QTest::newRow("accents and calculator glyphs")
            << QList<HeaderFooterItem>{item("Página « → π Σ »", 1, 2)};
    }

    void itemStringsSurvive()
    {
        QFETCH(QList<HeaderFooterItem>, items);
        HeaderFooter band;
        band.items = items;
        band.items[0].font.style = ItemBold | ItemUnderline;
        band.items[0].font.color = 0x0000FF;
        HeaderFooter back;
        back.setItemString(band.itemString());
        QCOMPARE(back.items, band.items);
    }

    void itemStringsRead_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<int>("count");
        QTest::addColumn<QString>("firstText");
        QTest::addColumn<int>("firstLine");
        QTest::addColumn<int>("firstSize");
        QTest::newRow("an empty string holds no items") << "" << 0 << "" << 0 << 0;
        QTest::newRow("a text alone leaves every other field at 0") << "Hola" << 1 << "Hola" << 0 << 0;
        QTest::newRow("numbers that do not parse read as 0")
            << "T\\.x\\.y\\.-11\\.Arial\\.z\\.96\\.eight\\.0\\.one\\.0" << 1 << "T" << 0 << 0;
        QTest::newRow("a missing alignment and line") << "T\\.0\\.0\\.-11\\.Arial\\.0\\.96\\.8" << 1 << "T" << 0 << 8;
        QTest::newRow("extra fields are ignored")
            << "T\\.0\\.0\\.-11\\.Arial\\.0\\.96\\.9\\.0\\.4\\.1\\.77" << 1 << "T" << 4 << 9;
        QTest::newRow("two items") << "A\\.0\\.0\\.0\\.\\.0\\.0\\.0\\.0\\.2\\.0/B" << 2 << "A" << 2 << 0;
    }

    void itemStringsRead()
    {
        QFETCH(QString, text);
        QFETCH(int, count);
        HeaderFooter band;
        band.items = {item("old", 1, 0)}; // reading first removes all items
        band.setItemString(text);
        QCOMPARE(band.items.size(), count);
        if (count == 0)
            return;
        QTEST(band.items[0].text, "firstText");
        QTEST(band.items[0].line, "firstLine");
        QTEST(band.items[0].font.size, "firstSize");
    }

    void itemFontSizeWinsOverHeight()
    {
        ItemFont f;
        f.height = -40;
        f.pixelsPerInch = 96;
        f.size = 8;
        QCOMPARE(f.toFont().pointSize(), 8);
        f.size = 0;
        QCOMPARE(f.toFont().pointSizeF(), 30.0);
        f.color = 0x00FF8040; // blue 0xFF, green 0x80, red 0x40
        QCOMPARE(f.toColor(), QColor(0x40, 0x80, 0xFF));
        const ItemFont back = ItemFont::fromFont(f.toFont(), f.toColor());
        QCOMPARE(back.color, f.color);
        QCOMPARE(back.size, 30);
        QCOMPARE(back.height, -40);
    }

    void renumbering_data()
    {
        QTest::addColumn<QList<int>>("lines");
        QTest::addColumn<QList<int>>("expected");
        QTest::newRow("all on line 3 come back on line 1") << QList<int>{3, 3, 3} << QList<int>{1, 1, 1};
        QTest::newRow("gaps close up") << QList<int>{2, 2, 5, 9} << QList<int>{1, 1, 2, 3};
        QTest::newRow("each change starts the next number") << QList<int>{1, 2, 1} << QList<int>{1, 2, 3};
        QTest::newRow("line 0 of a string without line numbers") << QList<int>{0, 0} << QList<int>{1, 1};
    }

    void renumbering()
    {
        QFETCH(QList<int>, lines);
        QFETCH(QList<int>, expected);
        HeaderFooter band;
        for (int line : lines)
            band.items << item("x", line, 0);
        band.renumberLines();
        QList<int> got;
        for (const HeaderFooterItem &i : band.items)
            got << i.line;
        QCOMPARE(got, expected);
    }

    void units_data()
    {
        QTest::addColumn<double>("value");
        QTest::addColumn<int>("from");
        QTest::addColumn<int>("to");
        QTest::addColumn<double>("expected");
        QTest::newRow("2.0 cm shows about 0.787 in") << 2.0 << 1 << 2 << 0.787402;
        QTest::newRow("2.0 cm is 20 mm") << 2.0 << 1 << 0 << 20.0;
        QTest::newRow("1 in is 1000 thousandths") << 1.0 << 2 << 3 << 1000.0;
        QTest::newRow("254 thousandths are 6.45 mm") << 254.0 << 3 << 0 << 6.4516;
        QTest::newRow("the same unit changes nothing") << 1.5 << 2 << 2 << 1.5;
    }

    void units()
    {
        QFETCH(double, value);
        QFETCH(int, from);
        QFETCH(int, to);
        QFETCH(double, expected);
        const long double got = ConvertLength(value, MarginUnit(from), MarginUnit(to));
        QVERIFY2(qAbs(double(got) - expected) < 1e-5, qPrintable(QString::number(double(got))));
    }

    void marginsKeepThePageWhenTheUnitChanges()
    {
        PrintSettings s;
        QCOMPARE(double(s.margin(Margin::Left)), 2.0);
        s.unit = MarginUnit::Inches;
        QVERIFY(qAbs(double(s.margin(Margin::Left)) - 0.787402) < 1e-5);
        s.setMargin(Margin::Gutter, 1.0);
        QCOMPARE(double(s.millimeters[size_t(Margin::Gutter)]), 25.4);
        s.unit = MarginUnit::Centimeters;
        QCOMPARE(double(s.margin(Margin::Left)), 2.0);
    }

    void fields_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("expected");
        QTest::newRow("page of pages") << "Página: $PAGENUM$ de $PAGECOUNT$" << "Página: 2 de 3";
        QTest::newRow("matched without regard to case") << "$pagenum$/$PageCount$" << "2/3";
        QTest::newRow("title") << "[$TITLE$]" << "[prog.hpprg]";
        QTest::newRow("date and time") << "$DATE$ - $TIME$" << "5/3/24 - 10:15:30";
        QTest::newRow("date then time") << "$DATETIME$" << "5/3/24 10:15:30";
        QTest::newRow("time then date") << "$timedate$" << "10:15:30 5/3/24";
        QTest::newRow("other text between dollars stays") << "$5 and $PAGENUM$" << "$5 and 2";
        QTest::newRow("an unknown field stays") << "$NAME$ $TITLE$" << "$NAME$ prog.hpprg";
        QTest::newRow("a lone dollar") << "cost $" << "cost $";
        QTest::newRow("fields back to back") << "$PAGENUM$$PAGECOUNT$" << "23";
    }

    void fields()
    {
        QFETCH(QString, text);
        const FieldValues values{2, 3, "prog.hpprg", "5/3/24", "10:15:30"};
        QTEST(ExpandFields(text, values), "expected");
    }

    void storedAndBack()
    {
        // Through the settings store's file: reals keep every bit.
        QTemporaryDir dir;
        PrintSettings s;
        s.unit = MarginUnit::Inches;
        s.setMargin(Margin::Top, 1.0L / 3.0L);
        s.lineNumbers = true;
        s.colors = true;
        s.wrap = false;
        s.header.frame = FrameBox | FrameShade;
        s.header.shadedColor = 0x00C0C0C0;
        s.footer.mirrorPosition = true;
        s.header.items << item("a/b\\c", 2, 1);
        AppSettings app = AppSettings::defaults();
        s.toStored(app.printing);
        {
            SettingsStore store(dir.filePath("s.ini"));
            WriteSettings(store, app);
            store.sync();
        }
        AppSettings read = AppSettings::defaults();
        SettingsStore store(dir.filePath("s.ini"));
        ReadSettings(store, read);
        PrintSettings back = PrintSettings::fromStored(read.printing);
        QCOMPARE(back.header.items, s.header.items);
        // The store holds the numbers shown (inches here); to millimetres and
        // back they may move in the last bit, never more.
        QCOMPARE(back.margin(Margin::Top), s.margin(Margin::Top));
        for (int i = 0; i < MarginCount; ++i) {
            QVERIFY(qAbs(back.millimeters[i] - s.millimeters[i]) < 1e-15L);
            back.millimeters[i] = s.millimeters[i];
        }
        QVERIFY(back == s);
        QCOMPARE(read.printing.HeaderShadow, true);
        QCOMPARE(read.printing.HeaderLine, false);
    }

    void pageLayout_data()
    {
        QTest::addColumn<int>("page");
        QTest::addColumn<bool>("mirror");
        QTest::addColumn<double>("gutterMm");
        QTest::addColumn<double>("bodyLeftMm");
        QTest::addColumn<double>("bodyRightMm");
        QTest::newRow("odd page, plain margins") << 1 << false << 0.0 << 20.0 << 180.0;
        QTest::newRow("the gutter widens the left margin") << 1 << false << 5.0 << 25.0 << 180.0;
        QTest::newRow("without mirroring even pages keep the gutter left") << 2 << false << 5.0 << 25.0 << 180.0;
        QTest::newRow("mirrored odd page") << 3 << true << 5.0 << 25.0 << 180.0;
        QTest::newRow("mirrored even page: sides and gutter swap") << 2 << true << 5.0 << 30.0 << 185.0;
    }

    void pageLayout()
    {
        QFETCH(int, page);
        QFETCH(bool, mirror);
        QFETCH(double, gutterMm);
        PrintSettings s;
        s.unit = MarginUnit::Millimeters;
        s.setMargin(Margin::Right, 30);
        s.setMargin(Margin::Gutter, gutterMm);
        s.mirrorMargins = mirror;
        // 25.4 units per inch: one unit is one millimetre.
        const PageGeometry g = LayoutPage(s, QSizeF(210, 297), 25.4, page, 5, 5);
        QTEST(g.body.left(), "bodyLeftMm");
        QTEST(g.body.right(), "bodyRightMm");
        QCOMPARE(g.header.left(), g.body.left());
        QCOMPARE(g.header.right(), g.body.right());
    }

    void headerAndFooterBands()
    {
        PrintSettings s;
        s.unit = MarginUnit::Millimeters;
        s.setMargin(Margin::LeftHFTextIndent, 3);
        s.setMargin(Margin::RightHFTextIndent, 4);
        const PageGeometry g = LayoutPage(s, QSizeF(210, 297), 25.4, 1, 5, 6);
        // Header 15 mm from the top, 5 mm of text and 1 mm inside above and below.
        QCOMPARE(g.header, QRectF(20, 15, 170, 7));
        // The footer's top 20 mm above the bottom edge.
        QCOMPARE(g.footer, QRectF(20, 277, 170, 8));
        // The header reaches past the top margin, the footer up to the
        // bottom margin: the text keeps the internal margin from both.
        QCOMPARE(g.body.top(), 22.0 + 1.0);
        QCOMPARE(g.body.bottom(), 277.0 - 1.0);
        // A footer margin smaller than the footer keeps it on the paper.
        s.setMargin(Margin::Footer, 2);
        QCOMPARE(LayoutPage(s, QSizeF(210, 297), 25.4, 1, 5, 6).footer.bottom(), 297.0);
        QCOMPARE(g.textLeft, 20.0 + 1 + 3);
        QCOMPARE(g.textRight, 190.0 - 1 - 4);
        // No header text, no header band, and the top margin alone counts.
        const PageGeometry bare = LayoutPage(s, QSizeF(210, 297), 25.4, 1, 0, 0);
        QVERIFY(bare.header.isEmpty());
        QCOMPARE(bare.body.top(), 20.0);
    }

    void marginsThatLeaveNoRoomStillLeaveSome()
    {
        PrintSettings s;
        s.unit = MarginUnit::Millimeters;
        s.setMargin(Margin::Left, 150);
        s.setMargin(Margin::Right, 150);
        s.setMargin(Margin::Top, 200);
        s.setMargin(Margin::Bottom, 200);
        const PageGeometry g = LayoutPage(s, QSizeF(210, 297), 25.4, 1, 5, 5);
        QVERIFY(g.body.width() >= 210 / 5.0 - 1e-9);
        QVERIFY(g.body.height() >= 297 / 5.0 - 1e-9);
        QVERIFY(g.body.left() >= 0 && g.body.right() <= 210);
        QVERIFY(g.body.top() >= 0 && g.body.bottom() <= 297);
    }
};

QTEST_MAIN(TestPrintSettings)
#include "tst_printsettings.moc"
