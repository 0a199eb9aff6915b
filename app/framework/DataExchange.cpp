// SPDX-License-Identifier: MIT
#include "app/framework/DataExchange.h"

#include "app/resources/DialogBuilder.h"

#include <QSlider>

void DDX_Control(CDataExchange* pDX, int nIDC, QSlider*& pControl) {
    if (pControl == nullptr) {
        pControl = qobject_cast<QSlider*>(CDialogBuilder::FindControl(*pDX->m_pDlgWnd, nIDC));
    }
}

void DDX_Slider(CDataExchange* pDX, int nIDC, int& value) {
    auto* pSlider = qobject_cast<QSlider*>(CDialogBuilder::FindControl(*pDX->m_pDlgWnd, nIDC));
    if (pSlider == nullptr) {
        return;
    }
    if (pDX->m_bSaveAndValidate) {
        value = pSlider->value();
    } else {
        pSlider->setValue(value);
    }
}
