#pragma once

#include "calc/core/Commands.h"
#include "calc/core/Engine.h"

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

// A later group may define a command again for more argument types (GET for
// arrays as well as lists); the later definition wins.
inline std::vector<CommandGroup> allCommandGroups()
{
    return {stackCommands(), arithmeticCommands(), dataCommands(), programCommands(),
            numberCommands(), arrayCommands(),     graphicsCommands(), userCommands(),
            transferCommands()};
}

// Runs the first group's definition of name (checking its argument kinds)
// from a later definition that has found the arguments are not its own.
void runEarlierDefinition(Engine &e, const char *name);

// A real in extended precision, and an extended result rounded to twelve
// digits under the calculators' overflow and underflow rules.
long double extendedOf(const Real &r);
Real realOfExtended(Engine &e, long double x);

// Complex functions (trigonometry in radians, as the calculators take it
// for complex arguments).
enum class ComplexFn { Sin, Cos, Tan, Asin, Acos, Atan, Sinh, Cosh, Tanh, Asinh, Acosh, Atanh, Alog };
Value complexFunction(Engine &e, ComplexFn fn, const Value &arg);

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

// a op b for objects that are not lists (op: an id from ops()).
Value arith(Engine &e, int op, const Value &a, const Value &b);

inline Real realAt(Engine &e, size_t level)
{
    return e.level(level).asReal();
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
