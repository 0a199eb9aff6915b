// SPDX-License-Identifier: MIT
#include "files/RegularFile.h"

#include "files/SystemError.h"

#include <QFile>

#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

// The folder part of an encoded path, "." for a bare name.
QByteArray FolderOf(const QByteArray& path) {
    const qsizetype nSlash = path.lastIndexOf('/');
    if (nSlash < 0) {
        return QByteArrayLiteral(".");
    }
    return nSlash == 0 ? QByteArrayLiteral("/") : path.left(nSlash);
}

} // namespace

int CRegularFile::OpenForReading(const QString& pathName, int* pnError) {
    // The name the system sees must be the one given: a NUL would cut it short.
    if (pathName.contains(QChar(u'\0'))) {
        *pnError = EINVAL;
        return -1;
    }
    const QByteArray path = QFile::encodeName(pathName);
    // Looking first keeps the open away from devices, where even a non-blocking open can act; looking again
    // at what was opened closes the gap between the two.
    struct stat info {};
    if (::stat(path.constData(), &info) != 0) {
        *pnError = errno;
        return -1;
    }
    if (!S_ISREG(info.st_mode)) {
        *pnError = CSystemError::kNotRegularFile;
        return -1;
    }
    const int nHandle = ::open(path.constData(), O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
    if (nHandle < 0) {
        *pnError = errno;
        return -1;
    }
    if (::fstat(nHandle, &info) != 0 || !S_ISREG(info.st_mode)) {
        ::close(nHandle);
        *pnError = CSystemError::kNotRegularFile;
        return -1;
    }
    return nHandle;
}

int CRegularFile::CheckReadable(const QString& pathName, qint64 nMaxSize) {
    int nError = 0;
    const int nHandle = OpenForReading(pathName, &nError);
    if (nHandle < 0) {
        return nError;
    }
    struct stat info {};
    if (::fstat(nHandle, &info) != 0) {
        nError = errno;
    } else if (info.st_size > nMaxSize) {
        nError = EFBIG;
    }
    ::close(nHandle);
    return nError;
}

int CRegularFile::CheckWriteTarget(const QString& pathName) {
    if (pathName.isEmpty()) {
        return ENOENT;
    }
    if (pathName.endsWith(u'/')) {
        return EISDIR;
    }
    // The system would cut the name at a NUL and write under a shorter one.
    if (pathName.contains(QChar(u'\0'))) {
        return EINVAL;
    }
    // Otherwise the file would come out under another name, maybe in another folder.
    if (!IsRepresentable(pathName)) {
        return EILSEQ;
    }
    const QByteArray path = QFile::encodeName(pathName);
    struct stat target {};
    if (::stat(path.constData(), &target) == 0) {
        if (S_ISDIR(target.st_mode)) {
            return EISDIR;
        }
        // A pipe would block the writer, and a device or socket would be replaced by a plain file.
        if (!S_ISREG(target.st_mode)) {
            return CSystemError::kNotRegularFile;
        }
        return ::access(path.constData(), W_OK) == 0 ? 0 : errno;
    }
    if (errno != ENOENT) {
        return errno;
    }
    // A new name: its folder must be there.
    struct stat folder {};
    if (::stat(FolderOf(path).constData(), &folder) != 0) {
        return errno;
    }
    if (!S_ISDIR(folder.st_mode)) {
        return ENOTDIR;
    }
    // A current folder removed while the program stands in it still answers, without any links left.
    return folder.st_nlink == 0 ? CSystemError::kFolderRemoved : 0;
}

bool CRegularFile::IsRepresentable(const QString& path) {
    // A name the encoding could not read shows as U+FFFD, which encodes to other bytes than the name has.
    return !path.contains(QChar::ReplacementCharacter) && QFile::decodeName(QFile::encodeName(path)) == path;
}

int CRegularFile::SyncToDisk(int nHandle) {
#if defined(Q_OS_LINUX)
    const int nResult = ::fdatasync(nHandle);
#else
    const int nResult = ::fsync(nHandle);
#endif
    if (nResult == 0 || errno == EINVAL || errno == EROFS) {
        return 0;
    }
    return errno;
}
