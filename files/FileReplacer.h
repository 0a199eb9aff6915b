// SPDX-License-Identifier: MIT
#pragma once

#include <QString>

#include <functional>

// Replaces a file as a whole; every file the program writes goes through it. The new bytes go to a temporary
// file beside the target, which takes the target's place only after every write, the sync to disk and the
// completeness check succeeded and a fresh look at the target found it still fit to be replaced. On any
// failure the earlier file stays as it was and no temporary file is left behind.
//
// Only a regular file (after following symbolic links) that the user may write, or a name that does not
// exist yet, is written: a folder, pipe, device or socket is refused and never opened, and a file the user
// may not write is refused even in a folder the user may write. A symbolic link stays a link and the file
// at its end is replaced, keeping its nine permission bits and, where the system lets us, its owner and
// group; set-user-id and set-group-id go, as on any write.
//
// Where no temporary file can be made beside the target (its folder is closed to the user) but the target
// may be written, the new bytes are written over it in place as a last resort. They are gathered in the
// user's cache or runtime folder first, a copy of the old bytes is kept there, and when writing over the
// target fails the old bytes are written back.
//
// Error() is the system's error number of the call that failed (or one of CSystemError's own codes),
// ErrorText() the reason in the user's words.
class CFileReplacer {
public:
    // Whether the file written at path is whole, read back by the caller who knows its format.
    using CompletenessCheck = std::function<bool(const QString& path)>;

    explicit CFileReplacer(const QString& fileName);
    ~CFileReplacer();
    CFileReplacer(const CFileReplacer&) = delete;
    CFileReplacer& operator=(const CFileReplacer&) = delete;

    // Checks the target and makes the temporary file.
    bool Open();
    // Writes all nSize bytes unbuffered: a failure shows on the write that met it. After a failure nothing
    // more is written.
    bool Write(const void* pData, qint64 nSize);
    // For a writer that opens its file by name instead of calling Write: the new bytes go there.
    const QString& GetTemporaryPath() const { return m_strTemporary; }
    // Checks the written file with isComplete, or else that it holds every byte given to Write, syncs it and
    // puts it in the target's place. Without it, or after any failure, the temporary file goes when this
    // object does.
    bool Commit(const CompletenessCheck& isComplete = {});

    int Error() const { return m_nError; }
    // The reason; after writing in place also that the old bytes were written back, or where they wait.
    QString ErrorText() const;

    // fileName made absolute against the current folder, also when that folder has been removed since.
    static QString AbsolutePath(const QString& fileName);
    // The current folder's absolute path, also when it has been removed since; empty when unknown.
    static QString CurrentFolder();

private:
    bool OpenInUserFolder();
    // Gives the temporary file the owner and permission bits of the file it replaces.
    int TakeOverIdentity() const;
    int WriteInPlace();
    // A copy of the target's bytes beside the temporary file, on disk: its handle, or -1 with errno set.
    int CopyOldBytes(int nTarget, QString* pCopyPath) const;
    // Closes and removes the temporary file.
    void Discard();
    // Sends what has been written so far on to the disk without waiting, so that the disk works while the
    // caller makes the next bytes and the sync at the end finds little left to do.
    void StartWriteBack();
    bool Fail(int nError);

    // Write-back starts once this much more has been written.
    static constexpr qint64 kWriteBackStep = 256 * 1024;

    QString m_strTarget;    // as given
    QString m_strFinal;     // the target after its symbolic links
    QString m_strTemporary; // the new bytes until they are in place
    int m_nHandle = -1;     // of the temporary file
    bool m_bInPlace = false;
    qint64 m_nWritten = 0;
    qint64 m_nWriteBackEnd = 0;
    int m_nError = 0;
    bool m_bRestored = false; // the old bytes were written back over a failed write in place
    QString m_strKeptCopy;    // where the old bytes wait when they could not be written back
};
