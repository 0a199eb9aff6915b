// SPDX-License-Identifier: MIT
#include "app/ZelvorandineApp.h"

#include "app/AboutDlg.h"
#include "app/ZelvorandineDoc.h"
#include "app/framework/CommandLineInfo.h"
#include "app/framework/SingleDocTemplate.h"
#include "canvas/ZelvorandineView.h"
#include "frame/MainFrame.h"
#include "res/ResourceIds.h"

BEGIN_MESSAGE_MAP(CZelvorandineApp, CWinApp)
ON_COMMAND(ID_APP_ABOUT, OnAppAbout)
END_MESSAGE_MAP()

CZelvorandineApp theApp;

CZelvorandineApp::CZelvorandineApp() = default;

bool CZelvorandineApp::InitInstance() {
    SetRegistryKey(QStringLiteral("Local AppWizard-Generated Applications"));
    LoadStdProfileSettings(4);

    AddDocTemplate(new CSingleDocTemplate(IDR_MAINFRAME, RUNTIME_CLASS(CZelvorandineDoc),
                                          RUNTIME_CLASS(CMainFrame), RUNTIME_CLASS(CZelvorandineView)));

    CCommandLineInfo cmdInfo;
    ParseCommandLine(cmdInfo);
    if (!ProcessShellCommand(cmdInfo)) {
        return false;
    }

    // Shown whatever show state the program was started with.
    m_pMainWnd->show();
    m_pMainWnd->raise();
    m_pMainWnd->activateWindow();
    return true;
}

void CZelvorandineApp::OnAppAbout() {
    CAboutDlg aboutDlg;
    aboutDlg.DoModal();
}
