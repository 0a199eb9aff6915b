// SPDX-License-Identifier: MIT
#include "app/framework/SingleDocTemplate.h"

#include "app/framework/Document.h"
#include "app/framework/FrameWnd.h"
#include "app/framework/View.h"
#include "app/framework/WinApp.h"
#include "app/resources/Resources.h"
#include "res/ResourceIds.h"

CSingleDocTemplate::CSingleDocTemplate(int nIDResource, const CRuntimeClassT<CDocument>* pDocClass,
                                       const CRuntimeClassT<CFrameWnd>* pFrameClass,
                                       const CRuntimeClassT<CView>* pViewClass)
    : m_nIDResource(nIDResource), m_pDocClass(pDocClass), m_pFrameClass(pFrameClass),
      m_pViewClass(pViewClass) {}

CSingleDocTemplate::~CSingleDocTemplate() {
    CloseAll();
}

void CSingleDocTemplate::CloseAll() {
    delete m_pFrame;
    m_pFrame = nullptr;
    delete m_pOnlyDoc;
    m_pOnlyDoc = nullptr;
}

bool CSingleDocTemplate::CreateDocumentAndFrame() {
    m_pOnlyDoc = m_pDocClass->CreateObject();
    m_pFrame = m_pFrameClass->CreateObject();
    CCreateContext context;
    context.m_pNewViewClass = m_pViewClass;
    context.m_pCurrentDoc = m_pOnlyDoc;
    context.m_pSettingsFile = AfxGetApp()->GetSettingsFile();
    if (!m_pFrame->LoadFrame(m_nIDResource, &context)) {
        CloseAll();
        return false;
    }
    return true;
}

CDocument* CSingleDocTemplate::OpenDocumentFile(const QString& pathName, bool bMakeVisible) {
    const bool bCreated = m_pOnlyDoc == nullptr;
    if (bCreated && !CreateDocumentAndFrame()) {
        AfxMessageBox(CResources::LoadString(AFX_IDP_FAILED_TO_CREATE_DOC));
        return nullptr;
    }
    if (!m_pOnlyDoc->SaveModified()) {
        return nullptr;
    }
    if (pathName.isEmpty()) {
        if (!m_pOnlyDoc->OnNewDocument()) {
            if (bCreated) {
                CloseAll();
            }
            return nullptr;
        }
    } else {
        QString reason;
        if (!m_pOnlyDoc->OnOpenDocument(pathName, &reason)) {
            AfxMessageBox(CResources::Format(AFX_IDP_FAILED_TO_OPEN_DOC, pathName, reason));
            if (bCreated) {
                CloseAll();
            }
            return nullptr;
        }
        m_pOnlyDoc->SetPathName(pathName);
        AfxGetApp()->AddToRecentFileList(pathName);
    }
    if (bCreated) {
        AfxGetApp()->m_pMainWnd = m_pFrame;
    }
    m_pFrame->OnUpdateFrameTitle();
    if (CView* pView = m_pFrame->GetActiveView()) {
        pView->OnInitialUpdate();
    }
    if (bCreated && bMakeVisible) {
        m_pFrame->show();
    }
    m_pFrame->UpdateCommandUI();
    return m_pOnlyDoc;
}
