// SPDX-License-Identifier: MIT
#include "files/FileReplacer.h"

#include "files/RegularFile.h"
#include "files/SystemError.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRandomGenerator>
#include <QScopeGuard>
#include <QStandardPaths>

#include <cerrno>
#include <fcntl.h>
#include <sys/sendfile.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

// How much one call copies between two files.
constexpr size_t kCopyChunk = 64 * 1024;

// The error number the last failed call left, or a plain input/output error when it left none.
int LastError() {
    return errno != 0 ? errno : EIO;
}

QByteArray Encoded(const QString& path) {
    return QFile::encodeName(path);
}

// The file a write through pathName lands in: the end of its chain of symbolic links. Any other name stays
// as given, relative ones too: the system finds the current folder even where its name cannot be decoded.
QString FinalPath(const QString& pathName) {
    const QFileInfo info(pathName);
    if (!info.isSymLink()) {
        return pathName;
    }
    return info.exists() ? info.canonicalFilePath() : info.symLinkTarget();
}

// Makes a new, empty file of a random hidden name in folder, open for reading and writing: its handle, or -1
// with the reason in errno.
int CreateTemporary(const QString& folder, mode_t nMode, QString* pPath) {
    for (int nTry = 0; nTry < 100; ++nTry) {
        const QString path =
            folder +
            QStringLiteral("/.%1.tmp").arg(QRandomGenerator::global()->generate(), 8, 16, QLatin1Char('0'));
        const int nHandle =
            ::open(Encoded(path).constData(), O_RDWR | O_CREAT | O_EXCL | O_NOCTTY | O_CLOEXEC, nMode);
        if (nHandle >= 0) {
            *pPath = path;
            return nHandle;
        }
        if (errno != EEXIST) {
            return -1;
        }
    }
    return -1; // errno: EEXIST
}

// Writes the whole file open at nFrom over the one open at nTo, which ends up exactly as long, and syncs it.
int WriteOver(int nFrom, int nTo) {
    char buffer[kCopyChunk];
    off_t nOffset = 0;
    for (;;) {
        errno = 0;
        const ssize_t nRead = ::pread(nFrom, buffer, sizeof buffer, nOffset);
        if (nRead < 0) {
            return LastError();
        }
        if (nRead == 0) {
            break;
        }
        for (ssize_t nDone = 0; nDone < nRead;) {
            errno = 0;
            const ssize_t n = ::pwrite(nTo, buffer + nDone, size_t(nRead - nDone), nOffset + nDone);
            if (n <= 0) {
                return LastError();
            }
            nDone += n;
        }
        nOffset += nRead;
    }
    if (::ftruncate(nTo, nOffset) != 0) {
        return errno;
    }
    return CRegularFile::SyncToDisk(nTo);
}

} // namespace

CFileReplacer::CFileReplacer(const QString& fileName) : m_strTarget(fileName) {}

CFileReplacer::~CFileReplacer() {
    Discard();
}

bool CFileReplacer::Open() {
    if (const int nError = CRegularFile::CheckWriteTarget(m_strTarget); nError != 0) {
        return Fail(nError);
    }
    m_strFinal = FinalPath(m_strTarget);
    struct stat target {};
    const bool bExists = ::stat(Encoded(m_strFinal).constData(), &target) == 0;
    // Until it takes an existing file's place, the new one is for its writer's eyes only.
    m_nHandle = CreateTemporary(QFileInfo(m_strFinal).path(), bExists ? 0600 : 0666, &m_strTemporary);
    if (m_nHandle < 0 && errno == EACCES && bExists) {
        return OpenInUserFolder();
    }
    return m_nHandle >= 0 || Fail(LastError());
}

// The folder is closed to the user, the file is not: the new bytes gather where the user may write.
bool CFileReplacer::OpenInUserFolder() {
    for (const auto location : {QStandardPaths::CacheLocation, QStandardPaths::RuntimeLocation}) {
        const QString folder = QStandardPaths::writableLocation(location);
        if (!folder.isEmpty() && QDir().mkpath(folder)) {
            m_nHandle = CreateTemporary(folder, 0600, &m_strTemporary);
        }
        if (m_nHandle >= 0) {
            m_bInPlace = true;
            return true;
        }
    }
    return Fail(EACCES); // the target's folder's answer
}

bool CFileReplacer::Write(const void* pData, qint64 nSize) {
    const char* pBytes = static_cast<const char*>(pData);
    while (m_nError == 0 && nSize > 0) {
        errno = 0;
        // The loop only continues a write the system took in part.
        const ssize_t n = ::write(m_nHandle, pBytes, size_t(nSize));
        if (n <= 0) {
            return Fail(LastError());
        }
        pBytes += n;
        nSize -= n;
        m_nWritten += n;
    }
    StartWriteBack();
    return m_nError == 0;
}

void CFileReplacer::StartWriteBack() {
#ifdef Q_OS_LINUX
    // Whole pages only: a page that the next write still changes would have to wait for its write-back.
    static const qint64 nPage = ::sysconf(_SC_PAGESIZE);
    const qint64 nEnd = m_nWritten / nPage * nPage;
    if (m_nError != 0 || nEnd - m_nWriteBackEnd < kWriteBackStep) {
        return;
    }
    // Only a hint: a failure shows in the sync before the commit.
    ::sync_file_range(m_nHandle, m_nWriteBackEnd, nEnd - m_nWriteBackEnd, SYNC_FILE_RANGE_WRITE);
    m_nWriteBackEnd = nEnd;
#endif
}

