// SPDX-License-Identifier: MIT
#pragma once

#include "app/framework/CmdTarget.h"

#include <QDialog>

struct DialogTemplate;
class CDataExchange;

// A modal dialog built from a template. Buttons send their control id as a command through the
// dialog's message map; IDOK and IDCANCEL end it through OnOK and OnCancel.
class CDialog : public QDialog, public CCmdTarget {
    Q_OBJECT
public:
    // Without a parent the dialog is owned by the main window when it runs.
    explicit CDialog(const DialogTemplate& tmpl, QWidget* pParent = nullptr);
    ~CDialog() override;

    // Creates the controls, runs OnInitDialog and a nested event loop; returns the value given to
    // EndDialog, or -1 when the dialog could not be created.
    int DoModal();
    void EndDialog(int nResult);

    QWidget* GetDlgItem(int nID) const;
    bool UpdateData(bool bSaveAndValidate = true);

    virtual bool OnInitDialog();
    virtual void DoDataExchange(CDataExchange* pDX);
    virtual void OnOK();
    virtual void OnCancel();

protected:
    // Runs once the window exists, before it is shown; -1 stops the dialog.
    virtual int OnCreate() { return 0; }
    void keyPressEvent(QKeyEvent* e) override;
    void closeEvent(QCloseEvent* e) override;
    void reject() override;
    void accept() override;

private:
    void CreateControls();
    // Like a new dialog window, the first tab stop of the template takes the focus.
    void FocusFirstTabStop();

    const DialogTemplate& m_template;
    bool m_bCreated = false;
    bool m_bEnded = false;

    DECLARE_MESSAGE_MAP(CDialog)
};
