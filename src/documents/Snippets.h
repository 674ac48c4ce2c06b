#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QList>

// Text that the editor puts at the caret: the skeletons of the Insert
// commands, the header of every new document and the output of the program
// generators. Everything here works on calculator bytes (one byte is one
// character, so byte counts are column counts) and knows nothing of widgets;
// the main window's InsertSnippet feeds it the lines around the selection and
// applies the result as one undoable edit.
namespace Snippets {

// Markers a snippet may hold: the first "%s" takes the selected text, the
// first "|" (of the snippet itself) is where the caret lands.
inline constexpr QByteArrayView SelectionMarker = "%s";
inline constexpr char CaretMarker = '|';

// Calculator bytes the snippets are made of.
inline constexpr char ProgramStart = '\xAB';
inline constexpr char ProgramEnd = '\xBB';
inline constexpr char RightArrow = '\x8D';
inline constexpr char LeftArrow = '\x8E';
inline constexpr char StoreTriangle = '\x86';
inline constexpr char AngleSign = '\x80';

// The part of the document a snippet replaces, and its neighbourhood.
// Columns and lines are 0-based and count calculator characters.
struct Target
{
    int startLine = 0;        // line of the selection start (the caret line without one)
    int startColumn = 0;      // column of the selection start (the caret column without one)
    QByteArray startLineText; // that whole line, without its line end
    int endColumn = 0;        // column of the selection end, on its own line
    QByteArray endLineText;   // the whole line of the selection end
    QByteArray selectedText;  // empty when nothing is selected
};

// What replaces the selection, and where the caret goes afterwards.
struct Insertion
{
    QByteArray text; // line ends are CR LF
    bool hadCaretMarker = false;
    int caretLine = 0;   // 0-based, in the document after the edit
    int caretColumn = 0; // 0-based
};

// Resolves the markers of `snippet` against `target` and pads the result with
// a blank or a line end where it would otherwise touch its neighbours. The
// caret marker is looked for in the snippet's own text only, so a "|" inside
// the selected text is kept as typed.
Insertion prepare(QByteArrayView snippet, const Target &target);

// The product's web address, written into the header of new documents.
inline constexpr QByteArrayView WebAddress = "https://quorvane.org";

// The header every untitled document starts with; the caret lands on its
// empty last line.
QByteArray newDocumentHeader();

// The 32 Insert commands and the snippet each one inserts. Their captions,
// hints and places in the menus belong to the main window's command table.
struct InsertCommand
{
    const char *action; // e.g. "InsertProgram"
    QByteArray text;    // the snippet, in calculator bytes
};
const QList<InsertCommand> &insertCommands();

// The entry of insertCommands() named `action`, or nullptr.
const InsertCommand *findInsertCommand(QByteArrayView action);

// The six new-document commands. Each opens an untitled document (which gets
// the header), inserts its directive lines, then runs its follow-up command.
struct NewDocumentCommand
{
    const char *action;    // e.g. "FileNewProgram"
    QByteArray directives; // inserted after the header; may be empty
    const char *followUp;  // action run afterwards; empty for none
};
const QList<NewDocumentCommand> &newDocumentCommands();
const NewDocumentCommand *findNewDocumentCommand(QByteArrayView action);

} // namespace Snippets
