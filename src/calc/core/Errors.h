#pragma once

#include <cstdint>
#include <string>

namespace Calc {

// The calculators' error numbers (what ERRN returns). Their texts are in one
// table, Errors.cpp.
enum class Err : uint32_t {
    None = 0x000,
    InsufficientMemory = 0x001,
    DirectoryRecursion = 0x002,
    UndefinedLocalName = 0x003,
    UndefinedXlibName = 0x004,
    ObjectInUse = 0x009,
    InvalidSyntax = 0x106,
    WrongArgumentCount = 0x12A,
    CircularReference = 0x12B,
    DirectoryNotAllowed = 0x12C,
    NonEmptyDirectory = 0x12D,
    InvalidDefinition = 0x12E,
    NonRealResult = 0x131,
    NameConflict = 0x13E,
    HaltNotAllowed = 0x128,
    TooFewArguments = 0x201,
    BadArgumentType = 0x202,
    BadArgumentValue = 0x203,
    UndefinedName = 0x204,
    LastArgDisabled = 0x205,
    IncompleteSubexpression = 0x206,
    PositiveUnderflow = 0x301,
    NegativeUnderflow = 0x302,
    Overflow = 0x303,
    UndefinedResult = 0x304,
    InfiniteResult = 0x305,
    InvalidDimension = 0x501,
    InvalidArrayElement = 0x502,
    InvalidUnit = 0xB01,
    InconsistentUnits = 0xB02,
    Interrupted = 0xA03,
    // DOERR with a string: the user's own message
    UserError = 0x70000,
    // This machine's own: the command exists on the calculator but is not
    // built yet, or needs exact mode or the computer algebra system.
    NotImplemented = 0xF0001,
    ExactModeUnavailable = 0xF0002,
};

// The calculator's text for an error number ("" when unknown).
std::string errorText(uint32_t code);

// An error raised while compiling or running. message is what the
// calculator shows (ERRM); detail names what was involved, for the editor.
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
};

} // namespace Calc
