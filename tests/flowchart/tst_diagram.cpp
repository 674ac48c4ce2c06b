// The flowchart graph: link rules, bounds, arrows' routes, removal; and its
// file format, byte for byte, with every way a file can be refused.
#include "FlowchartSketch.h"
#include "fuzz/FlowFuzzEntries.h"

#include "flowchart/DiagramBuilder.h"
#include "flowchart/DiagramFile.h"

#include <QTemporaryDir>
#include <QtTest>

using DiagramFile::ReadStatus;

namespace {

QByteArray str(const QByteArray &s)
{
    return QByteArray(1, 6) + char(s.size()) + s;
}
QByteArray int8(int v)
{
    return QByteArray(1, 2) + char(v);
}

// The two-shape example: Start Control5 INICIO above End Control7 FIN.
QByteArray exampleBytes()
{
    return str("ADB%QXN_2007") + int8(2)
           + int8(1) + str("Control5") + str("INICIO") + int8(33) + int8(16) + int8(8) + int8(65)
           + int8(8) + str("Control7") + str("FIN") + int8(33) + int8(16) + int8(72) + int8(65)
           + int8(1) + str("Control7")
           + int8(8) + str("None");
}

QString pointsOf(const ConnectorRoute &r)
{
    QStringList out;
    for (const QPoint &p : r.p)
        out << QString("%1,%2").arg(p.x()).arg(p.y());
    return out.join(' ');
}

} // namespace

class TestDiagram : public QObject
{
    Q_OBJECT

private slots:
    // ------------------------------------------------------------- model

    void boundsKeepTheirLimits_data()
    {
        QTest::addColumn<int>("kind");
        QTest::addColumn<QRect>("requested");
        QTest::addColumn<QRect>("expected");
        const int action = int(ShapeKind::Action), link = int(ShapeKind::Link);
        QTest::newRow("an ordinary move") << action << QRect(40, 48, 81, 33) << QRect(40, 48, 81, 33);
        QTest::newRow("left and top never below 0") << action << QRect(-8, -1, 81, 33) << QRect(0, 0, 81, 33);
        QTest::newRow("width and height never below 5") << action << QRect(0, 0, 2, -4) << QRect(0, 0, 5, 5);
        QTest::newRow("a connector given a new width takes it as height")
            << link << QRect(0, 0, 40, 25) << QRect(0, 0, 40, 40);
        QTest::newRow("a connector given a new height takes it as width")
            << link << QRect(0, 0, 25, 31) << QRect(0, 0, 31, 31);
    }
    void boundsKeepTheirLimits()
    {
        QFETCH(int, kind);
        QFETCH(QRect, requested);
        QFETCH(QRect, expected);
        auto s = CreateShape(ShapeKind(kind));
        s->SetBounds(requested.x(), requested.y(), requested.width(), requested.height());
        QCOMPARE(s->Bounds(), expected);
    }

    void defaultSizes()
    {
        const QSize sizes[] = {{65, 33}, {81, 33}, {81, 33}, {81, 41}, {81, 33},
                               {25, 25}, {81, 41}, {65, 33}, {17, 17}};
        for (int k = 1; k <= ShapeKindCount; ++k)
            QCOMPARE(CreateShape(ShapeKind(k))->Bounds().size(), sizes[k - 1]);
    }

    void aShapeIsNeverBothExitsOfACondition()
    {
        TDiagram d;
        QVERIFY(buildSketch(d, "c cond [x>1] -> a, b; a action [x=1]; b action [x=2]"));
        auto *c = static_cast<TShapeDecision *>(d.FindShape("c"));
        c->SetTrueState(d.FindShape("b"));
        QCOMPARE(c->TrueState(), d.FindShape("b"));
        QCOMPARE(c->FalseState(), nullptr);
        QCOMPARE(c->FalseConnector()->Target(), nullptr);
        c->SetFalseState(d.FindShape("a"));
        c->SetFalseState(d.FindShape("b"));
        QCOMPARE(c->TrueState(), nullptr);
        QCOMPARE(c->FalseState(), d.FindShape("b"));
    }

