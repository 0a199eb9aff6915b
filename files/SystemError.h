// SPDX-License-Identifier: MIT
#pragma once

#include <QString>

// Why a file operation failed, in words the user reads: the program's own Japanese texts for the common
// causes, the system's own text for the rare rest, whatever the locale.
class CSystemError {
public:
    // Not an error number of the system: the path names a folder, a device, a pipe or a socket, where a
    // plain file was expected.
    static constexpr int kNotRegularFile = -1;
    // Not an error number of the system either: the file type cannot hold a picture without rows or columns.
    static constexpr int kEmptyPicture = -2;
    // Nor this: the folder the file was to go into has been removed (the program's current folder, say).
    static constexpr int kFolderRemoved = -3;
    // Nor this: the file was written, but reading it back shows it is not whole.
    static constexpr int kIncompleteWrite = -4;
    // Not reasons but what became of the old bytes after a failed write in place: written back, or kept in
    // a copy whose path takes the place of %1.
    static constexpr int kOldBytesRestored = -5;
    static constexpr int kOldBytesKept = -6;

    static QString Text(int nError);
    // The same for a file that was to be read: a refused permission is the permission to read.
    static QString ReadingText(int nError);
};
