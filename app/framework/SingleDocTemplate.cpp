// SPDX-License-Identifier: MIT
#include "app/framework/SingleDocTemplate.h"

#include "app/framework/Document.h"
#include "app/framework/FrameWnd.h"

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

bool CSingleDocTemplate::CreateDocumentAndFrame(CCmdTarget* pApp, CSettingsFile* pSettingsFile) {
    m_pOnlyDoc = m_pDocClass->CreateObject();
    m_pFrame = m_pFrameClass->CreateObject();
    CCreateContext context;
    context.m_pNewViewClass = m_pViewClass;
    context.m_pCurrentDoc = m_pOnlyDoc;
    context.m_pApp = pApp;
    context.m_pSettingsFile = pSettingsFile;
    if (!m_pFrame->LoadFrame(m_nIDResource, &context)) {
        CloseAll();
        return false;
    }
    return true;
}
