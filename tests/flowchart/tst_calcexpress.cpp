// The expression evaluator of the flowchart's Action, Condition and loop
// blocks: what each formula computes, what refuses to parse, and which
// arithmetic faults end in an error instead of a NaN or an infinity.
#include "flowchart/CalcExpress.h"

#include <QtTest>

#include <cmath>
#include <numbers>

namespace {

// Variables x, y, Pi for every row; x = 5, y = -2.5.
const QStringList Names = {"x", "y", "Pi"};
const long double Values[] = {5, -2.5, std::numbers::pi_v<long double>};

TCalcExpress::Result calculate(const QString &formula, QChar separator = '.')
{
    TCalcExpress e;
    e.setDecimalSeparator(separator);
    e.setFormula(formula);
    e.setVariables(Names);
    return e.Calculate(Values);
}

} // namespace

class TestCalcExpress : public QObject
{
    Q_OBJECT

private slots:
    void computes_data()
    {
        QTest::addColumn<QString>("formula");
        QTest::addColumn<double>("expected");

        QTest::newRow("a number") << "42" << 42.0;
        QTest::newRow("a fraction and an exponent") << "2.5e2" << 250.0;
        QTest::newRow("an exponent with a sign") << "25E-1" << 2.5;
        QTest::newRow("a variable") << "x" << 5.0;
        QTest::newRow("variables ignore case") << "X + Y" << 2.5;
        QTest::newRow("pi finds the variable Pi") << "pi" << 3.14159265358979;
        QTest::newRow("times before plus") << "1+2*3" << 7.0;
        QTest::newRow("left to right on one level") << "10-4-3" << 3.0;
        QTest::newRow("division") << "7/2" << 3.5;
        QTest::newRow("parentheses") << "(1+2)*3" << 9.0;
        QTest::newRow("spaces are skipped") << " ( 1 + 2 ) * 3 " << 9.0;
        QTest::newRow("a leading minus glued to a number is part of it") << "-7 mod 2" << -1.0;
        QTest::newRow("a leading minus negates the whole term") << "-x*2" << -10.0;
        QTest::newRow("a leading minus before a spaced power gives -4") << "- 2^2" << -4.0;
        QTest::newRow("a negative number glued to its minus is the base") << "-2^2" << 4.0;
        QTest::newRow("a leading plus is skipped") << "+x" << 5.0;
        QTest::newRow("a minus after an opening parenthesis") << "2*(-x)" << -10.0;
        QTest::newRow("powers chain to the left") << "2^3^2" << 64.0;
        QTest::newRow("a power of a variable in parentheses") << "2^(x)" << 32.0;
        QTest::newRow("a negative whole power is a reciprocal") << "2^(-1)" << 0.5;
        QTest::newRow("a negative base with a whole power") << "y^2" << 6.25;
        QTest::newRow("a fractional power") << "4^0.5" << 2.0;
        QTest::newRow("zero to a fractional power is 0") << "0^0.5" << 0.0;
        QTest::newRow("anything to the power 0 is 1") << "y^0" << 1.0;
        QTest::newRow("10 mod 3") << "10 mod 3" << 1.0;
        QTest::newRow("7\\2 is 3") << "7\\2" << 3.0;
        QTest::newRow("7.9\\2 is 3: operands are truncated") << "7.9\\2" << 3.0;
        QTest::newRow("not(0) is 1") << "not(0)" << 1.0;
        QTest::newRow("not(1) is 0") << "not(1)" << 0.0;
        QTest::newRow("not(2) is 3") << "not(2)" << 3.0;
        QTest::newRow("256 and 1 is 0: only the lowest 8 bits count") << "256 and 1" << 0.0;
        QTest::newRow("3 and 1 is 1") << "3 and 1" << 1.0;
        QTest::newRow("0 or 2 is 1") << "0 or 2" << 1.0;
        QTest::newRow("x>3 is 1") << "x>3" << 1.0;
        QTest::newRow("x<3 is 0") << "x<3" << 0.0;
        QTest::newRow("x>=5 and x<=5") << "(x>=5) and (x<=5)" << 1.0;
        QTest::newRow("x=5") << "x=5" << 1.0;
        QTest::newRow("x<>5") << "x<>5" << 0.0;
        QTest::newRow("(x>3) and (x<10) tests both bounds") << "(x>3) and (x<10)" << 1.0;
        QTest::newRow("x>3 and x<10 is (x > (3 and x)) < 10") << "x>3 and x<10" << 1.0;
        QTest::newRow("comparisons share the level of plus: a+b>c") << "x+1>5" << 1.0;
        QTest::newRow("comparisons share the level of plus: a>b+c") << "x>4+1" << 2.0;
        QTest::newRow("function names ignore case") << "SIN(0)+Cos(0)" << 1.0;
        QTest::newRow("tan") << "tan(0)" << 0.0;
        QTest::newRow("ctg") << "ctg(pi/4)" << 1.0;
        QTest::newRow("abs") << "abs(y)" << 2.5;
        QTest::newRow("sgn of a negative") << "sgn(y)" << -1.0;
        QTest::newRow("sgn of zero") << "sgn(0)" << 0.0;
        QTest::newRow("sqr is the square root") << "sqr(16)" << 4.0;
        QTest::newRow("ln and exp") << "ln(exp(2))" << 2.0;
        QTest::newRow("log is base 10") << "log(1000)" << 3.0;
        QTest::newRow("arcsin") << "arcsin(1)*2" << 3.14159265358979;
        QTest::newRow("arccos") << "arccos(1)" << 0.0;
        QTest::newRow("arctan") << "arctan(1)*4" << 3.14159265358979;
        QTest::newRow("arcctg") << "arcctg(0)*2" << 3.14159265358979;
        QTest::newRow("sinh") << "sinh(0)" << 0.0;
        QTest::newRow("cosh") << "cosh(0)" << 1.0;
        QTest::newRow("tanh") << "tanh(0)" << 0.0;
        QTest::newRow("ctgh") << "ctgh(1)" << 1.31303528549933;
        QTest::newRow("a function of an expression") << "abs(x-10)" << 5.0;
        QTest::newRow("and does not look at its right side when the left is false")
            << "0 and (1/0)" << 0.0;
        QTest::newRow("or does not look at its right side when the left is true")
            << "1 or (1/0)" << 1.0;
    }
    void computes()
    {
        QFETCH(QString, formula);
        QFETCH(double, expected);
        const TCalcExpress::Result r = calculate(formula);
        QVERIFY2(r.ok, qPrintable(r.error));
        QVERIFY2(std::fabs(double(r.value) - expected) < 1e-12 * std::max(1.0, std::fabs(expected)),
                 qPrintable(QString::number(double(r.value), 'g', 17)));
    }

