// SPDX-License-Identifier: MIT
#pragma once

#include "app/framework/Dialog.h"

class QSlider;

// The colour settings: the ceilings of red, green and blue and the contrast floor.
class CColorSettingsDlg : public CDialog {
    Q_OBJECT
public:
    explicit CColorSettingsDlg(QWidget* pParent = nullptr);
    ~CColorSettingsDlg() override;

    bool OnInitDialog() override;
    void DoDataExchange(CDataExchange* pDX) override;

    QSlider* m_sldContrast = nullptr;
    QSlider* m_sldBlue = nullptr;
    QSlider* m_sldGreen = nullptr;
    QSlider* m_sldRed = nullptr;
    int m_nRedPos = 0;
    int m_nBluePos = 0;
    int m_nGreenPos = 0;
    int m_nContrastPos = 0;

    DECLARE_MESSAGE_MAP(CColorSettingsDlg)
};
