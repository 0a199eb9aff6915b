// SPDX-License-Identifier: MIT
#include "files/StagedFile.h"

#include "files/RegularFile.h"
#include "files/SystemError.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRandomGenerator>

#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

bool Fail(QString* pErrorText, int nError) {
    if (pErrorText != nullptr) {
        *pErrorText = CSystemError::Text(nError);
    }
    return false;
}

// The file a write through pathName lands in: the end of its chain of symbolic links.
QString FinalPath(const QString& pathName) {
    const QFileInfo info(pathName);
    if (!info.isSymLink()) {
        return info.absoluteFilePath();
    }
    return info.exists() ? info.canonicalFilePath() : info.symLinkTarget();
}

// The permission bits of the regular file at pathName, -1 when there is none.
int ExistingMode(const QString& pathName) {
    struct stat info {};
    if (::stat(QFile::encodeName(pathName).constData(), &info) != 0 || !S_ISREG(info.st_mode)) {
        return -1;
    }
    return static_cast<int>(info.st_mode & 07777);
}

// 0 when the file's bytes have reached the disk and the handle is closed.
int SyncAndClose(int nHandle) {
    int nError = CRegularFile::SyncToDisk(nHandle);
    if (::close(nHandle) != 0 && nError == 0) {
        nError = errno;
    }
    return nError;
}

} // namespace

CStagedFile::~CStagedFile() {
    if (!m_strTemporary.isEmpty()) {
        ::unlink(QFile::encodeName(m_strTemporary).constData());
    }
}

bool CStagedFile::Create(const QString& target, QString* pErrorText) {
    if (const int nError = CRegularFile::CheckWriteTarget(target); nError != 0) {
        return Fail(pErrorText, nError);
    }
    m_strFinal = FinalPath(target);
    return CreateTemporary(ExistingMode(m_strFinal), pErrorText);
}

bool CStagedFile::CreateTemporary(int nExistingMode, QString* pErrorText) {
    const QString folder = QFileInfo(m_strFinal).absolutePath();
    for (int nTry = 0; nTry < 100; ++nTry) {
        const QString name =
            QStringLiteral("/.%1.tmp").arg(QRandomGenerator::global()->generate(), 8, 16, QLatin1Char('0'));
        const QByteArray path = QFile::encodeName(folder + name);
        // A new file gets the permission bits the user's mask gives any new file.
        const int nHandle =
            ::open(path.constData(), O_WRONLY | O_CREAT | O_EXCL | O_NOCTTY | O_CLOEXEC, 0666);
        if (nHandle < 0 && errno == EEXIST) {
            continue;
        }
        if (nHandle < 0) {
            return Fail(pErrorText, errno);
        }
        m_strTemporary = QFile::decodeName(path);
        // Replacing a file does not change who may read it, nor whose it is.
        if (nExistingMode >= 0 && ::fchmod(nHandle, static_cast<mode_t>(nExistingMode)) != 0) {
            const int nError = errno;
            ::close(nHandle);
            return Fail(pErrorText, nError);
        }
        CRegularFile::KeepOwner(nHandle, m_strFinal);
        if (::close(nHandle) != 0) {
            return Fail(pErrorText, errno);
        }
        return true;
    }
    return Fail(pErrorText, EEXIST);
}

bool CStagedFile::Commit(QString* pErrorText) {
    const QByteArray temporary = QFile::encodeName(m_strTemporary);
    const int nHandle = ::open(temporary.constData(), O_WRONLY | O_NOCTTY | O_CLOEXEC);
    if (nHandle < 0) {
        return Fail(pErrorText, errno);
    }
    if (const int nError = SyncAndClose(nHandle); nError != 0) {
        return Fail(pErrorText, nError);
    }
    // What took the target's place since Create must not be replaced either.
    if (const int nError = CRegularFile::CheckWriteTarget(m_strFinal); nError != 0) {
        return Fail(pErrorText, nError);
    }
    if (::rename(temporary.constData(), QFile::encodeName(m_strFinal).constData()) != 0) {
        return Fail(pErrorText, errno);
    }
    m_strTemporary.clear();
    return true;
}
