#pragma once

#include "calc/core/Object.h"

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace Calc {

class Engine;

using CommandFn = void (*)(Engine &);

// Argument kinds a command accepts, one mask per stack level.
enum ArgMask : uint32_t {
    AReal = 1 << 0,
    ABin = 1 << 1,
    AComplex = 1 << 2,
    AString = 1 << 3,
    AList = 1 << 4,
    AProgram = 1 << 5,
    AAlg = 1 << 6,
    AGlobal = 1 << 7,
    ALocal = 1 << 8,
    ATagged = 1 << 9,
    ADir = 1 << 10,
    ACmd = 1 << 11,
    AArray = 1 << 12,
    AGrob = 1 << 13,
    AChar = 1 << 14,
    AUnit = 1 << 15,
    AInt = 1 << 16, // an exact integer (a command without it is given a real)
    AName = AGlobal | ALocal,
    ASym = AName | AAlg,
    ANum = AReal | AComplex,
    AAny = 0xFFFFFFFF,
};

enum CmdFlag : uint16_t {
    // usable in algebraics; symbolic arguments make an algebraic result
    Function = 1 << 0,
    // IF, THEN, FOR ...: compiled into jumps, run by the evaluator itself
    Structure = 1 << 1,
    // arguments keep their tags (others see the tagged object's value)
    KeepTags = 1 << 2,
    // LASTARG does not remember the arguments
    NoLastArg = 1 << 3,
    // only on the 48 series / only on the 49 family
    Only48 = 1 << 4,
    Only49 = 1 << 5,
    // algebraic syntax: infix operator, prefix operator, postfix operator
    Infix = 1 << 6,
    Prefix = 1 << 7,
    Postfix = 1 << 8,
    // a constant (pi, e, i, MAXR, MINR): symbolic unless numeric results
    Constant = 1 << 9,
    // applied to each element of a list argument that no overload takes, as
    // functions are (IFT, IFTE, →NUM ...)
    ListWise = 1 << 10,
};

// The kind bit of an object type (0 for the types no command takes). A type
// added to Type without its kind here does not compile.
#pragma GCC diagnostic push
#pragma GCC diagnostic error "-Wswitch"
constexpr uint32_t kindOf(Type t)
{
    switch (t) {
    case Type::Null:
    case Type::Native:
        return 0;
    case Type::Real:
        return AReal;
    case Type::Binary:
        return ABin;
    case Type::Command:
        return ACmd;
    case Type::Complex:
        return AComplex;
    case Type::String:
        return AString;
    case Type::List:
        return AList;
    case Type::Program:
        return AProgram;
    case Type::Algebraic:
        return AAlg;
    case Type::GlobalName:
        return AGlobal;
    case Type::LocalName:
        return ALocal;
    case Type::Tagged:
        return ATagged;
    case Type::Directory:
        return ADir;
    case Type::Array:
        return AArray;
    case Type::Grob:
        return AGrob;
    case Type::Character:
        return AChar;
    case Type::Unit:
        return AUnit;
    case Type::Integer:
        return AInt;
    }
    return 0;
}
#pragma GCC diagnostic pop

// Whether v is of one of the kinds of mask. A tagged object counts as its
// value unless keepTags (the command sees the tag).
inline bool hasKind(const Value &v, uint32_t mask, bool keepTags)
{
    const Value &x = v.type() == Type::Tagged && !keepTags ? v.asTagged()->value : v;
    return (kindOf(x.type()) & mask) != 0;
}

// More argument kinds a command takes, with the code that handles them.
struct Overload
{
    uint32_t args[3]; // accepted kinds for level 1, 2, 3
    CommandFn fn;
};

// One command of the table: everything the compiler, the evaluator, the
// decompiler and the coverage report know about it. Each command has one
// row; a command that takes several kinds of arguments (SIZE of a string,
// a picture or an array) lists them there: the evaluator runs the code of the
// first of (args, fn), more[0], more[1] ... whose kinds the arguments have.
struct CommandDef
{
    const char *name; // as written, UTF-8 (mapped to calculator bytes once)
    int8_t argc;      // arguments checked before the code runs; -1: the code checks
    uint32_t args[3]; // accepted kinds for level 1, 2, 3
    uint16_t flags;
    CommandFn fn;
    uint8_t precedence = 0; // infix operators: binding strength in algebraics
    Overload more[3] = {};  // further kinds, in the order they are tried
};

struct CommandInfo
{
    std::string name; // calculator bytes
    CommandDef def;
    int id = -1;
    bool implemented = false;
};

// Fixed ids of the words the compiler and the evaluator treat specially.
enum Op : int {
    OpIF,
    OpTHEN,
    OpELSE,
    OpEND,
    OpCASE,
    OpIFERR,
    OpSTART,
    OpFOR,
    OpNEXT,
    OpSTEP,
    OpDO,
    OpUNTIL,
    OpWHILE,
    OpREPEAT,
    OpLocals, // the arrow that binds local variables
    OpFirstOrdinary,
};

// Roles of structure words after linking (Value::role()).
enum Role : int {
    RoleNone = 0,
    RoleJump,        // continue at target
    RoleJumpIfFalse, // pop a flag; when false continue at target
    RoleIferr,       // start a protected clause; target = its THEN
    RoleIferrThen,   // protected clause done: continue at target
};

// The code of the first overload of d whose kinds the top d.argc levels of
// stack have (the last element is level 1); nullptr when none has. Only
// for d.argc > 0 and a stack that deep.
CommandFn overloadFor(const CommandDef &d, const std::vector<Value> &stack);
// Every kind some overload of d takes at level + 1.
uint32_t acceptedKinds(const CommandDef &d, int level);

const CommandInfo &commandInfo(int id);
int commandCount();
// The id of the command spelled so (calculator bytes) on the 49 family or
// the 48 series, or -1 (then the word is an ordinary name on that model).
int findCommand(std::string_view name, bool is49 = true);
// Arguments an algebraic function takes (for the expression tree).
int commandArity(int id);
// Ids of a few commands that the evaluator builds algebraics with.
struct CommonOps
{
    int add, sub, mul, div, pow, neg, eq, same, sqrt, inv, equation;
};
const CommonOps &ops();

// How many of the known commands have code.
struct Coverage
{
    int known = 0;
    int implemented = 0;
    std::vector<std::string> missing; // UTF-8
};
Coverage coverage(bool is49);
// Every command name of the model, in calculator bytes.
std::vector<std::string> knownCommandNames(bool is49);

} // namespace Calc