    void removingAShapeClearsEveryLinkToIt()
    {
        TDiagram d;
        QVERIFY(buildSketch(d, "s start [A] -> x; c cond [1] -> x, s; l link -> x; x action [y=1]"));
        QSignalSpy removed(&d, &TDiagram::shapeRemoved);
        d.RemoveShape(d.FindShape("x"));
        QCOMPARE(removed.count(), 1);
        auto *s = static_cast<TShapeNode *>(d.FindShape("s"));
        auto *c = static_cast<TShapeDecision *>(d.FindShape("c"));
        auto *l = static_cast<TShapeLink *>(d.FindShape("l"));
        QCOMPARE(s->DefaultTransition(), nullptr);
        QCOMPARE(s->Connectors()[0]->Target(), nullptr);
        QCOMPARE(c->TrueState(), nullptr);
        QCOMPARE(c->FalseState(), d.FindShape("s"));
        QCOMPARE(l->Destination(), nullptr);
        QCOMPARE(d.ShapeCount(), 3);
    }

    void connectorLinks()
    {
        TDiagram d, other;
        QVERIFY(buildSketch(d, "a link; b link; n action [x=1]"));
        QVERIFY(buildSketch(other, "far action [x=1]"));
        auto *a = static_cast<TShapeLink *>(d.FindShape("a"));
        auto *b = static_cast<TShapeLink *>(d.FindShape("b"));
        QCOMPARE(a->Direction(), ldOutgoing); // a new link goes out
        // Another link: the pair jumps, no arrow between them.
        a->SetDestination(b);
        QCOMPARE(a->Direction(), ldOutgoing);
        QCOMPARE(a->Connectors()[0]->Target(), nullptr);
        // A node: the arrow is drawn and the link is where the flow comes in.
        b->SetDestination(d.FindShape("n"));
        QCOMPARE(b->Direction(), ldIncoming);
        QCOMPARE(b->Connectors()[0]->Target(), d.FindShape("n"));
        // A new direction forgets the destination.
        b->SetDirection(ldOutgoing);
        QCOMPARE(b->Destination(), nullptr);

        auto message = [](auto &&f) {
            try {
                f();
            } catch (const TFlowError &e) {
                return e.message();
            }
            return QString();
        };
        QCOMPARE(message([&] { a->SetDestination(a); }), QString("No se puede conectar a si mismo"));
        QCOMPARE(message([&] { a->SetDestination(other.FindShape("far")); }),
                 QString("No se puede conectar a un nodo en otro contenedor"));
        QCOMPARE(message([&] { a->Connectors()[0]->SetEnd(1, b); }),
                 QString("No se puede modificar el propietario del conector"));
        auto loose = CreateShape(ShapeKind::Action);
        QCOMPARE(message([&] { loose->SetActive(true); }), QString("TShapeNode no está conectado al flujo"));
    }

    void connectorTransitions_data()
    {
        QTest::addColumn<int>("direction");
        QTest::addColumn<bool>("incoming");
        QTest::addColumn<bool>("otherIsLink");
        QTest::addColumn<QString>("error");
        const QString prev = "La dirección y el tipo de estado previo es ilegal";
        const QString next = "La dirección y el siguiente tipo de estado es ilegal";
        QTest::newRow("outgoing link entered from a node") << int(ldOutgoing) << true << false << "";
        QTest::newRow("outgoing link entered from a link") << int(ldOutgoing) << true << true << prev;
        QTest::newRow("incoming link entered from a link") << int(ldIncoming) << true << true << "";
        QTest::newRow("incoming link entered from a node") << int(ldIncoming) << true << false << prev;
        QTest::newRow("outgoing link leaving to a link") << int(ldOutgoing) << false << true << "";
        QTest::newRow("outgoing link leaving to a node") << int(ldOutgoing) << false << false << next;
        QTest::newRow("incoming link leaving to a node") << int(ldIncoming) << false << false << "";
        QTest::newRow("incoming link leaving to a link") << int(ldIncoming) << false << true << next;
    }
    void connectorTransitions()
    {
        QFETCH(int, direction);
        QFETCH(bool, incoming);
        QFETCH(bool, otherIsLink);
        QFETCH(QString, error);
        TDiagram d;
        QVERIFY(buildSketch(d, "l link; other link; n action [x=1]"));
        auto *l = static_cast<TShapeLink *>(d.FindShape("l"));
        l->SetDirection(TLinkDirection(direction));
        QString got;
        try {
            l->CheckTransition(d.FindShape(otherIsLink ? "other" : "n"), incoming);
        } catch (const TFlowError &e) {
            got = e.message();
        }
        QCOMPARE(got, error);
    }

