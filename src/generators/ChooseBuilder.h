#pragma once

#include "generators/GeneratedText.h"

#include <QByteArray>
#include <QList>

// One item of the CHOOSE box: what the box shows and what choosing it
// returns. Without a value the label is written as it is, so a label typed
// with its own quotes stays a string and a bare number stays a number.
struct ChooseRow
{
    QByteArray label;
    QByteArray value;

    bool operator==(const ChooseRow &) const = default;
};

// The fields of the CHOOSE builder. Texts are calculator bytes.
struct ChooseFields
{
    QByteArray title;     // at most 23 characters in the window
    QList<ChooseRow> rows;
    int position = 1;     // the item highlighted first, from 1
    bool condition = true; // append the code that runs the choice
    bool minifont = false;

    bool operator==(const ChooseFields &) const = default;
};

inline constexpr int ChooseTitleMaximum = 23;

GeneratedText GenerateChoose(const ChooseFields &fields);

// The label as the box shows it: without one leading and one trailing
// double quote.
QByteArray ChooseShownLabel(const QByteArray &label);
