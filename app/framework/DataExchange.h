// SPDX-License-Identifier: MIT
#pragma once

class QSlider;
class QWidget;

// Moves values between a dialog's controls and its members, in either direction.
class CDataExchange {
public:
    CDataExchange(QWidget* pDlgWnd, bool bSaveAndValidate)
        : m_bSaveAndValidate(bSaveAndValidate), m_pDlgWnd(pDlgWnd) {}

    bool m_bSaveAndValidate; // true: from the controls to the members
    QWidget* m_pDlgWnd;
};

// Binds pControl to the dialog's slider nIDC.
void DDX_Control(CDataExchange* pDX, int nIDC, QSlider*& pControl);
// Moves the position of slider nIDC into or out of value.
void DDX_Slider(CDataExchange* pDX, int nIDC, int& value);