bool CFileReplacer::Commit(const CompletenessCheck& isComplete) {
    if (m_nError != 0) {
        return false;
    }
    struct stat written {};
    const bool bWhole = isComplete ? isComplete(m_strTemporary)
                                   : ::fstat(m_nHandle, &written) == 0 && written.st_size == m_nWritten;
    if (!bWhole) {
        return Fail(CSystemError::kIncompleteWrite);
    }
    // What took the target's place since Open must not be replaced either.
    if (const int nError = CRegularFile::CheckWriteTarget(m_strFinal); nError != 0) {
        return Fail(nError);
    }
    if (m_bInPlace) {
        const int nError = WriteInPlace();
        Discard();
        return nError == 0 || Fail(nError);
    }
    // A file system that reports a full disk or an I/O error only at the sync must not get to replace the
    // earlier file.
    if (int nError = TakeOverIdentity(); nError != 0 || (nError = CRegularFile::SyncToDisk(m_nHandle)) != 0) {
        return Fail(nError);
    }
    errno = 0;
    if (::rename(Encoded(m_strTemporary).constData(), Encoded(m_strFinal).constData()) != 0) {
        return Fail(LastError());
    }
    m_strTemporary.clear();
    Discard();
    return true;
}

int CFileReplacer::TakeOverIdentity() const {
    struct stat target {};
    if (::stat(Encoded(m_strFinal).constData(), &target) != 0) {
        return errno == ENOENT ? 0 : errno; // a new file has the bits the user's mask gives it
    }
    // Only root may give a file away; others keep at least the group where they belong to it. A file that
    // keeps neither is its writer's, as any file it makes.
    [[maybe_unused]] const bool bOwnerKept = ::fchown(m_nHandle, target.st_uid, target.st_gid) == 0 ||
                                             ::fchown(m_nHandle, uid_t(-1), target.st_gid) == 0;
    return ::fchmod(m_nHandle, target.st_mode & 0777) == 0 ? 0 : errno;
}

// A copy of the old bytes goes beside the new ones first; when writing the new ones over the target fails,
// the copy is written back. The file keeps its owner and permission bits, being the same file.
int CFileReplacer::WriteInPlace() {
    const int nTarget = ::open(Encoded(m_strFinal).constData(), O_RDWR | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
    if (nTarget < 0) {
        return errno;
    }
    const auto closeTarget = qScopeGuard([nTarget] { ::close(nTarget); });
    struct stat target {};
    if (::fstat(nTarget, &target) != 0 || !S_ISREG(target.st_mode)) {
        return CSystemError::kNotRegularFile;
    }
    QString copyPath;
    const int nCopy = CopyOldBytes(nTarget, &copyPath);
    if (nCopy < 0) {
        return LastError();
    }
    const int nError = WriteOver(m_nHandle, nTarget);
    m_bRestored = nError != 0 && WriteOver(nCopy, nTarget) == 0;
    ::close(nCopy);
    if (nError != 0 && !m_bRestored) {
        m_strKeptCopy = copyPath; // all that is left of the old bytes
    } else {
        ::unlink(Encoded(copyPath).constData());
    }
    return nError;
}

int CFileReplacer::CopyOldBytes(int nTarget, QString* pCopyPath) const {
    const int nCopy = CreateTemporary(QFileInfo(m_strTemporary).path(), 0600, pCopyPath);
    if (nCopy < 0) {
        return -1;
    }
    off_t nOffset = 0;
    ssize_t n = 0;
    do {
        n = ::sendfile(nCopy, nTarget, &nOffset, kCopyChunk);
    } while (n > 0);
    if (n == 0 && (::fsync(nCopy) == 0 || errno == EINVAL)) {
        return nCopy;
    }
    const int nError = errno;
    ::close(nCopy);
    ::unlink(Encoded(*pCopyPath).constData());
    pCopyPath->clear();
    errno = nError;
    return -1;
}

QString CFileReplacer::ErrorText() const {
    QString text = CSystemError::Text(m_nError);
    if (m_bRestored) {
        text += CSystemError::Text(CSystemError::kOldBytesRestored);
    }
    if (!m_strKeptCopy.isEmpty()) {
        text += CSystemError::Text(CSystemError::kOldBytesKept).arg(QDir::toNativeSeparators(m_strKeptCopy));
    }
    return text;
}

QString CFileReplacer::AbsolutePath(const QString& fileName) {
    const QString folder = QDir::isAbsolutePath(fileName) ? QString() : CurrentFolder();
    return folder.isEmpty() ? fileName : QDir(folder).filePath(fileName);
}

QString CFileReplacer::CurrentFolder() {
    if (const QString folder = QDir::currentPath(); !folder.isEmpty()) {
        return folder;
    }
#ifdef Q_OS_LINUX
    // The system no longer gives the path of a removed current folder; the process's own link still
    // names it, with a mark appended.
    char target[4096];
    const ssize_t nLength = ::readlink("/proc/self/cwd", target, sizeof target);
    if (nLength > 0 && size_t(nLength) < sizeof target) {
        QByteArray path(target, nLength);
        const QByteArray mark = QByteArrayLiteral(" (deleted)");
        if (path.endsWith(mark)) {
            path.chop(mark.size());
        }
        return QFile::decodeName(path);
    }
#endif
    return QString();
}

void CFileReplacer::Discard() {
    if (m_nHandle >= 0) {
        ::close(m_nHandle);
        m_nHandle = -1;
    }
    if (!m_strTemporary.isEmpty()) {
        ::unlink(Encoded(m_strTemporary).constData());
        m_strTemporary.clear();
    }
}

bool CFileReplacer::Fail(int nError) {
    m_nError = nError;
    Discard();
    return false;
}
