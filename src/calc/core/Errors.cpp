#include "calc/core/Errors.h"

namespace Calc {

std::string errorText(uint32_t code)
{
    // a switch, so that a number given twice in the table does not compile
    switch (code) {
#define CALC_ERROR_CASE(name, number, text)                                                        \
    case number:                                                                                   \
        return text;
        CALC_ERRORS(CALC_ERROR_CASE)
#undef CALC_ERROR_CASE
    default:
        return std::string();
    }
}

std::string errorLine(const CalcError &e)
{
    const std::string head = e.command && !e.command->empty() ? *e.command + " Error: " : std::string("Error: ");
    return head + e.message;
}

} // namespace Calc
