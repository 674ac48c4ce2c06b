#pragma once

#include <QByteArray>
#include <QString>

// The one way this program replaces a file that holds a user's data
// (documents, backups, object files, pictures, flowcharts, state and port
// files, settings, PDFs).
//
// The bytes go to a new temporary file in the same folder; every write, the
// flush to the disk and the close are checked; only then is the temporary
// file renamed over the target, which the system does in one step. On any
// failure the old file is exactly as it was, the temporary file is gone, and
// error (when given) holds the system's reason ("No space left on device",
// "File too large", "Permission denied"). A new file gets the permissions the
// user's umask gives; a replaced file keeps its own. When path is a symbolic
// link, the file it points to is replaced and the link stays.
bool ReplaceFile(const QString &path, const QByteArray &data, QString *error = nullptr);

// Copies source to target through ReplaceFile: a failed copy leaves an old
// target as it was. False with the reason when source cannot be read.
bool CopyFileSafely(const QString &source, const QString &target, QString *error = nullptr);

// The reason of the last failed system call, as the system words it.
QString SystemErrorText(int errnoValue);
