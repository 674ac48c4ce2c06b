#pragma once

#include <QByteArray>
#include <QByteArrayList>

// The lines of a calculator text file: LF, CR LF or a lone CR end a line, and
// a final line ending does not start an empty last line.
QByteArrayList splitTextLines(const QByteArray &bytes);

// Bytes up to 32 (blanks and control characters) removed from both ends.
QByteArray trimmedBytes(const QByteArray &bytes);
