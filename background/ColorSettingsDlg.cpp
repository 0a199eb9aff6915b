// SPDX-License-Identifier: MIT
#include "background/ColorSettingsDlg.h"

#include "app/framework/DataExchange.h"
#include "res/DialogTemplates.h"

#include <QSlider>

BEGIN_MESSAGE_MAP(CColorSettingsDlg, CDialog)
ON_COMMAND(IDC_SETTINGS_DONE, OnOK)
END_MESSAGE_MAP()

namespace {

constexpr int kChannelMax = 255;
constexpr int kContrastMargin = 40;

} // namespace

CColorSettingsDlg::CColorSettingsDlg(QWidget* pParent) : CDialog(g_colorSettingsDialog, pParent) {
    setObjectName(QStringLiteral("colorSettingsDlg"));
}

CColorSettingsDlg::~CColorSettingsDlg() = default;

void CColorSettingsDlg::DoDataExchange(CDataExchange* pDX) {
    CDialog::DoDataExchange(pDX);
    DDX_Control(pDX, IDC_CONTRAST_SLIDER, m_sldContrast);
    DDX_Control(pDX, IDC_BLUE_SLIDER, m_sldBlue);
    DDX_Control(pDX, IDC_GREEN_SLIDER, m_sldGreen);
    DDX_Control(pDX, IDC_RED_SLIDER, m_sldRed);
    DDX_Slider(pDX, IDC_RED_SLIDER, m_nRedPos);
    DDX_Slider(pDX, IDC_BLUE_SLIDER, m_nBluePos);
    DDX_Slider(pDX, IDC_GREEN_SLIDER, m_nGreenPos);
    DDX_Slider(pDX, IDC_CONTRAST_SLIDER, m_nContrastPos);
}

bool CColorSettingsDlg::OnInitDialog() {
    CDialog::OnInitDialog();

    const std::pair<QSlider*, int> channels[] = {
        {m_sldRed, m_nRedPos}, {m_sldGreen, m_nGreenPos}, {m_sldBlue, m_nBluePos}};
    for (const auto& [pSlider, nPos] : channels) {
        pSlider->setRange(0, kChannelMax);
        pSlider->setValue(nPos);
    }
    // Fixed here from the stored ceilings; moving the colour sliders later does not change it.
    // Ceilings adding up to less than the margin leave the single position 0.
    const int nContrastMax = m_nRedPos + m_nGreenPos + m_nBluePos - kContrastMargin;
    m_sldContrast->setRange(0, qMax(0, nContrastMax));
    m_sldContrast->setValue(m_nContrastPos);
    return true;
}