    void routes_data()
    {
        QTest::addColumn<QRect>("source");
        QTest::addColumn<QRect>("target");
        QTest::addColumn<int>("style");
        QTest::addColumn<QString>("points");
        QTest::newRow("side by side at one height: horizontal")
            << QRect(16, 8, 65, 33) << QRect(120, 8, 65, 33) << 2
            << "82,24 101,24 101,24 101,24 119,24";
        QTest::newRow("side by side at different heights: a Z")
            << QRect(16, 8, 65, 33) << QRect(120, 40, 65, 33) << 2
            << "82,24 101,24 101,40 101,56 119,56";
        QTest::newRow("far below: vertical")
            << QRect(16, 8, 65, 33) << QRect(16, 72, 65, 33) << 3
            << "48,42 48,57 48,57 48,57 48,71";
        QTest::newRow("apart on both axes: diagonal")
            << QRect(16, 8, 65, 33) << QRect(200, 100, 65, 33) << 6
            << "82,24 141,24 232,24 232,24 232,99";
        QTest::newRow("above and overlapping in x: down 25, in from 81 px to the left")
            << QRect(16, 100, 65, 33) << QRect(40, 8, 65, 33) << 7
            << "48,134 48,159 -42,159 -42,24 39,24";
        QTest::newRow("just below but closer than 11 px: horizontal")
            << QRect(16, 8, 65, 33) << QRect(16, 50, 65, 33) << 2
            << "48,24 48,24 48,45 48,66 48,66";
    }
    void routes()
    {
        QFETCH(QRect, source);
        QFETCH(QRect, target);
        QFETCH(int, style);
        QFETCH(QString, points);
        const ConnectorRoute r = RouteBetween(source, target);
        QCOMPARE(r.actualStyle, style);
        QCOMPARE(pointsOf(r), points);
        QVERIFY(r.hitRect.contains(r.p[0]) && r.hitRect.contains(r.p[4]));
    }

    void arrowHeads()
    {
        const ConnectorRoute h = RouteBetween(QRect(16, 8, 65, 33), QRect(120, 8, 65, 33));
        ArrowGeometry a = ArrowFor(h, 2);
        QCOMPARE(a.line[4], QPoint(117, 24));
        QCOMPARE(a.head[0], QPoint(119, 24));
        QCOMPARE(a.head[1], QPoint(115, 20));
        QCOMPARE(a.head[2], QPoint(115, 28));
        const ConnectorRoute v = RouteBetween(QRect(16, 8, 65, 33), QRect(16, 72, 65, 33));
        a = ArrowFor(v, 1);
        QCOMPARE(a.line[4], QPoint(48, 70));
        QCOMPARE(a.head[1], QPoint(45, 68));
        QCOMPARE(a.head[2], QPoint(51, 68));
    }

    void movingResetsTheArrowsOffsets()
    {
        TDiagram d;
        QVERIFY(buildSketch(d, "a action [x=1] -> b; b action [y=2]"));
        TShapeCustomControl *a = d.FindShape("a");
        a->Connectors()[0]->Offset = 12;
        a->SetLeft(64);
        QCOMPARE(a->Connectors()[0]->Offset, 0);
    }

    void handles()
    {
        auto s = CreateShape(ShapeKind::Action); // 81 x 33
        auto *z = static_cast<TShapeSizeableControl *>(s.get());
        QCOMPARE(z->HandleRect(0), QRect(0, 0, 5, 5));
        QCOMPARE(z->HandleRect(1), QRect(38, 0, 5, 5));
        QCOMPARE(z->HandleRect(4), QRect(76, 14, 5, 5));
        QCOMPARE(z->HandleRect(7), QRect(76, 28, 5, 5));
        QCOMPARE(z->HandleAt(QPoint(78, 30)), 7);
        QCOMPARE(z->HandleAt(QPoint(20, 20)), int(TShapeSizeableControl::NoHandle));
    }

