// SPDX-License-Identifier: MIT
#include "app/framework/Document.h"

#include "app/framework/Resources.h"
#include "res/ResourceIds.h"

#include <QFile>
#include <QFileInfo>

bool CDocument::OnNewDocument() {
    m_strPathName.clear();
    m_strTitle = CResources::LoadString(AFX_IDS_UNTITLED);
    m_bModified = false;
    return true;
}

bool CDocument::OnOpenDocument(const QString& pathName, QString* pErrorText) {
    QFile file(pathName);
    if (!file.open(QIODevice::ReadOnly)) {
        if (pErrorText != nullptr) {
            *pErrorText = file.errorString();
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
