// SPDX-License-Identifier: MIT
#include "files/SystemError.h"

#include "res/ResourceIds.h"
#include "res/StringTable.h"

#include <cerrno>

namespace {

int StringFor(int nError) {
    switch (nError) {
    case CSystemError::kNotRegularFile:
        return IDS_ERROR_NOT_REGULAR_FILE;
    case CSystemError::kFolderRemoved:
        return IDS_ERROR_FOLDER_REMOVED;
    case CSystemError::kEmptyPicture:
        return IDS_ERROR_EMPTY_PICTURE;
    case CSystemError::kIncompleteWrite:
        return IDS_ERROR_INCOMPLETE_WRITE;
    case CSystemError::kOldBytesRestored:
        return IDS_ERROR_OLD_BYTES_RESTORED;
    case CSystemError::kOldBytesKept:
        return IDS_ERROR_OLD_BYTES_KEPT;
    case ENOSPC:
        return IDS_ERROR_NO_SPACE;
    case EDQUOT:
        return IDS_ERROR_QUOTA;
    case EACCES:
    case EPERM:
        return IDS_ERROR_ACCESS;
    case EROFS:
        return IDS_ERROR_READ_ONLY_FS;
    case ENOENT:
        return IDS_ERROR_NOT_FOUND;
    case ENAMETOOLONG:
        return IDS_ERROR_NAME_TOO_LONG;
    case EFBIG:
        return IDS_ERROR_FILE_TOO_LARGE;
    case EIO:
        return IDS_ERROR_IO;
    case ENOMEM:
        return IDS_ERROR_NO_MEMORY;
    case ENOTDIR:
        return IDS_ERROR_NOT_A_FOLDER;
    case EISDIR:
        return IDS_ERROR_IS_A_FOLDER;
    case EILSEQ:
    case EINVAL:
        return IDS_ERROR_BAD_NAME;
    case EBUSY:
    case ETXTBSY:
        return IDS_ERROR_BUSY;
    default:
        return 0;
    }
}

QString TableText(int nID) {
    for (const StringResource& s : g_stringTable) {
        if (s.nID == nID) {
            return QString::fromUtf8(s.text);
        }
    }
    return {};
}

} // namespace

QString CSystemError::Text(int nError) {
    if (const int nID = StringFor(nError); nID != 0) {
        return TableText(nID);
    }
    return qt_error_string(nError);
}

QString CSystemError::ReadingText(int nError) {
    return nError == EACCES || nError == EPERM ? TableText(IDS_ERROR_READ_ACCESS) : Text(nError);
}
