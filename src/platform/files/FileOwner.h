#pragma once

#include <QString>

// A file written to replace another takes the replaced file's owner and group, so that root
// saving a user's file (sudo keeps HOME) leaves it the user's, as an edit in place would.
// True when the replaced file is gone or they are the same already; false, with errno set, when
// they cannot be given (only root may give a file to another user, or to a group the writer is
// not in).
bool KeepOwnerOf(const QString &replaced, int replacement);
