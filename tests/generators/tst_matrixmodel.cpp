// The matrix writer's model: growth by typing, row and column commands,
// Enter's moves, pasting, and the text it writes, run in the calculator.

#include "CalcCheck.h"
#include "generators/MatrixModel.h"

#include <QtTest>

namespace {

using Type = MatrixModel::Type;

// "r,c=text;r,c=text" typed in order.
MatrixModel typed(const QString &cells)
{
    MatrixModel m;
    for (const QString &entry : cells.split(QLatin1Char(';'), Qt::SkipEmptyParts)) {
        const QString where = entry.section(QLatin1Char('='), 0, 0);
        m.setCell(where.section(QLatin1Char(','), 0, 0).toInt(), where.section(QLatin1Char(','), 1, 1).toInt(),
                  entry.section(QLatin1Char('='), 1));
    }
    return m;
}

// The matrix's cells row by row: "1 2/3 4".
QString contents(const MatrixModel &m)
{
    QStringList rows;
    for (int r = 1; r <= m.rows(); ++r) {
        QStringList cells;
        for (int c = 1; c <= m.cols(); ++c)
            cells << m.cell(r, c);
        rows << cells.join(QLatin1Char(' '));
    }
    return rows.join(QLatin1Char('/'));
}

} // namespace

class TestMatrixModel : public QObject
{
    Q_OBJECT

private slots:
    void typing_data()
    {
        QTest::addColumn<QString>("cells");
        QTest::addColumn<QString>("size");
        QTest::addColumn<QString>("expected");
        QTest::newRow("a new matrix is empty") << "" << "0 x 0" << "";
        QTest::newRow("typing 5 at row 2, column 3 makes a 2 x 3 matrix of zeros around it")
            << "2,3=5" << "2 x 3" << "0 0 0/0 0 5";
        QTest::newRow("typing inside the matrix never changes its size")
            << "2,3=5;1,1=7;2,2=x" << "2 x 3" << "7 0 0/0 x 5";
        QTest::newRow("an emptied cell stays empty and the size stays")
            << "2,2=5;2,2=" << "2 x 2" << "0 0/0 ";
        QTest::newRow("an empty text outside the matrix does not grow it") << "1,1=1;3,3=" << "1 x 1" << "1";
        QTest::newRow("any object text is taken as typed")
            << "1,1='X^2';1,2=(1,2)" << "1 x 2" << "'X^2' (1,2)";
        QTest::newRow("the last cell of the grid") << "100,100=1" << "100 x 100" << "";
        QTest::newRow("outside the grid nothing happens") << "101,1=1;0,3=1" << "0 x 0" << "";
    }
    void typing()
    {
        QFETCH(QString, cells);
        QFETCH(QString, size);
        QFETCH(QString, expected);
        const MatrixModel m = typed(cells);
        QCOMPARE(m.sizeText(), size);
        if (m.rows() < 10)
            QCOMPARE(contents(m), expected);
    }

    void rowsAndColumns_data()
    {
        QTest::addColumn<QString>("cells");
        QTest::addColumn<QString>("command");
        QTest::addColumn<int>("at");
        QTest::addColumn<bool>("done");
        QTest::addColumn<QString>("expected");
        const QString two = QStringLiteral("1,1=1;1,2=2;2,1=3;2,2=4");
        QTest::newRow("inserting a row at row 1 gives a zero first row and moves the rows down")
            << two << "insertRow" << 1 << true << "0 0/1 2/3 4";
        QTest::newRow("inserting at the last row") << two << "insertRow" << 2 << true << "1 2/0 0/3 4";
        QTest::newRow("a row below the matrix cannot be inserted") << two << "insertRow" << 3 << false << "1 2/3 4";
        QTest::newRow("inserting a column") << two << "insertCol" << 2 << true << "1 0 2/3 0 4";
        QTest::newRow("a column right of the matrix cannot be inserted")
            << two << "insertCol" << 3 << false << "1 2/3 4";
        QTest::newRow("deleting the first row") << two << "deleteRow" << 1 << true << "3 4";
        QTest::newRow("deleting the last column") << two << "deleteCol" << 2 << true << "1/3";
        QTest::newRow("deleting the only row of a 1 x 3 matrix leaves 0 x 0")
            << "1,3=1" << "deleteRow" << 1 << true << "";
        QTest::newRow("deleting the only column leaves 0 x 0") << "3,1=1" << "deleteCol" << 1 << true << "";
        QTest::newRow("nothing to delete in an empty matrix") << "" << "deleteRow" << 1 << false << "";
    }
    void rowsAndColumns()
    {
        QFETCH(QString, cells);
        QFETCH(QString, command);
        QFETCH(int, at);
        QFETCH(bool, done);
        QFETCH(QString, expected);
        MatrixModel m = typed(cells);
        bool result = false;
        if (command == "insertRow")
            result = m.insertRow(at);
        else if (command == "insertCol")
            result = m.insertCol(at);
        else if (command == "deleteRow")
            result = m.deleteRow(at);
        else
            result = m.deleteCol(at);
        QCOMPARE(result, done);
        QCOMPARE(contents(m), expected);
        QVERIFY((m.rows() == 0) == (m.cols() == 0));
    }

