// SPDX-License-Identifier: MIT
#pragma once

#include "app/framework/RuntimeClass.h"

#include <QString>

class CDocument;
class CFrameWnd;
class CView;

// Ties one document, one frame and one view together for the life of the program.
class CSingleDocTemplate {
public:
    CSingleDocTemplate(int nIDResource, const CRuntimeClassT<CDocument>* pDocClass,
                       const CRuntimeClassT<CFrameWnd>* pFrameClass, const CRuntimeClassT<CView>* pViewClass);
    ~CSingleDocTemplate();
    CSingleDocTemplate(const CSingleDocTemplate&) = delete;
    CSingleDocTemplate& operator=(const CSingleDocTemplate&) = delete;

    // An empty path makes a new document. The first call creates the document, the frame and the view;
    // later calls reuse them. Returns nullptr when the document could not be created or the file opened;
    // the error has then been shown.
    CDocument* OpenDocumentFile(const QString& pathName, bool bMakeVisible = true);

    CDocument* GetDocument() const { return m_pOnlyDoc; }
    CFrameWnd* GetFrame() const { return m_pFrame; }

    // Destroys the frame (with its view) and the document.
    void CloseAll();

private:
    bool CreateDocumentAndFrame();

    int m_nIDResource;
    const CRuntimeClassT<CDocument>* m_pDocClass;
    const CRuntimeClassT<CFrameWnd>* m_pFrameClass;
    const CRuntimeClassT<CView>* m_pViewClass;
    CDocument* m_pOnlyDoc = nullptr;
    CFrameWnd* m_pFrame = nullptr;
};