    void refuses_data()
    {
        QTest::addColumn<QString>("formula");

        QTest::newRow("an unclosed parenthesis") << "(1+2";
        QTest::newRow("a stray closing parenthesis") << "1+2)";
        QTest::newRow("an empty formula") << "";
        QTest::newRow("a minus after another operator") << "x+-1";
        QTest::newRow("a minus after times") << "2*-3";
        QTest::newRow("a power of an expression") << "2^(x+1)";
        QTest::newRow("a power of nothing") << "2^";
        QTest::newRow("a bare negative exponent") << "2^-1";
        QTest::newRow("a power with an unclosed parenthesis") << "2^(x";
        QTest::newRow("a function without parenthesis") << "sin x";
        QTest::newRow("an operator missing") << "(1)2";
        QTest::newRow("an unknown variable") << "z+1";
        QTest::newRow("a character that starts no token") << "#1";
        QTest::newRow("a point that starts no token") << ".5";
        QTest::newRow("<< is no operator") << "1<<2";
        QTest::newRow("=< is no operator") << "1=<2";
        QTest::newRow(">> is no operator") << "1>>2";
        QTest::newRow("a number ending in its separator") << "2.";
        QTest::newRow("an exponent without digits") << "2e";
        QTest::newRow("an exponent with only a sign") << "2e+";
        QTest::newRow("a tab is not a space") << "1\t+2";
    }
    void refuses()
    {
        QFETCH(QString, formula);
        TCalcExpress e;
        e.setDecimalSeparator('.');
        e.setVariables(Names);
        e.setFormula(formula);
        QVERIFY(!e.isValid());
        const TCalcExpress::Result r = e.Calculate(Values);
        QVERIFY(!r.ok);
        QVERIFY(!r.error.isEmpty());
    }

