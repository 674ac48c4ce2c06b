#pragma once

#include <cstdint>
#include <optional>
#include <string>

namespace Calc {

// Every error the calculator raises: its name here, its number (what ERRN
// returns) and its text as the calculators show it (what ERRM returns). The
// last two are this machine's own and say what to do instead.
//   X(name, number, text)
#define CALC_ERRORS(X)                                                                             \
    X(InsufficientMemory, 0x001, "Insufficient Memory")                                            \
    X(DirectoryRecursion, 0x002, "Directory Recursion")                                            \
    X(UndefinedLocalName, 0x003, "Undefined Local Name")                                           \
    X(UndefinedXlibName, 0x004, "Undefined XLIB Name")                                             \
    X(MemoryClear, 0x005, "Memory Clear")                                                          \
    X(PowerLost, 0x006, "Power Lost")                                                              \
    X(ObjectInUse, 0x009, "Object In Use")                                                         \
    X(NoRoomToSaveStack, 0x101, "No Room to Save Stack")                                           \
    X(CantEditNullChar, 0x102, "Can't Edit Null Char.")                                            \
    X(InvalidUserFunction, 0x103, "Invalid User Function")                                         \
    X(NoCurrentEquation, 0x104, "No Current Equation")                                             \
    X(InvalidSyntax, 0x106, "Invalid Syntax")                                                      \
    X(HaltNotAllowed, 0x128, "HALT Not Allowed")                                                   \
    X(WrongArgumentCount, 0x12A, "Wrong Argument Count")                                           \
    X(CircularReference, 0x12B, "Circular Reference")                                              \
    X(DirectoryNotAllowed, 0x12C, "Directory Not Allowed")                                         \
    X(NonEmptyDirectory, 0x12D, "Non-Empty Directory")                                             \
    X(InvalidDefinition, 0x12E, "Invalid Definition")                                              \
    X(MissingLibrary, 0x12F, "Missing Library")                                                    \
    X(NonRealResult, 0x131, "Non-Real Result")                                                     \
    X(NameConflict, 0x13E, "Name Conflict")                                                        \
    X(TooFewArguments, 0x201, "Too Few Arguments")                                                 \
    X(BadArgumentType, 0x202, "Bad Argument Type")                                                 \
    X(BadArgumentValue, 0x203, "Bad Argument Value")                                               \
    X(UndefinedName, 0x204, "Undefined Name")                                                      \
    X(LastArgDisabled, 0x205, "LASTARG Disabled")                                                  \
    X(IncompleteSubexpression, 0x206, "Incomplete Subexpression")                                  \
    X(ImplicitParenthesesOff, 0x207, "Implicit () off")                                            \
    X(ImplicitParenthesesOn, 0x208, "Implicit () on")                                              \
    X(PositiveUnderflow, 0x301, "Positive Underflow")                                              \
    X(NegativeUnderflow, 0x302, "Negative Underflow")                                              \
    X(Overflow, 0x303, "Overflow")                                                                 \
    X(UndefinedResult, 0x304, "Undefined Result")                                                  \
    X(InfiniteResult, 0x305, "Infinite Result")                                                    \
    X(InvalidDimension, 0x501, "Invalid Dimension")                                                \
    X(InvalidArrayElement, 0x502, "Invalid Array Element")                                         \
    X(InvalidSigmaData, 0x601, "Invalid \x85 Data")                                               \
    X(NonexistentSigmaDat, 0x602, "Nonexistent \x85" "DAT")                                       \
    X(InsufficientSigmaData, 0x603, "Insufficient \x85 Data")                                     \
    X(InvalidSigmaPar, 0x604, "Invalid \x85" "PAR")                                               \
    X(InvalidSigmaDataLnNeg, 0x605, "Invalid \x85 Data LN(Neg)")                                  \
    X(InvalidSigmaDataLn0, 0x606, "Invalid \x85 Data LN(0)")                                      \
    X(Interrupted, 0xA03, "Interrupted")                                                           \
    X(InvalidUnit, 0xB01, "Invalid Unit")                                                          \
    X(InconsistentUnits, 0xB02, "Inconsistent Units")                                              \
    /* DOERR with a string: the text is the user's own */                                          \
    X(UserError, 0x70000, "")                                                                      \
    /* the command exists on the calculator but is not built yet */                                \
    X(NotImplemented, 0xF0001, "Not implemented yet")

enum class Err : uint32_t {
    None = 0,
#define CALC_ERROR_ENUM(name, number, text) name = number,
    CALC_ERRORS(CALC_ERROR_ENUM)
#undef CALC_ERROR_ENUM
};

// The calculator's text for an error number ("" when unknown).
std::string errorText(uint32_t code);
inline std::string errorText(Err e)
{
    return errorText(static_cast<uint32_t>(e));
}

// An error raised while compiling or running. message is what the
// calculator shows (ERRM).
class CalcError
{
public:
    explicit CalcError(Err e)
        : code(static_cast<uint32_t>(e))
        , message(errorText(code))
    {
    }
    CalcError(Err e, std::string msg)
        : code(static_cast<uint32_t>(e))
        , message(std::move(msg))
    {
    }
    CalcError(uint32_t c, std::string msg)
        : code(c)
        , message(std::move(msg))
    {
    }

    uint32_t code;
    std::string message;
    // byte offset in the compiled text for syntax errors, else -1
    int position = -1;
    // The command that failed, as the calculator names it above the message
    // ("FOR Error:"); "" for none (the command line's syntax), unset until
    // the evaluator fills it in.
    std::optional<std::string> command;
};

// The error as one line: "FOR Error: Bad Argument Type", or "Error: ..."
// when no command is named.
std::string errorLine(const CalcError &e);

} // namespace Calc
