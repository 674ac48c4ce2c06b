#pragma once

#include <QByteArray>
#include <QString>

class TDiagram;

// Flowchart files (".adb"): a sequence of tagged values, the signature
// "ADB%QXN_2007", the shape count, one record per shape (kind, name, caption,
// height, left, top, width) in child order, then one record of links per
// shape, each naming its targets ("None" for none).
//
// Texts are Unicode in memory. Plain ASCII is written as bytes, anything else
// as UTF-8 (tag 20); byte strings read from a file are Windows-1252, the code
// page the format's writers use, so files travel both ways.
namespace DiagramFile {

inline constexpr char Signature[] = "ADB%QXN_2007";

enum class ReadStatus {
    Ok,
    BadSignature, // the first value is a string but not the signature
    BadData,      // unreadable, truncated, a bad tag or kind, a count too large
};

// The file's bytes for the diagram.
QByteArray Write(const TDiagram &diagram);

// Reads a file's bytes into diagram, which must be empty. All or nothing: on
// failure diagram stays empty and detail (when given) says what was wrong.
// Shapes with an empty name get their class name and a random number; the
// diagram's State is none afterwards.
ReadStatus Read(const QByteArray &bytes, TDiagram &diagram, QString *detail = nullptr);

// Reads the file at path (BadData with the system's reason when it cannot be
// read).
ReadStatus Load(const QString &path, TDiagram &diagram, QString *detail = nullptr);

// Replaces the file at path; a failed save leaves the old file as it was and
// error holds the reason.
bool Save(const QString &path, const TDiagram &diagram, QString *error = nullptr);

// Bytes of the Windows-1252 code page as Unicode (the five bytes the code
// page leaves undefined become the control characters of the same number).
QString FromCodePage(const QByteArray &bytes);

} // namespace DiagramFile
