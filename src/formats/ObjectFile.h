#pragma once

#include <QByteArray>
#include <QString>

// Binary object files: an 8-byte signature ("HPHP48-x" for the 48 series,
// "HPHP49-x" for the 49/50 family) and then the object's nibbles, two per
// byte, low nibble first. Pictures and strings are the two object types the
// editor itself reads and writes; the calculator library handles all others.

// The whole file, or an empty array and *error set to a text that names the
// file and the reason when it cannot be read.
QByteArray ReadFileBytes(const QString &path, QString *error = nullptr);

// Creates or replaces path with exactly bytes. The old file stays whole
// until the new one is complete. False with *error set on failure.
bool WriteFileBytes(const QByteArray &bytes, const QString &path, QString *error = nullptr);

// "HPHP48-W" or "HPHP49-W", the signature of files the editor writes.
QByteArray ObjectFileSignature(bool hp48Series);

// True when bytes start like an object file: "HPHP4" and a full signature.
bool IsObjectFile(const QByteArray &bytes);

// The object's nibble text of a file's bytes; empty when not an object file.
QByteArray ObjectFileNibbles(const QByteArray &bytes);

// Signature and packed nibbles of an object given as nibble text.
QByteArray MakeObjectFile(const QByteArray &nibbleText, bool hp48Series);

// A picture: Width by Height pixels; Data is the pixel rows from the top as
// nibble text, each row padded to a multiple of 8 pixels (2 digits per 8
// pixels), four pixels per digit with the leftmost in the lowest bit. A set
// bit is a dark pixel.
struct TGrob
{
    int Width = 0;
    int Height = 0;
    QByteArray Data;

    bool isEmpty() const { return Width == 0 && Height == 0 && Data.isEmpty(); }
    bool operator==(const TGrob &) const = default;

    // A white picture of the given size.
    static TGrob blank(int width, int height);
    // Digits per row: 2 * ceil(width / 8).
    static qsizetype rowDigits(int width);
    // Pixel access; false (white) and no change outside the picture.
    bool pixel(int x, int y) const;
    void setPixel(int x, int y, bool dark);
};

// The picture object as nibble text: prolog, size, height, width, Data.
QByteArray GrobNibbleText(const TGrob &grob);

// The picture of a picture object's nibble text (from its prolog on); the
// empty record when it is no picture or its rows are cut short.
TGrob GrobFromNibbleText(const QByteArray &nibbleText);

// A picture file's picture; the empty record when the file is not a
// readable picture, and also *error set when it cannot be read at all.
TGrob ReadGrobFile(const QString &path, QString *error = nullptr);

bool WriteGrobFile(const TGrob &grob,
                   const QString &path,
                   bool hp48Series,
                   QString *error = nullptr);

// A string object's nibble text, and the characters of one (empty when
// nibbleText is not a string object).
QByteArray StringNibbleText(const QByteArray &characters);
QByteArray StringFromNibbleText(const QByteArray &nibbleText, bool *ok = nullptr);

// The editor's command-line wrapper for text (calculator bytes) as nibble
// text: a program holding the text as a string, the compile pointer and, when
// run is set, the run pointer of the model (formats/Prologs.h).
QByteArray CommandLineWrapper(const QByteArray &text, bool run, bool hp48Series);
// The longest text a string object holds: its size field has five
// hexadecimal digits and counts itself.
constexpr qsizetype MaxStringBytes = (0xFFFFF - 5) / 2;

// Breaks long lines of a text for the editor: a blank outside double quotes
// and square brackets becomes a line feed so that lines stay within width
// characters where blanks allow; the last blank before the limit is chosen.
QByteArray BreakLongLines(QByteArray text, int width);

// The text of a string object file with its long lines broken at width
// (the editor's margin); empty when the file holds no string.
QByteArray ReadStringObjectFile(const QString &path, int width = 80, QString *error = nullptr);
