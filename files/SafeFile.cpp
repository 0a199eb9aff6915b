// SPDX-License-Identifier: MIT
#include "files/SafeFile.h"

#include "files/RegularFile.h"
#include "files/SystemError.h"

#include <QDir>
#include <QFile>

#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

// The error number the last failed call left, or a plain input/output error when it left none.
int LastError() {
    return errno != 0 ? errno : EIO;
}

} // namespace

CSafeFile::CSafeFile(const QString& fileName) : m_file(fileName) {
    // Writing over the earlier file in place is exactly what loses it on a full disk.
    m_file.setDirectWriteFallback(false);
}

bool CSafeFile::Open() {
    if (const int nError = CRegularFile::CheckWriteTarget(m_file.fileName()); nError != 0)
        return Fail(nError);
    // Unbuffered, so that every failure shows on the write that met it and nothing is left for a flush
    // inside commit(), whose failure commit() does not always report.
    errno = 0;
    if (!m_file.open(QIODevice::WriteOnly | QIODevice::Unbuffered))
        return Fail(LastError());
    CRegularFile::KeepOwner(m_file.handle(), m_file.fileName());
    return true;
}

bool CSafeFile::Write(const void* pData, qint64 nSize) {
    const char* pBytes = static_cast<const char*>(pData);
    while (m_nError == 0 && nSize > 0) {
        errno = 0;
        // The loop only continues a write the system took in part.
        const qint64 n = m_file.write(pBytes, nSize);
        if (n <= 0)
            return Fail(LastError());
        pBytes += n;
        nSize -= n;
        m_nWritten += n;
    }
    StartWriteBack();
    return m_nError == 0;
}

void CSafeFile::StartWriteBack() {
#ifdef Q_OS_LINUX
    // Whole pages only: a page that the next write still changes would have to wait for its write-back.
    static const qint64 nPage = ::sysconf(_SC_PAGESIZE);
    const qint64 nEnd = m_nWritten / nPage * nPage;
    if (m_nError != 0 || nEnd - m_nWriteBackEnd < kWriteBackStep)
        return;
    // Only a hint: a failure shows in the sync before the commit.
    ::sync_file_range(m_file.handle(), m_nWriteBackEnd, nEnd - m_nWriteBackEnd, SYNC_FILE_RANGE_WRITE);
    m_nWriteBackEnd = nEnd;
#endif
}

bool CSafeFile::Commit() {
    if (m_nError != 0)
        return false;
    // commit() syncs as well but ignores the result; a file system that reports a full disk or an I/O error
    // only now must not get to replace the earlier file.
    if (const int nError = CRegularFile::SyncToDisk(m_file.handle()); nError != 0)
        return Fail(nError);
    errno = 0;
    if (!m_file.commit())
        return Fail(LastError());
    // Saved means the whole file is on disk under its name.
    struct stat written;
    if (::stat(QFile::encodeName(m_file.fileName()).constData(), &written) != 0)
        return Fail(LastError());
    if (!S_ISREG(written.st_mode) || written.st_size != m_nWritten)
        return Fail(EIO);
    return true;
}

QString CSafeFile::ErrorText() const {
    return CSystemError::Text(m_nError);
}

QString CSafeFile::AbsolutePath(const QString& fileName) {
    const QString folder = QDir::isAbsolutePath(fileName) ? QString() : CurrentFolder();
    return folder.isEmpty() ? fileName : QDir(folder).filePath(fileName);
}

QString CSafeFile::CurrentFolder() {
    if (const QString folder = QDir::currentPath(); !folder.isEmpty())
        return folder;
#ifdef Q_OS_LINUX
    // The system no longer gives the path of a removed current folder; the process's own link still
    // names it, with a mark appended.
    char target[4096];
    const ssize_t nLength = ::readlink("/proc/self/cwd", target, sizeof target);
    if (nLength > 0 && size_t(nLength) < sizeof target) {
        QByteArray path(target, nLength);
        const QByteArray mark = QByteArrayLiteral(" (deleted)");
        if (path.endsWith(mark))
            path.chop(mark.size());
        return QFile::decodeName(path);
    }
#endif
    return QString();
}

bool CSafeFile::Fail(int nError) {
    m_nError = nError;
    m_file.cancelWriting();
    return false;
}
