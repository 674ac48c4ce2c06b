#pragma once

#include "generators/GeneratedText.h"

#include <QByteArray>
#include <QList>

// One field of the INFORM form, the five cells of its row in the window.
struct InformField
{
    QByteArray name;    // the label before the field
    QByteArray help;    // the line shown while the field is selected
    QByteArray types;   // the allowed object types, as typed ("0 1")
    QByteArray reset;   // the value the reset key puts back
    QByteArray initial; // the value the form starts with

    bool isEmpty() const
    {
        return name.isEmpty() && help.isEmpty() && types.isEmpty() && reset.isEmpty() && initial.isEmpty();
    }
    bool operator==(const InformField &) const = default;
};

// The fields of the INFORM builder. Texts are calculator bytes.
struct InformFields
{
    QByteArray title; // at most 32 characters in the window
    int columns = 1;  // 1 to 6
    bool offsetCheck = true; // write the label width with the column count
                             // (else the count alone, still in a list)
    int offset = 0;   // label width, 0 to 20
    QList<InformField> fields;
    bool condition = true; // append the code that tests the user's OK

    bool operator==(const InformFields &) const = default;
};

inline constexpr int InformTitleMaximum = 32;
inline constexpr int InformColumnsMaximum = 6;
inline constexpr int InformOffsetMaximum = 20;

GeneratedText GenerateInform(const InformFields &fields);

// The window's rules for its field rows (rows counted from 0, the heading
// not among them). A row is added only below the last one, selected, while
// the grid with its heading row holds fewer than 4 x columns rows; a row is
// deleted only when all its cells are empty and it is not the first.
bool InformCanAddField(int selected, int fieldCount, int columns);
bool InformCanDeleteField(int selected, const QList<InformField> &fields);
// The fields after deleting row selected (when allowed), and the row that is
// selected then (the one above).
int InformDeleteField(QList<InformField> &fields, int selected);
