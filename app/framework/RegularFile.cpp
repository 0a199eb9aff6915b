// SPDX-License-Identifier: MIT
#include "app/framework/RegularFile.h"

#include "app/framework/SystemError.h"

#include <QFile>

#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

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
