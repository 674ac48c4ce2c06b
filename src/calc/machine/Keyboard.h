#pragma once

#include "calc/core/Engine.h"

#include <string>
#include <vector>

namespace Calc {

// One key of a calculator's keyboard: where the keyboard matrix sees it (an
// output line and an input bit), where it sits on the face of the calculator,
// what is printed on and above it, and what it does in each shift plane.
//
// An action is one of:
//   "#NAME"  a function of the machine itself (ENTER, backspace, shifts ...);
//   "=TEXT"  text typed into the command line; a "|" in it marks where the
//            cursor stays (the "« | »" of the program delimiters);
//   "menu:N" shows a built-in soft menu;
//   a calculator command, typed into a program being written or run at once;
//   ""       nothing.
struct KeyDef
{
    int out = 0; // output line 0 to 8
    int bit = 0; // input bit 0 to 15
    int row = 0; // row on the face, from the top
    int col = 0; // left edge in a grid 30 units wide
    int span = 5;
    std::string label;      // printed on the key
    std::string leftLabel;  // above it, in the left shift's colour
    std::string rightLabel; // above it, in the right shift's colour
    char alpha = 0;         // the letter it types in alpha mode
    std::string action;
    std::string leftAction;
    std::string rightAction;
    // the soft keys and the row of menu keys are drawn smaller
    bool small = false;
};

struct KeyboardLayout
{
    Model model;
    int rows = 0;
    std::vector<KeyDef> keys;
};

const KeyboardLayout &keyboardOf(Model model);

// The key at a matrix position, or none.
const KeyDef *keyAt(Model model, int out, int bit);

// The model letter of EmuCalculatorType and the model it names.
char modelLetter(Model model);
bool modelFromLetter(char letter, Model &model);

} // namespace Calc