    void deletedCellsAreEmptiedSoTheyDoNotReturn()
    {
        MatrixModel m = typed("1,1=1;2,2=4");
        QVERIFY(m.deleteRow(1));
        QCOMPARE(m.cell(2, 1), QString());
        QCOMPARE(m.cell(2, 2), QString());
        // Growing again fills the freed row with zeros, not the old values.
        m.setCell(2, 1, "9");
        QCOMPARE(contents(m), QString("0 4/9 0"));
    }

    void insertingIntoAFullGridPushesTheLastRowOut()
    {
        MatrixModel m = typed("100,2=7;100,1=last");
        QVERIFY(m.insertRow(1));
        QCOMPARE(m.rows(), 100);
        QCOMPARE(m.cell(100, 1), QString("0"));
        QVERIFY(m.insertCol(1));
        QCOMPARE(m.cols(), 3);
        QCOMPARE(m.cell(2, 1), QString("0"));
    }

    void enterMoves_data()
    {
        QTest::addColumn<int>("row");
        QTest::addColumn<int>("col");
        QTest::addColumn<bool>("down");
        QTest::addColumn<int>("toRow");
        QTest::addColumn<int>("toCol");
        QTest::newRow("to the right") << 3 << 4 << false << 3 << 5;
        QTest::newRow("downwards") << 3 << 4 << true << 4 << 4;
        QTest::newRow("the last column wraps to the next row") << 3 << 100 << false << 4 << 1;
        QTest::newRow("the last row wraps to the next column") << 100 << 4 << true << 1 << 5;
        QTest::newRow("the grid's last cell stays, going right") << 100 << 100 << false << 100 << 100;
        QTest::newRow("the grid's last cell stays, going down") << 100 << 100 << true << 100 << 100;
    }
    void enterMoves()
    {
        QFETCH(int, row);
        QFETCH(int, col);
        QFETCH(bool, down);
        QFETCH(int, toRow);
        QFETCH(int, toCol);
        const auto to = MatrixModel::next({row, col}, down ? MatrixModel::Advance::Down : MatrixModel::Advance::Right);
        QCOMPARE(to.row, toRow);
        QCOMPARE(to.col, toCol);
    }

