// SPDX-License-Identifier: MIT
#pragma once

#include <QString>

// Reading and writing plain files only: a pipe, a device or a socket can keep a reader or writer waiting
// forever or be replaced by a plain file, and a folder holds nothing to read.
class CRegularFile {
public:
    // Opens pathName for reading, without waiting, when it is a regular file after its symbolic links.
    // Returns the handle, or -1 with the error number in *pnError (CSystemError::kNotRegularFile for anything
    // that is not a regular file).
    static int OpenForReading(const QString& pathName, int* pnError);
    // Whether pathName can be read whole without waiting: 0 for a regular file of at most nMaxSize bytes that
    // the user may read, else the error number (as OpenForReading; EFBIG for a larger file).
    static int CheckReadable(const QString& pathName, qint64 nMaxSize);

    // Whether a file may be written under pathName, replacing what is there as a whole: 0 for a name the
    // system takes as it is that, after its symbolic links, is a regular file the user may write or a new
    // name in an existing folder; else the error number (EISDIR for a folder, CSystemError::kNotRegularFile
    // for a pipe, device or socket).
    static int CheckWriteTarget(const QString& pathName);

    // Sends the data of the file open at nHandle to the disk: 0, or the error number. File systems that
    // cannot sync at all are no failure.
    static int SyncToDisk(int nHandle);

    // False for a path the file system's encoding cannot hold as it is written, and for one that shows a
    // name the encoding could not read (such a path would name another file).
    static bool IsRepresentable(const QString& path);
};
