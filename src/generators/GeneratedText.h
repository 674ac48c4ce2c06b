#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QList>
#include <QString>

// What a program generator returns: calculator bytes with CR LF line ends,
// and where the caret goes once they are in the document. The caret is kept
// as a position rather than a "|" inside the bytes, because the user's own
// texts (a prompt, a label) may hold a "|" too.
struct GeneratedText
{
    QByteArray bytes;
    qsizetype caret = 0; // byte offset into bytes

    // The bytes with the caret marker "|" written at the caret, as
    // InsertSnippet takes them.
    QByteArray withCaretMarker() const;

    // Appends a piece; appendCaret() puts the caret where the text ends now.
    GeneratedText &operator<<(QByteArrayView piece);
    void appendCaret() { caret = bytes.size(); }
};

namespace GeneratorText {

inline constexpr QByteArrayView CRLF = "\r\n";
inline constexpr char Alpha = '\x8C';
inline constexpr char RightArrow = '\x8D';
inline constexpr char ProgramStart = '\xAB';
inline constexpr char ProgramEnd = '\xBB';

// Line breaks of a text the user typed (LF, CR or CR LF) written as CR LF,
// the line end of every generated text.
QByteArray CrLfLines(QByteArrayView text);

// The lines of a text the user typed, whatever its line ends, counted as a
// text box counts them: an empty text has none, and a final line break opens
// no line of its own.
QList<QByteArray> Lines(QByteArrayView text);

// Why the calculator would refuse to compile code (its error message, the
// line and column where it stopped and that line's text), or an empty text
// when it compiles. is49
// picks the 49/50 family's compiler, else the 48 series'.
QString CompileProblem(const QByteArray &code, bool is49);

} // namespace GeneratorText