    void pasting_data()
    {
        QTest::addColumn<QString>("cells");
        QTest::addColumn<int>("row");
        QTest::addColumn<int>("col");
        QTest::addColumn<QString>("clipboard");
        QTest::addColumn<bool>("whole");
        QTest::addColumn<QString>("expected");
        QTest::newRow("a spreadsheet block with its final line end")
            << "" << 1 << 1 << "1\t2\r\n3\t4\r\n" << true << "1 2/3 4";
        QTest::newRow("from the selected cell, zeros in the gaps")
            << "" << 2 << 2 << "5\t6\n7" << true << "0 0 0/0 5 6/0 7 0";
        QTest::newRow("over an existing matrix") << "1,1=1;2,2=4" << 1 << 2 << "x\ny" << true << "1 x/0 y";
        QTest::newRow("blanks around numbers are dropped") << "" << 1 << 1 << " 1 \t 2 " << true << "1 2";
        QTest::newRow("what falls beyond the grid is cut and said so")
            << "" << 1 << 99 << "1\t2\t3" << false << "";
        QTest::newRow("empty cells beyond the grid are no loss") << "" << 1 << 100 << "1\t\t" << true << "";
    }
    void pasting()
    {
        QFETCH(QString, cells);
        QFETCH(int, row);
        QFETCH(int, col);
        QFETCH(QString, clipboard);
        QFETCH(bool, whole);
        QFETCH(QString, expected);
        MatrixModel m = typed(cells);
        QCOMPARE(m.paste(row, col, clipboard), whole);
        if (m.cols() < 99)
            QCOMPARE(contents(m), expected);
        else
            QCOMPARE(m.cell(row, col), QString("1"));
    }

    void text_data()
    {
        QTest::addColumn<QString>("cells");
        QTest::addColumn<int>("type");
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("object");
        QTest::addColumn<QString>("size");
        QTest::newRow("a 2 x 2 matrix: trailing blanks and a lone CR after the last row")
            << "1,1=1;1,2=2;2,1=3;2,2=4" << int(Type::Matrix) << "[ [ 1 2 ] \r\n[ 3 4 ] \r]|"
            << "[[1. 2.] [3. 4.]]" << "{ 2. 2. }";
        QTest::newRow("a one-row vector is flat") << "1,1=1;1,2=2;1,3=3" << int(Type::Vector) << "[ 1 2 3 ]|"
                                                  << "[1. 2. 3.]" << "{ 3. }";
        QTest::newRow("a one-row matrix is nested") << "1,1=1;1,2=2" << int(Type::Matrix) << "[ [ 1 2 ] \r]|"
                                                    << "[[1. 2.]]" << "{ 1. 2. }";
        QTest::newRow("a vector with two rows is written like a matrix")
            << "1,1=1;2,1=2" << int(Type::Vector) << "[ [ 1 ] \r\n[ 2 ] \r]|" << "[[1.] [2.]]" << "{ 2. 1. }";
        QTest::newRow("an empty matrix") << "" << int(Type::Matrix) << "[]|" << "" << "";
        QTest::newRow("an empty list") << "" << int(Type::List) << "{}|" << "{ }" << "0.";
        QTest::newRow("a one-row list") << "1,1=a;1,2=b" << int(Type::List) << "{ { a b } \r}|"
                                        << "{ { a b } }" << "1.";
        QTest::newRow("an emptied cell is written as 0, so the rows stay equal")
            << "1,1=1;2,2=4;1,1=" << int(Type::Matrix) << "[ [ 0 0 ] \r\n[ 0 4 ] \r]|"
            << "[[0. 0.] [0. 4.]]" << "{ 2. 2. }";
        QTest::newRow("complex elements") << "1,1=(1,2);1,2=3" << int(Type::Vector) << "[ (1,2) 3 ]|"
                                          << "[(1.,2.) (3.,0.)]" << "{ 2. }";
    }
    void text()
    {
        QFETCH(QString, cells);
        QFETCH(int, type);
        QFETCH(QString, text);
        QFETCH(QString, object);
        QFETCH(QString, size);
        const QString generated = typed(cells).generate(Type(type));
        QCOMPARE(generated, text);
        if (object.isEmpty())
            return; // "[]" is no object the calculator makes
        const QStringList stack = CalcCheck::run(CalcCharset::encode(generated), {"DUP", "SIZE"});
        QCOMPARE(stack, QStringList({object, size}));
    }

    void aFullGridCompiles()
    {
        MatrixModel m;
        m.setCell(100, 100, "1");
        const QStringList stack = CalcCheck::run(CalcCharset::encode(m.generate(Type::Matrix)), {"SIZE"});
        QCOMPARE(stack, QStringList({"{ 100. 100. }"}));
    }
};

QTEST_GUILESS_MAIN(TestMatrixModel)
#include "tst_matrixmodel.moc"