    void uniqueNames()
    {
        TDiagram d;
        for (int i = 0; i < 50; ++i) {
            auto s = CreateShape(ShapeKind::Action);
            s->Name = d.UniqueName("Control");
            QVERIFY(!d.FindShape(s->Name));
            QVERIFY(s->Name.mid(7).toLongLong() < 147483647);
            d.AddShape(std::move(s));
        }
    }

    void theFirstNodeBecomesTheState()
    {
        TDiagram d;
        d.AddShape(CreateShape(ShapeKind::Link));
        QCOMPARE(d.State(), nullptr);
        TShapeCustomControl *n = d.AddShape(CreateShape(ShapeKind::Read));
        QCOMPARE(d.State(), n);
        QVERIFY(n->IsActive());
        d.AddShape(CreateShape(ShapeKind::Write));
        QCOMPARE(d.State(), n);
    }

    // -------------------------------------------------------------- files

    void writesTheExampleByteForByte()
    {
        TDiagram d;
        QVERIFY(buildSketch(d, "Control5 start [INICIO] -> Control7; Control7 stop [FIN]"));
        d.FindShape("Control7")->SetTop(72);
        QCOMPARE(DiagramFile::Write(d).toHex(' '), exampleBytes().toHex(' '));
    }

    void readsTheExample()
    {
        TDiagram d;
        QCOMPARE(DiagramFile::Read(exampleBytes(), d), ReadStatus::Ok);
        QCOMPARE(d.ShapeCount(), 2);
        auto *start = static_cast<TShapeNode *>(d.Shapes()[0]);
        QCOMPARE(start->Kind(), ShapeKind::Start);
        QCOMPARE(start->Name, QString("Control5"));
        QCOMPARE(start->Caption(), QString("INICIO"));
        QCOMPARE(start->Bounds(), QRect(16, 8, 65, 33));
        QCOMPARE(start->DefaultTransition(), d.Shapes()[1]);
        QCOMPARE(d.Shapes()[1]->Bounds(), QRect(16, 72, 65, 33));
        QCOMPARE(static_cast<TShapeNode *>(d.Shapes()[1])->DefaultTransition(), nullptr);
        QCOMPARE(d.State(), nullptr);
    }

    void valuesTakeTheirSmallestForm_data()
    {
        QTest::addColumn<QString>("caption");
        QTest::addColumn<int>("left");
        QTest::addColumn<QByteArray>("expected"); // bytes that must appear
        QTest::newRow("an accented caption is UTF-8 with tag 20")
            << QString("Acción") << 16 << QByteArray("\x14\x07\x00\x00\x00" "Acci\xC3\xB3n", 12);
        QTest::newRow("a caption over 255 characters is tag 12")
            << QString(300, 'x') << 16 << QByteArray("\x0C\x2C\x01\x00\x00xxx", 8);
        QTest::newRow("a coordinate above 127 takes two bytes")
            << QString("a") << 200 << QByteArray("\x03\xC8\x00", 3);
        QTest::newRow("a coordinate of 32768 takes four bytes")
            << QString("a") << 32768 << QByteArray("\x04\x00\x80\x00\x00", 5);
    }
    void valuesTakeTheirSmallestForm()
    {
        QFETCH(QString, caption);
        QFETCH(int, left);
        QFETCH(QByteArray, expected);
        TDiagram d;
        QVERIFY(buildSketch(d, "a action"));
        d.FindShape("a")->SetCaption(caption);
        d.FindShape("a")->SetLeft(left);
        const QByteArray bytes = DiagramFile::Write(d);
        QVERIFY2(bytes.contains(expected), bytes.toHex(' ').constData());
        TDiagram back;
        QCOMPARE(DiagramFile::Read(bytes, back), ReadStatus::Ok);
        QCOMPARE(back.Shapes()[0]->Caption(), caption);
        QCOMPARE(back.Shapes()[0]->Left(), left);
    }

