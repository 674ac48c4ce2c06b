#pragma once

#include "calc/core/Object.h"

#include <string_view>
#include <vector>

namespace Calc {

struct CompileOptions
{
    bool is49 = true;
    bool commaMark = false; // flag -51
    bool exact = false;     // 49 family, flag -105 clear: 12 is an exact integer
    int binaryBase = 10;    // base of "# 12" without a suffix
    AngleMode angle = AngleMode::Degrees; // of polar input (1,∠90)
};

// Compiles UserRPL text (calculator bytes) into the objects it denotes, in a
// program without delimiters (what ENTER runs). Throws CalcError "Invalid
// Syntax" with the byte position of the fault; nothing is evaluated.
Value compileText(std::string_view text, const CompileOptions &opt);

// Checks the structure words (IF ... END, FOR ... NEXT ...) of a program's
// items and gives each its jump. Throws "Invalid Syntax" when they do not
// nest. Lists are not linked (they are data until evaluated).
std::vector<Value> linkStructures(std::vector<Value> items);

// True when items hold structure words that linking would change.
bool needsLink(const std::vector<Value> &items);

// Reads a name as the calculator would accept it.
bool isValidName(std::string_view text);

} // namespace Calc
