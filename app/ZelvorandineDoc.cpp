// SPDX-License-Identifier: MIT
#include "app/ZelvorandineDoc.h"

#include "app/framework/FrameWnd.h"
#include "canvas/ZelvorandineView.h"

IMPLEMENT_DYNCREATE(CZelvorandineDoc, CDocument)

BEGIN_MESSAGE_MAP(CZelvorandineDoc, CDocument)
END_MESSAGE_MAP()

void CZelvorandineDoc::Serialize(CArchive&) {}

bool CZelvorandineDoc::OnNewDocument() {
    return CDocument::OnNewDocument();
}

bool CZelvorandineDoc::CanCloseFrame(CFrameWnd* pFrame) {
    // The picture lives in the view, which offers to save it.
    auto* pView = qobject_cast<CZelvorandineView*>(pFrame->GetActiveView());
    return pView == nullptr || pView->SaveModified();
}
