#pragma once

#include "calc/core/Commands.h"
#include "calc/core/Engine.h"
#include "calc/core/Integer.h"

#include <algorithm>
#include <vector>

// What the command families share: their tables and small helpers for the
// code of a command. Arguments have been counted and type-checked by the
// evaluator against the table before the code runs (level 1 = args[0]).
namespace Calc {

struct CommandGroup
{
    const CommandDef *defs;
    size_t count;
};

template <size_t N> CommandGroup group(const CommandDef (&defs)[N])
{
    return CommandGroup{defs, N};
}

CommandGroup stackCommands();
CommandGroup arithmeticCommands();
CommandGroup dataCommands();
CommandGroup programCommands();
CommandGroup numberCommands();
CommandGroup arrayCommands();
CommandGroup graphicsCommands();
CommandGroup userCommands();
CommandGroup transferCommands();
CommandGroup everydayCommands();
CommandGroup statisticsCommands();
CommandGroup unitCommands();
CommandGroup integerCommands();
CommandGroup plotCommands();
CommandGroup matrixCommands();
CommandGroup numericCommands();
CommandGroup calculusCommands();
CommandGroup eigenCommands();

// Every command has one row in one of the groups.
inline std::vector<CommandGroup> allCommandGroups()
{
    return {stackCommands(), arithmeticCommands(), dataCommands(), programCommands(),
            numberCommands(), arrayCommands(),     graphicsCommands(), userCommands(),
            transferCommands(), everydayCommands(), statisticsCommands(),
            unitCommands(), integerCommands(), plotCommands(), matrixCommands(),
            numericCommands(), calculusCommands(), eigenCommands()};
}

// Overloads that a row of another family lists: the general object commands
// (SIZE, SUB, REPL, OBJ→, NUM, →STR, STO, RCL, GET, PUT ...) for pictures
// (a GROB or PICT), arrays, characters and units. Each expects the kinds its
// row names.
void sizeOfPicture(Engine &e);
void sizeOfArray(Engine &e);
void subOfPicture(Engine &e);
void subOfArray(Engine &e);
void replOfPicture(Engine &e);
void replOfArray(Engine &e);
void objOfArray(Engine &e);
void objOfUnit(Engine &e);
void strOfCharacter(Engine &e);
void numOfCharacter(Engine &e);
void storePict(Engine &e);
void recallPict(Engine &e);
// GET, GETI (incremental), PUT and PUTI of an array given directly or held
// in a variable.
void getArrayElement(Engine &e, bool incremental);
void putArrayElement(Engine &e, bool incremental);

// An extended result rounded to twelve digits under the calculators'
// overflow and underflow rules.
Real realOfExtended(Engine &e, long double x);

// A real or complex number as its two parts (a real has no imaginary part).
struct Cx
{
    Real re, im;
};

inline Cx cxOf(const Value &v)
{
    if (v.type() == Type::Complex)
        return {v.asComplex()->re, v.asComplex()->im};
    return {v.asReal(), Real{}};
}

// Complex functions (trigonometry in radians, as the calculators take it
// for complex arguments).
enum class ComplexFn { Sin, Cos, Tan, Asin, Acos, Atan, Sinh, Cosh, Tanh, Asinh, Acosh, Atanh, Alog };
Value complexFunction(Engine &e, ComplexFn fn, const Value &arg);

// A text drawn in character cells: size 1 small (6 x 7), 2 medium (6 x 8),
// 3 and 0 large (6 x 10); one text line per line of the picture.
Value textGrob(const std::string &text, int size);

// Where the last operand before position end of an algebraic begins (items
// in evaluation order): walking back, each item fills one place and opens
// its arity.
size_t rightOperandStart(const std::vector<Value> &items, size_t end);

// Arithmetic with an array on either side (op: an id from ops()).
Value arrayArith(Engine &e, int op, const Value &a, const Value &b);
// NEG, ABS, INV and SQ of an array.
enum class ArrayUnary { Neg, Abs, Inv, Sq };
Value arrayUnary(Engine &e, ArrayUnary which, const Value &a);
// R->C, C->R, RE, IM, CONJ with arrays on the stack.
void arrayRealsToComplex(Engine &e);
void arrayComplexToReals(Engine &e);
void arrayPart(Engine &e, bool imaginary);
void arrayConj(Engine &e);

// a op b element by element where either is a list (lists of one size, or a
// list and a single object on either side; nested lists in turn); op add
// adds the elements (ADD), it does not join the lists as + does.
Value listArith(Engine &e, int op, const Value &a, const Value &b);
// + of lists: a list with b's elements (or b itself) after a's. When the
// stack level or variable that holds a is its only holder, a grows in place.
Value joinLists(Engine &e, Value &a, const Value &b);

// a op b for objects that are not lists (op: an id from ops()).
Value arith(Engine &e, int op, const Value &a, const Value &b);

// Unit objects: a op b with a unit on either side (the result of + and - is
// in level 1's unit), the order of two units of one dimension, and the
// overloads of NEG, ABS, INV, SQ and √.
Value unitArith(Engine &e, int op, const Value &a, const Value &b);
int compareUnits(Engine &e, const Value &a, const Value &b);
void negOfUnit(Engine &e);
void absOfUnit(Engine &e);
void invOfUnit(Engine &e);
void sqOfUnit(Engine &e);
void sqrtOfUnit(Engine &e);

// Exact integers (CmdInteger): the overloads of NEG, ABS, SQ, INV, ! and
// FACT.
void negOfInteger(Engine &e);
void absOfInteger(Engine &e);
void sqOfInteger(Engine &e);
void invOfInteger(Engine &e);
void factOfInteger(Engine &e);

// A real, or an exact integer where a command takes a real (the 49 family's
// commands take one as the other).
inline bool isRealArg(const Value &v)
{
    return v.type() == Type::Real || v.type() == Type::Integer;
}

inline Real realOfArg(Engine &e, const Value &v)
{
    return v.type() == Type::Integer ? integerToReal(e, v) : v.asReal();
}

// The same where no overflow rule applies (counts, indices, data points).
inline Real realOfNumber(const Value &v)
{
    return v.type() == Type::Integer ? integerToRealQuiet(v) : v.asReal();
}

inline Real realAt(Engine &e, size_t level)
{
    return realOfArg(e, e.level(level));
}

// A real argument used as a count or an index: its integer part; values that
// do not fit are "Bad Argument Value".
inline int64_t intAt(Engine &e, size_t level, int64_t lo = INT32_MIN, int64_t hi = INT32_MAX)
{
    const Value &v = e.level(level);
    Real r;
    if (v.type() == Type::Real)
        r = v.asReal();
    else if (v.type() == Type::Binary)
        r = Real::fromInt(static_cast<int64_t>(v.asBinary() & 0x7FFFFFFFFFFFFFFFULL));
    else if (v.type() == Type::Integer)
        r = integerToReal(e, v);
    else
        throw CalcError(Err::BadArgumentType);
    bool ok = false;
    const int64_t i = intPart(r).toInt(&ok);
    if (!ok || i < lo || i > hi)
        throw CalcError(Err::BadArgumentValue);
    return i;
}

inline Value truth(bool b)
{
    return Value::real(b ? 1 : 0);
}

} // namespace Calc
