#pragma once

#include <QChar>
#include <QString>
#include <QStringList>

#include <memory>
#include <span>

// The arithmetic and logical expressions of a flowchart's Action, Condition
// and loop shapes. A formula is parsed once into a tree whose variables are
// indexes into the name list; Calculate then computes the tree over an array
// of values, in 80-bit extended precision. Truth values are 1 and 0.
//
// Parsing never fails loudly: a formula that does not parse leaves an empty
// tree, and the caller learns of it when it calculates, as it learns of every
// arithmetic fault. No NaN and no infinity ever comes out of Calculate.
class TCalcExpress
{
public:
    // Node and token codes.
    enum Code {
        End = 0, Open = 1, Close = 2, Plus = 3, Minus = 4, Times = 5, Divide = 6,
        Number = 7, Variable = 8, Negate = 9,
        Cos = 10, Sin, Tan, Ctg, Abs, Sgn, Sqr, Ln, Exp, ArcSin, ArcCos, ArcTan, ArcCtg,
        SinH, CosH, TanH, CtgH, Log, Not = 28,
        Power = 31, Mod = 32, IntDiv = 33, And = 34, Or = 35,
        Equal = 36, NotEqual = 37, Greater = 38, Less = 39, LessEqual = 40, GreaterEqual = 41,
    };

    // Deeper formulas are parse errors, so that neither parsing nor
    // calculating can exhaust the stack.
    static constexpr int MaxNesting = 200;    // parentheses and function calls
    static constexpr int MaxTreeDepth = 2000; // chained operators

    struct Result
    {
        bool ok = false;
        long double value = 0;
        QString error; // why it failed (a parse error or an arithmetic fault)
    };

    // Formula "0", no variables; the decimal separator is the locale's.
    TCalcExpress();
    ~TCalcExpress();
    TCalcExpress(const TCalcExpress &) = delete;
    TCalcExpress &operator=(const TCalcExpress &) = delete;

    // Stored lower-cased and parsed at once.
    void setFormula(const QString &formula);
    const QString &formula() const { return m_formula; }
    // The names whose positions are the value indexes; parses the formula again.
    void setVariables(const QStringList &names);
    const QStringList &variables() const { return m_variables; }
    // The character that separates a number's fraction; parses again.
    void setDecimalSeparator(QChar separator);
    QChar decimalSeparator() const { return m_separator; }

    // True when the last formula parsed into a tree.
    bool isValid() const { return m_root != nullptr; }
    // The parse error of the last formula, empty when it parsed.
    const QString &parseError() const { return m_parseError; }

    Result Calculate(std::span<const long double> values) const;

    // text as a number the way the tokenizer reads one (optional leading
    // minus, digits, separator and digits, exponent), surrounding spaces
    // allowed; false for anything else and for values out of range.
    static bool toNumber(const QString &text, QChar separator, long double &value);

    struct Node;

private:
    void parse();

    QString m_formula;
    QStringList m_variables;
    QChar m_separator;
    std::unique_ptr<Node> m_root;
    QString m_parseError;
};
