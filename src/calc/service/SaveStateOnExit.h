#pragma once

#include <QString>

namespace Calc {

class CalculatorHost;

// Writes the calculator's memory back to its state file as the calculator
// ends (its window closed, or the process asked to stop), as a real
// emulator keeps its memory. The file is replaced in one step: a write that
// fails leaves the old file as it was, and error says why.
//
// With interruptProgram, a program still running after a short wait is
// interrupted as the ON key does, so the memory it leaves is kept (the
// process is about to end whatever happens). Without it, a busy calculator
// is a failure ("The calculator is busy") that the user can act on.
bool SaveStateOnExit(CalculatorHost &host, bool interruptProgram, QString *error);

} // namespace Calc
