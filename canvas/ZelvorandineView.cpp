#include "canvas/ZelvorandineView.h"

#include "app/framework/FrameWnd.h"
#include "app/framework/WinApp.h"
#include "res/ResourceIds.h"

IMPLEMENT_DYNCREATE(CZelvorandineView, CView)

BEGIN_MESSAGE_MAP(CZelvorandineView, CView)
ON_COMMAND(ID_APP_EXIT, OnAppExit)
END_MESSAGE_MAP()

CZelvorandineView::CZelvorandineView() = default;

CZelvorandineView::~CZelvorandineView() = default;

void CZelvorandineView::OnAppExit() {
    // The frame may be gone when close() returns: nothing may follow it here.
    if (CFrameWnd* pMainWnd = AfxGetMainWnd()) {
        pMainWnd->close();
    }
}
