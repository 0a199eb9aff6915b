// SPDX-License-Identifier: MIT
#pragma once

#include "app/framework/RuntimeClass.h"

class CCmdTarget;
class CDocument;
class CFrameWnd;
class CSettingsFile;
class CView;

// Ties one document, one frame and one view together for the life of the program.
class CSingleDocTemplate {
public:
    CSingleDocTemplate(int nIDResource, const CRuntimeClassT<CDocument>* pDocClass,
                       const CRuntimeClassT<CFrameWnd>* pFrameClass, const CRuntimeClassT<CView>* pViewClass);
    ~CSingleDocTemplate();
    CSingleDocTemplate(const CSingleDocTemplate&) = delete;
    CSingleDocTemplate& operator=(const CSingleDocTemplate&) = delete;

    // Creates the document, then the frame loaded from the template's resource with the view as its client;
    // pApp is offered the commands that no window takes, pSettingsFile keeps the frame's place. False, with
    // nothing left, when the frame failed.
    bool CreateDocumentAndFrame(CCmdTarget* pApp, CSettingsFile* pSettingsFile);

    CDocument* GetDocument() const { return m_pOnlyDoc; }
    CFrameWnd* GetFrame() const { return m_pFrame; }

    // Destroys the frame (with its view) and the document.
    void CloseAll();

private:
    int m_nIDResource;
    const CRuntimeClassT<CDocument>* m_pDocClass;
    const CRuntimeClassT<CFrameWnd>* m_pFrameClass;
    const CRuntimeClassT<CView>* m_pViewClass;
    CDocument* m_pOnlyDoc = nullptr;
    CFrameWnd* m_pFrame = nullptr;
};
