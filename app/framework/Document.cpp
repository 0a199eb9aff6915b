// SPDX-License-Identifier: MIT
#include "app/framework/Document.h"

#include "files/RegularFile.h"
#include "app/resources/Resources.h"
#include "files/SystemError.h"
#include "res/ResourceIds.h"

#include <QFile>
#include <QFileInfo>

#include <cerrno>
#include <unistd.h>

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
    if (nHandle < 0 || !file.open(nHandle, QIODevice::ReadOnly, QFileDevice::AutoCloseHandle)) {
        if (nHandle >= 0) {
            ::close(nHandle);
            nError = EIO;
        }
        if (pErrorText != nullptr) {
            *pErrorText = CSystemError::Text(nError);
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
