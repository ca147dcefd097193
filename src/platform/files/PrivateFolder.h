#pragma once

#include "platform/files/FileDescriptor.h"

#include <QByteArray>

// What keeps a folder from being the user's private folder.
enum class FolderFault {
    None,
    // The open failed; error says why (ENOENT when there is nothing there).
    NotOpened,
    SymbolicLink,
    OtherOwner,
    OpenToOthers,
};

// Anyone who may write into a folder may put a link or a file of their own where the
// program's files go, and a folder of another user's is not the program's to write in (root
// too leaves alone a folder it gave to a user). So only a folder of the user's own that nobody
// else may enter, reached without following a link, is used. It is judged as opened, so it
// cannot be swapped between the check and the use.
struct PrivateFolder
{
    // Open only when fault is None.
    FileDescriptor fd;
    FolderFault fault = FolderFault::None;
    // errno, for NotOpened.
    int error = 0;
};

// The folder named by path's bytes, opened as a directory without following a link.
PrivateFolder OpenPrivateFolder(const QByteArray &path);
