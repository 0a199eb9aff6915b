// SPDX-License-Identifier: MIT
#include "app/framework/DataExchange.h"

#include "app/framework/Dialog.h"

#include <QSlider>

void DDX_Control(CDataExchange* pDX, int nIDC, QSlider*& pControl) {
    if (pControl == nullptr) {
        pControl = qobject_cast<QSlider*>(pDX->m_pDlgWnd->GetDlgItem(nIDC));
    }
}

void DDX_Slider(CDataExchange* pDX, int nIDC, int& value) {
    auto* pSlider = qobject_cast<QSlider*>(pDX->m_pDlgWnd->GetDlgItem(nIDC));
    if (pSlider == nullptr) {
        return;
    }
    if (pDX->m_bSaveAndValidate) {
        value = pSlider->value();
    } else {
        pSlider->setValue(value);
    }
}
