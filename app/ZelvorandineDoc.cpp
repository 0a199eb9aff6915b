// SPDX-License-Identifier: MIT
#include "app/ZelvorandineDoc.h"

IMPLEMENT_DYNCREATE(CZelvorandineDoc, CDocument)

BEGIN_MESSAGE_MAP(CZelvorandineDoc, CDocument)
END_MESSAGE_MAP()

void CZelvorandineDoc::Serialize(CArchive&) {}

bool CZelvorandineDoc::OnNewDocument() {
    return CDocument::OnNewDocument();
}
