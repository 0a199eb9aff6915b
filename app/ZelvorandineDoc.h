// SPDX-License-Identifier: MIT
#pragma once

#include "app/framework/Document.h"
#include "app/framework/RuntimeClass.h"

// The document holds nothing: the picture lives in the view.
class CZelvorandineDoc : public CDocument {
    DECLARE_DYNCREATE(CZelvorandineDoc, CDocument)
public:
    void Serialize(CArchive& ar) override;
    bool OnNewDocument() override;
    bool CanCloseFrame(CFrameWnd* pFrame) override;

    DECLARE_MESSAGE_MAP(CZelvorandineDoc)
};
