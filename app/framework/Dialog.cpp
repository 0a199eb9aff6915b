// SPDX-License-Identifier: MIT
#include "app/framework/Dialog.h"

#include "app/framework/DataExchange.h"
#include "app/framework/FrameWnd.h"
#include "app/framework/WinApp.h"
#include "app/resources/DialogBuilder.h"
#include "res/DialogTemplates.h"

#include <QAbstractButton>
#include <QCloseEvent>
#include <QKeyEvent>
#include <QPushButton>

BEGIN_MESSAGE_MAP(CDialog, CCmdTarget)
ON_COMMAND(IDOK, OnOK)
ON_COMMAND(IDCANCEL, OnCancel)
END_MESSAGE_MAP()

CDialog::CDialog(const DialogTemplate& tmpl, QWidget* pParent) : QDialog(pParent), m_template(tmpl) {}

CDialog::~CDialog() = default;

void CDialog::CreateControls() {
    if (m_bCreated) {
        return;
    }
    m_bCreated = true;
    for (const auto& [nID, pWidget] : CDialogBuilder::Build(*this, m_template)) {
        if (auto* pButton = qobject_cast<QAbstractButton*>(pWidget)) {
            const int nCommand = nID;
            connect(pButton, &QAbstractButton::clicked, this,
                    [this, nCommand] { OnCmdMsg(nCommand, CmdCode::Command, nullptr); });
        }
    }
}

int CDialog::DoModal() {
    if (parentWidget() == nullptr && AfxGetMainWnd() != nullptr) {
        setParent(AfxGetMainWnd(), windowFlags());
    }
    CreateControls();
    setWindowModality(Qt::ApplicationModal);
    if (OnCreate() == -1) {
        return -1;
    }
    m_bEnded = false;
    setResult(IDCANCEL);
    if (OnInitDialog()) {
        FocusFirstTabStop();
    }
    if (m_bEnded) {
        return result();
    }
    return exec();
}

void CDialog::EndDialog(int nResult) {
    m_bEnded = true;
    done(nResult);
}

void CDialog::FocusFirstTabStop() {
    for (int i = 0; i < m_template.nControls; ++i) {
        const DialogControl& control = m_template.controls[i];
        if ((control.style & kStyleTabStop) != 0) {
            if (QWidget* pWidget = GetDlgItem(control.nID)) {
                pWidget->setFocus(Qt::OtherFocusReason);
                return;
            }
        }
    }
}

QWidget* CDialog::GetDlgItem(int nID) const {
    return CDialogBuilder::FindControl(*this, nID);
}

bool CDialog::UpdateData(bool bSaveAndValidate) {
    CDataExchange dx(this, bSaveAndValidate);
    DoDataExchange(&dx);
    return true;
}

bool CDialog::OnInitDialog() {
    UpdateData(false);
    return true;
}

void CDialog::DoDataExchange(CDataExchange*) {}

void CDialog::OnOK() {
    if (!UpdateData(true)) {
        return;
    }
    EndDialog(IDOK);
}

void CDialog::OnCancel() {
    EndDialog(IDCANCEL);
}

void CDialog::keyPressEvent(QKeyEvent* e) {
    switch (e->key()) {
    case Qt::Key_Return:
    case Qt::Key_Enter: {
        // Enter presses the focused push button; elsewhere it is the OK command.
        auto* pButton = qobject_cast<QPushButton*>(focusWidget());
        if (pButton != nullptr && pButton->isEnabled()) {
            pButton->click();
        } else {
            OnCmdMsg(IDOK, CmdCode::Command, nullptr);
        }
        e->accept();
        return;
    }
    case Qt::Key_Escape:
        OnCmdMsg(IDCANCEL, CmdCode::Command, nullptr);
        e->accept();
        return;
    default:
        QDialog::keyPressEvent(e);
    }
}

void CDialog::closeEvent(QCloseEvent* e) {
    if (!m_bEnded) {
        // The close box is Cancel.
        e->ignore();
        OnCmdMsg(IDCANCEL, CmdCode::Command, nullptr);
        return;
    }
    QDialog::closeEvent(e);
}

void CDialog::reject() {
    OnCmdMsg(IDCANCEL, CmdCode::Command, nullptr);
}

void CDialog::accept() {
    OnCmdMsg(IDOK, CmdCode::Command, nullptr);
}
