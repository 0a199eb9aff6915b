// SPDX-License-Identifier: MIT
#include "app/framework/Document.h"

#include "app/resources/Resources.h"
#include "files/RegularFile.h"
#include "files/SystemError.h"
#include "res/ResourceIds.h"

#include <QFile>
#include <QFileInfo>

#include <cerrno>

bool CDocument::OnNewDocument() {
    m_strPathName.clear();
    m_strTitle = CResources::LoadString(AFX_IDS_UNTITLED);
    m_bModified = false;
    return true;
}

bool CDocument::OnOpenDocument(const QString& pathName, QString* pErrorText) {
    int nError = 0;
    const int nHandle = CRegularFile::OpenForReading(pathName, &nError);
    QFile file;
    // The file takes the handle over and closes it; a handle open for reading is always taken.
    if (nHandle < 0 || !file.open(nHandle, QIODevice::ReadOnly, QFileDevice::AutoCloseHandle)) {
        if (pErrorText != nullptr) {
            *pErrorText = CSystemError::ReadingText(nHandle < 0 ? nError : EIO);
        }
        return false;
    }
    CArchive ar(&file, CArchive::load);
    Serialize(ar);
    file.close();
    m_bModified = false;
    return true;
}

void CDocument::Serialize(CArchive&) {}

void CDocument::SetPathName(const QString& pathName) {
    m_strPathName = QFileInfo(pathName).absoluteFilePath();
    m_strTitle = QFileInfo(pathName).fileName();
}
