// SPDX-License-Identifier: MIT
#pragma once

#include <QString>

// A file written under a temporary name beside its target, which it replaces only once complete: until Commit
// succeeds the target keeps its old bytes, and a file that is not committed is removed. The target, after its
// symbolic links, must be a regular file or not exist yet; the links stay as they are and an existing file
// keeps its permission bits.
class CStagedFile {
public:
    CStagedFile() = default;
    ~CStagedFile();
    CStagedFile(const CStagedFile&) = delete;
    CStagedFile& operator=(const CStagedFile&) = delete;

    // Checks the target and creates the empty temporary file. False, with the reason ready for the user, when
    // the target cannot be written.
    bool Create(const QString& target, QString* pErrorText);
    // Where the content goes until Commit. The file is closed: the writer opens it by this name.
    const QString& GetTemporaryPath() const { return m_strTemporary; }
    // Puts the written file, synced to disk, in the target's place.
    bool Commit(QString* pErrorText);

private:
    // nExistingMode: the permission bits of the file replaced, -1 when there is none.
    bool CreateTemporary(int nExistingMode, QString* pErrorText);

    QString m_strFinal; // the target after its symbolic links
    QString m_strTemporary;
};
