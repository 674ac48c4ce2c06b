#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace Calc {

class Engine;

using CommandFn = void (*)(Engine &);

// Argument kinds a command accepts, one mask per stack level.
enum ArgMask : uint16_t {
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
    AName = AGlobal | ALocal,
    ASym = AName | AAlg,
    ANum = AReal | AComplex,
    AAny = 0xFFFF,
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
};

// One command of the table: everything the compiler, the evaluator, the
// decompiler and the coverage report know about it.
struct CommandDef
{
    const char *name; // as written, UTF-8 (mapped to calculator bytes once)
    int8_t argc;      // arguments checked before the code runs; -1: the code checks
    uint16_t args[3]; // accepted kinds for level 1, 2, 3
    uint16_t flags;
    CommandFn fn;
    uint8_t precedence = 0; // infix operators: binding strength in algebraics
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
