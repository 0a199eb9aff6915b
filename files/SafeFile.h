// SPDX-License-Identifier: MIT
#pragma once

#include <QSaveFile>
#include <QString>

// Replaces a file as a whole. The bytes go to a temporary file next to the target, which takes the target's
// place only after every write and the sync to disk succeeded and is then checked on disk. On any failure
// the earlier file stays as it was and no temporary file is left behind.
//
// Only a regular file (after following symbolic links) or a name that does not exist yet is written: a
// folder, pipe, device or socket is refused and never opened. A symbolic link stays a link and its target
// is replaced, keeping its permission bits and, where the system lets us, its owner.
//
// Error() is the system's error number of the call that failed (or CSystemError::kNotRegularFile),
// ErrorText() the reason in the user's words.
class CSafeFile {
public:
    explicit CSafeFile(const QString& fileName);
    CSafeFile(const CSafeFile&) = delete;
    CSafeFile& operator=(const CSafeFile&) = delete;

    // Checks the target and opens the temporary file.
    bool Open();
    // Writes all nSize bytes unbuffered: a failure shows on the write that met it. After a failure nothing
    // more is written.
    bool Write(const void* pData, qint64 nSize);
    // Syncs, puts the file in place and checks that it holds every byte written. Without it, or after any
    // failure, the temporary file goes when this object does.
    bool Commit();

    int Error() const { return m_nError; }
    QString ErrorText() const;

    // fileName made absolute against the current folder, also when that folder has been removed since.
    static QString AbsolutePath(const QString& fileName);
    // The current folder's absolute path, also when it has been removed since; empty when unknown.
    static QString CurrentFolder();

private:
    // Sends what has been written so far on to the disk without waiting, so that the disk works while the
    // caller makes the next bytes and the sync at the end finds little left to do.
    void StartWriteBack();
    bool Fail(int nError);

    // Write-back starts once this much more has been written.
    static constexpr qint64 kWriteBackStep = 256 * 1024;

    QSaveFile m_file;
    qint64 m_nWritten = 0;
    qint64 m_nWriteBackEnd = 0;
    int m_nError = 0;
};
