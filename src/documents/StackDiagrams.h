#pragma once

#include <QByteArray>
#include <QByteArrayList>
#include <QString>

#include "formats/TextLines.h"

// Stack diagrams: what each calculator command takes from the stack and what
// it leaves there, read from a ".stk" file (one diagram per line, in the
// calculator's character set).
//
//   DUP ( x → x x )        a diagram for DUP
//    ( (x,y) → x y )       a further diagram for the command above
//   %% or @ ...             comments
//
// Names are compared byte for byte, so "rref" and "RREF" are two commands.

// One line of a ".stk" file split into its name and diagram. The name is
// everything before the first blank (empty for a continuation line); the
// diagram is what lies inside the first parenthesis after the name, inner
// pairs counted, trimmed. A line without "(" after the name has no diagram.
struct StackDiagramLine {
    QByteArray name;
    QByteArray diagram;
};
StackDiagramLine parseStackDiagramLine(const QByteArray &line);

class StackDiagramStore
{
public:
    // The entry that ends every completed load.
    static QByteArray sentinel() { return QByteArrayLiteral("qxn"); }

    // Replaces the contents with the diagrams of a ".stk" file's bytes and
    // appends the sentinel entry.
    void parse(const QByteArray &bytes);

    // Reads path; when it cannot be read the store is left as it was and
    // false is returned (the caller tells the user).
    bool load(const QString &path);

    // Every diagram of the first entry named name and of the entries that
    // directly follow it with the same name; empty when there is none.
    QByteArrayList diagramsFor(const QByteArray &name) const;

    const QByteArrayList &names() const { return m_names; }
    const QByteArrayList &diagrams() const { return m_diagrams; }
    qsizetype count() const { return m_names.size(); }

    // Lines of the last parse that were neither empty, a comment nor used:
    // a continuation before any named line, or a line with no diagram. The
    // shipped files must have none. Numbers are 1-based.
    const QList<int> &skippedLines() const { return m_skippedLines; }

private:
    QByteArrayList m_names;
    QByteArrayList m_diagrams;
    QList<int> m_skippedLines;
};

// A diagram split into the items shown on the two stack grids. A diagram
// without the calculator's arrow (byte 0x8D) is plain text for the panel's
// caption instead.
struct StackItems {
    bool isText = false;
    QByteArrayList arguments;
    QByteArrayList results;
};
StackItems splitStackDiagram(const QByteArray &diagram);

// The rows of a stack grid of rowCount levels, top row first, for items that
// are filled bottom-aligned: the last item in the bottom row (level 1). With
// more items than rows only the last ones are shown; free rows are empty.
QByteArrayList bottomAlignedRows(const QByteArrayList &items, int rowCount = 5);

// The tab titles of a command's diagrams: each form's arguments ("x",
// "{ list } n"), "( )" for a form that takes none, the command's name for a
// diagram of plain text. A title given twice is numbered ("x (2)").
QByteArrayList stackDiagramTitles(const QByteArrayList &diagrams, const QByteArray &name);
