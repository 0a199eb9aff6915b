#pragma once

#include "app/framework/RuntimeClass.h"
#include "app/framework/View.h"

class CZelvorandineView : public CView {
    Q_OBJECT
    DECLARE_DYNCREATE(CZelvorandineView, CView)
public:
    CZelvorandineView();
    ~CZelvorandineView() override;

    void OnAppExit();

    DECLARE_MESSAGE_MAP(CZelvorandineView)
};