    void everyStringFormReads_data()
    {
        QTest::addColumn<QByteArray>("caption");
        QTest::addColumn<QString>("expected");
        QTest::newRow("tag 6 bytes are Windows-1252") << QByteArray("\x06\x03\x80\xE9\x9C", 5) << "€éœ";
        QTest::newRow("tag 12") << QByteArray("\x0C\x02\x00\x00\x00ok", 7) << "ok";
        QTest::newRow("tag 18 is UTF-16") << QByteArray("\x12\x02\x00\x00\x00\xC0\x03\x41\x00", 9) << "πA";
        QTest::newRow("tag 20 is UTF-8") << QByteArray("\x14\x02\x00\x00\x00\xC3\xB1", 7) << "ñ";
    }
    void everyStringFormReads()
    {
        QFETCH(QByteArray, caption);
        QFETCH(QString, expected);
        const QByteArray file = str("ADB%QXN_2007") + int8(1) + int8(3) + str("A") + caption
                                + int8(0) + int8(0) + int8(0) + int8(0) + int8(3) + str("None");
        TDiagram d;
        QCOMPARE(DiagramFile::Read(file, d), ReadStatus::Ok);
        QCOMPARE(d.Shapes()[0]->Caption(), expected);
        // Zero width and height keep the kind's own size.
        QCOMPARE(d.Shapes()[0]->Bounds().size(), QSize(81, 33));
    }

    void linksRoundTrip()
    {
        TDiagram d;
        QVERIFY(buildSketch(d, "s start [I] -> None; None trans -> c; c cond [x>1] -> w, l1;"
                               "l1 link -> l2; l2 link -> w; w write [x] -> e; e stop [F];"
                               "f loop [i=1:3] -> w, e"));
        QCOMPARE(static_cast<TShapeLink *>(d.FindShape("l2"))->Direction(), ldIncoming);
        const QByteArray bytes = DiagramFile::Write(d);
        TDiagram back;
        QCOMPARE(DiagramFile::Read(bytes, back), ReadStatus::Ok);
        QCOMPARE(DiagramFile::Write(back), bytes);
        // A link to a shape literally named None finds it.
        QCOMPARE(static_cast<TShapeNode *>(back.FindShape("s"))->DefaultTransition(), back.FindShape("None"));
        auto *c = static_cast<TShapeDecision *>(back.FindShape("c"));
        QCOMPARE(c->TrueState(), back.FindShape("w"));
        QCOMPARE(c->FalseState(), back.FindShape("l1"));
        auto *l1 = static_cast<TShapeLink *>(back.FindShape("l1"));
        QCOMPARE(l1->Destination(), back.FindShape("l2"));
        QCOMPARE(l1->Direction(), ldOutgoing);
        QCOMPARE(static_cast<TShapeLink *>(back.FindShape("l2"))->Direction(), ldIncoming);
    }

    void unnamedShapesGetTheirClassName()
    {
        const QByteArray file = str("ADB%QXN_2007") + int8(2)
                                + int8(4) + str("") + str("x>1") + int8(0) + int8(0) + int8(0) + int8(0)
                                + int8(4) + str("") + str("x>2") + int8(0) + int8(0) + int8(0) + int8(0)
                                + int8(4) + str("") + str("") + int8(4) + str("None") + str("None");
        TDiagram d;
        QCOMPARE(DiagramFile::Read(file, d), ReadStatus::Ok);
        QVERIFY(d.Shapes()[0]->Name.startsWith("TShapeBoolean"));
        QVERIFY(d.Shapes()[0]->Name != d.Shapes()[1]->Name);
        // An empty name in a link record finds none of them.
        QCOMPARE(static_cast<TShapeDecision *>(d.Shapes()[0])->TrueState(), nullptr);
    }

