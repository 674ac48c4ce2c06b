#pragma once

#include <QString>
#include <QStringList>

// Folders for local sockets that only their user may enter.
//
// A socket name in /tmp can be taken first by any local user, who then
// receives what was meant for us; a folder of our own (mode 0700) cannot.
// For a leaf L the names tried are "$XDG_RUNTIME_DIR/L" and, when that
// variable names no folder of ours closed to others, "/tmp/L-<uid>"; then the
// same name with "-1" ... "-15" appended. A folder that exists with another
// owner or with any permission for group or others is never used: the next
// name takes its place, and a client walks the same names.
namespace PrivateFolder {

// The folder names for leaf, in the order they are tried.
QStringList Candidates(const QString &leaf);

// An existing folder (not a link) of this user's with no permissions for
// group or others.
bool IsPrivate(const QString &folder);

// The first candidate that is private, made (0700) when it does not exist
// yet. Empty with the reason when none can be had.
QString Make(const QString &leaf, QString *error = nullptr);

// The first candidate that exists and is private, for a client looking for
// a server; empty when there is none.
QString Find(const QString &leaf);

} // namespace PrivateFolder