    void faultsAreErrors_data()
    {
        QTest::addColumn<QString>("formula");

        QTest::newRow("division by zero") << "1/0";
        QTest::newRow("integer division by zero") << "7\\0";
        QTest::newRow("mod by zero") << "7 mod 0.5";
        QTest::newRow("square root of a negative") << "sqr(y)";
        QTest::newRow("logarithm of a negative") << "ln(y)";
        QTest::newRow("logarithm of zero") << "log(0)";
        QTest::newRow("a negative base with a fractional exponent") << "y^0.5";
        QTest::newRow("zero to a negative power") << "0^(-1)";
        QTest::newRow("overflow") << "10^4000*10^4000";
        QTest::newRow("exp overflows") << "exp(100000)";
        QTest::newRow("arcsin out of its range") << "arcsin(2)";
        QTest::newRow("ctg of 0") << "ctg(0)";
        QTest::newRow("ctgh of 0") << "ctgh(0)";
        QTest::newRow("a number too large") << "1e99999";
        QTest::newRow("truncating a number beyond 64 bits") << "1e30 mod 7";
    }
    void faultsAreErrors()
    {
        QFETCH(QString, formula);
        TCalcExpress e;
        e.setDecimalSeparator('.');
        e.setVariables(Names);
        e.setFormula(formula);
        QVERIFY2(e.isValid(), qPrintable(e.parseError()));
        const TCalcExpress::Result r = e.Calculate(Values);
        QVERIFY(!r.ok);
        QVERIFY(!r.error.isEmpty());
    }

    void commaLocale()
    {
        QCOMPARE(double(calculate("2,5*2", ',').value), 5.0);
        QVERIFY(!calculate("2.5", ',').ok);
    }

    void formulaIsStoredLowerCased()
    {
        TCalcExpress e;
        QCOMPARE(e.formula(), QString("0"));
        QCOMPARE(double(e.Calculate({}).value), 0.0);
        e.setFormula("SIN(X)");
        QCOMPARE(e.formula(), QString("sin(x)"));
        // Names set afterwards resolve the formula again.
        QVERIFY(!e.isValid());
        e.setVariables({"X"});
        QVERIFY(e.isValid());
    }

    void hugeFormulasEndInAParseError_data()
    {
        QTest::addColumn<QString>("formula");
        QTest::newRow("10,000 nested parentheses")
            << QString(10000, '(') + "1" + QString(10000, ')');
        QTest::newRow("10,000 nested functions") << QString("sin(").repeated(10000) + "1"
                                                        + QString(10000, ')');
        QTest::newRow("100,000 characters of sums") << QString("1+").repeated(50000) + "1";
        QTest::newRow("a long chain of powers") << QString("2").append(QString("^1").repeated(40000));
    }
    void hugeFormulasEndInAParseError()
    {
        QFETCH(QString, formula);
        TCalcExpress e;
        e.setFormula(formula);
        QVERIFY(!e.isValid());
        QVERIFY(!e.Calculate(Values).ok);
    }

    void toNumber_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<bool>("ok");
        QTest::addColumn<double>("value");
        QTest::newRow("a whole number") << " 12 " << true << 12.0;
        QTest::newRow("a negative fraction") << "-2.25" << true << -2.25;
        QTest::newRow("an exponent") << "1.5e3" << true << 1500.0;
        QTest::newRow("a name") << "x" << false << 0.0;
        QTest::newRow("an expression") << "1+2" << false << 0.0;
        QTest::newRow("nothing") << "" << false << 0.0;
        QTest::newRow("infinity is not a number here") << "inf" << false << 0.0;
    }
    void toNumber()
    {
        QFETCH(QString, text);
        QFETCH(bool, ok);
        QFETCH(double, value);
        long double v = 0;
        QCOMPARE(TCalcExpress::toNumber(text, '.', v), ok);
        if (ok)
            QCOMPARE(double(v), value);
    }
};

QTEST_GUILESS_MAIN(TestCalcExpress)
#include "tst_calcexpress.moc"
