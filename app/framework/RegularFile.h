// SPDX-License-Identifier: MIT
#pragma once

#include <QString>

// Reading plain files only: a pipe, a device or a socket can keep a reader waiting forever, and a folder
// holds nothing to read.
class CRegularFile {
public:
    // Opens pathName for reading, without waiting, when it is a regular file after its symbolic links.
    // Returns the handle, or -1 with the error number in *pnError (CSystemError::kNotRegularFile for anything
    // that is not a regular file).
    static int OpenForReading(const QString& pathName, int* pnError);
};
