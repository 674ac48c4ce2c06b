#pragma once

#include <QString>
#include <QStringList>

// Where the calculator's local-socket service lives: service S is the Unix
// socket S in the private folder "dde" (see formats/PrivateFolder.h), that is
// "$XDG_RUNTIME_DIR/dde" or "/tmp/dde-<uid>", or the next of its names when
// that one belongs to someone else; kobrix walks the same names.
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