    void refusedFiles_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<int>("status");
        const int bad = int(ReadStatus::BadData), sig = int(ReadStatus::BadSignature);
        const QByteArray head = str("ADB%QXN_2007");
        QTest::newRow("an empty file") << QByteArray() << bad;
        QTest::newRow("a first value that is not a text") << int8(1) << bad;
        QTest::newRow("another signature") << str("ADB%QXN_2006") << sig;
        QTest::newRow("no count") << head << bad;
        QTest::newRow("a count of a text") << head + str("2") << bad;
        QTest::newRow("an unknown tag") << head + QByteArray(1, 7) + '\x01' << bad;
        QTest::newRow("a negative count") << head + int8(-1) << bad;
        QTest::newRow("a count the file cannot hold")
            << head + QByteArray("\x04\xFF\xFF\xFF\x7F", 5) + exampleBytes().mid(15) << bad;
        QTest::newRow("a kind of 0") << QByteArray(exampleBytes()).replace(16, 1, "\x00", 1) << bad;
        QTest::newRow("a kind of 10") << QByteArray(exampleBytes()).replace(16, 1, "\x0A", 1) << bad;
        QTest::newRow("links of another kind than their shape")
            << QByteArray(exampleBytes()).replace(exampleBytes().size() - 7, 1, "\x03", 1) << bad;
        QTest::newRow("a text longer than the file")
            << head + int8(1) + int8(3) + QByteArray("\x0C\xFF\xFF\xFF\x0F", 5) << bad;
        QTest::newRow("a wide text longer than the file")
            << head + int8(1) + int8(3) + QByteArray("\x12\x00\x00\x00\x80", 5) << bad;
        QTest::newRow("a connector that leads to itself")
            << head + int8(1) + int8(6) + str("L") + str("") + int8(0) + int8(0) + int8(0)
                   + int8(0) + int8(6) + int8(0) + str("L")
            << bad;
    }
    void refusedFiles()
    {
        QFETCH(QByteArray, bytes);
        QFETCH(int, status);
        TDiagram d;
        QString detail;
        QCOMPARE(int(DiagramFile::Read(bytes, d, &detail)), status);
        QVERIFY(!detail.isEmpty());
        QCOMPARE(d.ShapeCount(), 0);
    }

    void everyTruncationIsRefused()
    {
        const QByteArray full = exampleBytes();
        for (qsizetype n = 0; n < full.size(); ++n) {
            TDiagram d;
            QVERIFY2(DiagramFile::Read(full.left(n), d) != ReadStatus::Ok, qPrintable(QString::number(n)));
            QCOMPARE(d.ShapeCount(), 0);
        }
    }

    void savesAndLoads()
    {
        QTemporaryDir dir;
        const QString path = dir.filePath("chart.adb");
        TDiagram d;
        QVERIFY(buildSketch(d, "Control5 start [INICIO] -> Control7; Control7 stop [FIN]"));
        d.FindShape("Control7")->SetTop(72);
        QString error;
        QVERIFY(DiagramFile::Save(path, d, &error));
        QFile f(path);
        QVERIFY(f.open(QIODevice::ReadOnly));
        QCOMPARE(f.readAll(), exampleBytes());
        TDiagram back;
        QCOMPARE(DiagramFile::Load(path, back), ReadStatus::Ok);
        QCOMPARE(back.ShapeCount(), 2);

        QVERIFY(!DiagramFile::Save(dir.filePath("missing/chart.adb"), d, &error));
        QVERIFY(!error.isEmpty());
        QString detail;
        TDiagram none;
        QCOMPARE(DiagramFile::Load(dir.filePath("nothing.adb"), none, &detail), ReadStatus::BadData);
        QVERIFY(!detail.isEmpty());
    }

    // The fuzzer's seed corpus and what it found, replayed.
    void corpusFilesAreHandled_data()
    {
        QTest::addColumn<QString>("path");
        const QDir dir(QStringLiteral(QV_TEST_DATA_DIR "/fuzz-corpus/adb"));
        const QStringList files = dir.entryList(QDir::Files, QDir::Name);
        QVERIFY(!files.isEmpty());
        for (const QString &f : files)
            QTest::newRow(qPrintable(f)) << dir.filePath(f);
    }
    void corpusFilesAreHandled()
    {
        QFETCH(QString, path);
        QFile f(path);
        QVERIFY(f.open(QIODevice::ReadOnly));
        const QByteArray b = f.readAll();
        QCOMPARE(FlowFuzz::adbFile(reinterpret_cast<const uint8_t *>(b.constData()), size_t(b.size())), 0);
    }
};

QTEST_GUILESS_MAIN(TestDiagram)
#include "tst_diagram.moc"
