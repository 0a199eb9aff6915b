// SPDX-License-Identifier: MIT
#pragma once

#include "app/framework/CmdTarget.h"

#include <QMessageBox>
#include <QString>
#include <QStringList>
#include <memory>

class CCommandLineInfo;
class CDocument;
class CFrameWnd;
class CRecentFileList;
class CSettingsFile;
class CSingleDocTemplate;
class QPrinter;

// The application: start-up, the document template, per-user settings and the commands that no
// window answers.
class CWinApp : public CCmdTarget {
public:
    // Without a name the application takes string 57344 as its name.
    explicit CWinApp(const char* pszAppName = nullptr);
    ~CWinApp() override;
    CWinApp(const CWinApp&) = delete;
    CWinApp& operator=(const CWinApp&) = delete;

    // Translations and fonts; runs once the toolkit exists, before InitInstance.
    void InitApplication();
    virtual bool InitInstance() = 0;
    // Saves the settings and destroys the windows and the template; returns the exit code.
    virtual int ExitInstance();
    // The message loop; returns the exit code.
    int Run();

    // From here on the settings are kept in the per-user settings file for key and the application's name.
    void SetRegistryKey(const QString& key);
    void LoadStdProfileSettings(int nMaxMRU);
    void SaveStdProfileSettings();
    // The per-user settings file; its problems are said once on standard error. Null before SetRegistryKey.
    CSettingsFile* GetSettingsFile() const { return m_pSettingsFile.get(); }

    void AddDocTemplate(CSingleDocTemplate* pTemplate);
    CSingleDocTemplate* GetDocTemplate() const { return m_pDocTemplate; }

    void SetArguments(const QStringList& arguments) { m_arguments = arguments; }
    void ParseCommandLine(CCommandLineInfo& info) const;
    bool ProcessShellCommand(CCommandLineInfo& info);

    // The open sequence: an empty path makes a new document. The first call creates the document, the frame
    // and the view; later calls reuse them. nullptr when the document could not be created or the file
    // opened; the error has then been shown.
    CDocument* OpenDocumentFile(const QString& pathName, bool bMakeVisible = true);
    void AddToRecentFileList(const QString& pathName);
    CRecentFileList* GetRecentFileList() const { return m_pRecentFileList.get(); }

    // The printer that printing, print preview and printer set-up share.
    QPrinter& GetPrinter();

    CFrameWnd* m_pMainWnd = nullptr;
    QString m_pszAppName;
    QString m_pszRegistryKey;
    int m_nExitCode = 0;
    // Messages (AfxMessageBox) go to standard error instead: the command line prints without a window.
    bool m_bMessagesToStderr = false;

    void OnFileNew();
    void OnFileOpen();
    void OnFilePrintSetup();
    void OnOpenRecentFile(int nID);
    void OnUpdateRecentFileMenu(CCmdUI* pCmdUI);

private:
    bool SelectPrinter(const CCommandLineInfo& info);
    bool PrintFromCommandLine(const CCommandLineInfo& info);

    CSingleDocTemplate* m_pDocTemplate = nullptr;
    std::unique_ptr<CRecentFileList> m_pRecentFileList;
    std::unique_ptr<QPrinter> m_pPrinter;
    QStringList m_arguments;
    std::unique_ptr<CSettingsFile> m_pSettingsFile;

    DECLARE_MESSAGE_MAP(CWinApp)
};

CWinApp* AfxGetApp();
CFrameWnd* AfxGetMainWnd();
// A message box over pParent (without one, over the main window), titled with the application's name.
QMessageBox::StandardButton AfxMessageBox(const QString& text, QMessageBox::Icon icon = QMessageBox::Warning,
                                          QWidget* pParent = nullptr);
// The same box, not yet shown, for a caller that words its buttons.
std::unique_ptr<QMessageBox> AfxCreateMessageBox(const QString& text, QMessageBox::Icon icon,
                                                 QMessageBox::StandardButtons buttons,
                                                 QWidget* pParent = nullptr);
// The program's entry: builds the toolkit, runs InitInstance and the message loop.
int AfxWinMain(CWinApp& app, int argc, char** argv);
