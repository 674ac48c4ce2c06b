#pragma once

#include <QByteArray>

// How a document's bytes become lines and go back to the same bytes.
// Widget-free, so that the byte-for-byte rules are tested without an editor.
namespace DocumentText {

enum class LineEnd { CrLf, Lf, Cr };

// The line end a loaded file is saved with: CR when it has CR but no LF, LF
// when it has LF but no CR, else CR LF (also for a file without line ends).
LineEnd detectLineEnd(const QByteArray &bytes);

QByteArray lineEndBytes(LineEnd lineEnd);

// The bytes to write for a document text: its lines (split at CR LF, LF or
// CR) joined with lineEnd and nothing after the last line. With lfOnly, the
// lines are joined with LF and no CR byte is left anywhere.
QByteArray forSave(const QByteArray &text, LineEnd lineEnd, bool lfOnly);

// The lines joined with CR LF, the form the text tests of the formats take.
QByteArray withCrLf(const QByteArray &text);

// True when every line has length zero.
bool isEmpty(const QByteArray &text);

} // namespace DocumentText
