#pragma once

#include "generators/GeneratedText.h"

#include <QByteArray>

// The fields of the INPUT builder, as plain values: what TInputDialog shows
// and what the code is made from. Texts are calculator bytes; line breaks may
// be LF or CR LF (they are written as CR LF).
struct InputFields
{
    QByteArray prompt;      // the message above the command line
    QByteArray commandLine; // the text the command line starts with
    bool format = false;    // write the command line in its list form
    int row = 0;            // cursor position (list form only)
    int column = 0;
    bool algebraic = false; // entry modes (list form only)
    bool alpha = false;
    bool syntaxCheck = false;
    bool evaluate = true;   // append OBJ-> to take the entry apart
    bool minifont = false;  // switch the calculator to its small font first

    bool operator==(const InputFields &) const = default;
};

// The UserRPL that asks with INPUT as the fields say.
GeneratedText GenerateInput(const InputFields &fields);

// The largest row and column the cursor spin boxes allow: the number of
// lines of the command line and the length of its longest line.
int InputRowMaximum(const QByteArray &commandLine);
int InputColumnMaximum(const QByteArray &commandLine);
