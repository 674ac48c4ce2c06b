#pragma once

#include <QByteArray>
#include <QChar>
#include <QString>

class TDiagram;

// Turns a flowchart into a UserRPL program: a walk from the Start shape that
// writes lines per shape, recognises IF...THEN...ELSE...END, WHILE...REPEAT,
// DO...UNTIL and FOR...NEXT from the shape of the graph, and gathers the Read
// names and constant Actions into one local-variable frame.
//
// The text is calculator bytes (« 0xAB, » 0xBB, → 0x8D, π 0x87, ≤ 0x89,
// ≥ 0x8A), CR LF after every line, and ends with "»|": the caret marker that
// InsertSnippet takes out. The diagram is never changed.
struct GeneratedCode
{
    bool ok = false;
    QByteArray bytes;
    // When it failed: the language message to show (MsgNoStartBlock,
    // MsgNoEndBlock, or MsgCodeNotGenerated when the walk refused the graph)
    // and what the walk stumbled on.
    int message = 0;
    QString detail;
};

GeneratedCode GenerateUserRPL(const TDiagram &diagram, QChar decimalSeparator);
