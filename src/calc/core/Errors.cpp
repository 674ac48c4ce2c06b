#include "calc/core/Errors.h"

namespace Calc {

namespace {

struct ErrorEntry
{
    uint32_t code;
    const char *text;
};

// Texts as the calculators show them. The "Not implemented" and "exact mode"
// entries are this machine's own and say what to do instead.
const ErrorEntry errorTable[] = {
    {0x001, "Insufficient Memory"},
    {0x002, "Directory Recursion"},
    {0x003, "Undefined Local Name"},
    {0x004, "Undefined XLIB Name"},
    {0x005, "Memory Clear"},
    {0x006, "Power Lost"},
    {0x009, "Object In Use"},
    {0x101, "No Room to Save Stack"},
    {0x102, "Can't Edit Null Char."},
    {0x103, "Invalid User Function"},
    {0x104, "No Current Equation"},
    {0x106, "Invalid Syntax"},
    {0x128, "HALT Not Allowed"},
    {0x12A, "Wrong Argument Count"},
    {0x12B, "Circular Reference"},
    {0x12C, "Directory Not Allowed"},
    {0x12D, "Non-Empty Directory"},
    {0x12E, "Invalid Definition"},
    {0x12F, "Missing Library"},
    {0x131, "Non-Real Result"},
    {0x13E, "Name Conflict"},
    {0x201, "Too Few Arguments"},
    {0x202, "Bad Argument Type"},
    {0x203, "Bad Argument Value"},
    {0x204, "Undefined Name"},
    {0x205, "LASTARG Disabled"},
    {0x206, "Incomplete Subexpression"},
    {0x207, "Implicit () off"},
    {0x208, "Implicit () on"},
    {0x301, "Positive Underflow"},
    {0x302, "Negative Underflow"},
    {0x303, "Overflow"},
    {0x304, "Undefined Result"},
    {0x305, "Infinite Result"},
    {0x501, "Invalid Dimension"},
    {0x502, "Invalid Array Element"},
    {0xA03, "Interrupted"},
    {0xB01, "Invalid Unit"},
    {0xB02, "Inconsistent Units"},
    {0xF0001, "Not implemented yet"},
    {0xF0002, "Exact mode is not available: this calculator computes in approximate mode"},
};

} // namespace

std::string errorText(uint32_t code)
{
    for (const auto &e : errorTable)
        if (e.code == code)
            return e.text;
    return std::string();
}

} // namespace Calc
