#pragma once

#include "calc/core/Commands.h"
#include "calc/core/Engine.h"

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

inline std::vector<CommandGroup> allCommandGroups()
{
    return {stackCommands(), arithmeticCommands(), dataCommands(), programCommands()};
}

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
