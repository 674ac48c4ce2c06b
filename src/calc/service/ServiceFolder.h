#pragma once

#include <QString>
#include <QStringList>

// Where the calculator's local-socket service lives.
//
// Service S is the Unix socket S in a folder that only its user may enter
// (mode 0700): "$XDG_RUNTIME_DIR/dde", or "/tmp/dde-<uid>" when that variable
// names no folder of the user's that only the user may write to. A folder
// that exists with another owner or with more than owner permissions is never
// used: the next name ("dde-1" ... "dde-15", "/tmp/dde-<uid>-1" ...) takes
// its place, and kobrix walks the same names.
namespace Calc::ServiceFolder {

// The folder names, in the order they are tried.
QStringList Candidates();

// An existing folder (not a link) of this user's with no permissions for
// group or others.
bool IsPrivate(const QString &folder);

// The first candidate that is private, made (0700) when it does not exist
// yet. Empty with the reason when none can be had.
QString Make(QString *error);

// A service name names a file in the folder: it is refused when empty or
// when it holds "/" or "..".
bool IsValidServiceName(const QString &service);

} // namespace Calc::ServiceFolder
