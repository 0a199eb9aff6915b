// SPDX-License-Identifier: MIT
#include "app/framework/WinApp.h"

#include "app/framework/CmdUI.h"
#include "app/framework/CommandLineInfo.h"
#include "app/framework/Document.h"
#include "app/framework/FrameWnd.h"
#include "app/framework/RecentFileList.h"
#include "app/framework/SingleDocTemplate.h"
#include "app/framework/View.h"
#include "app/resources/Resources.h"
#include "files/RegularFile.h"
#include "files/SettingsFile.h"
#include "files/SystemError.h"
#include "res/MenuTable.h"
#include "res/ResourceIds.h"
#include "res/VersionInfo.h"

#include <QAction>
#include <QApplication>
#include <QDir>
#include <QFileDialog>
#include <QFont>
#include <QFontMetrics>
#include <QLibraryInfo>
#include <QMenu>
#include <QPageSetupDialog>
#include <QPrinter>
#include <QPrinterInfo>
#include <QSettings>
#include <QTranslator>
#include <csignal>
#include <cstdio>
#include <thread>

#ifdef ZELVORANDINE_HAVE_FONTCONFIG
#include <fontconfig/fontconfig.h>
#endif

namespace {

CWinApp* g_pApp = nullptr;

constexpr int kExitBadArguments = 2;
constexpr int kExitFailure = 1;
// Far more than any style sheet or icon for this window takes.
constexpr qint64 kMaxToolkitFileSize = 1024 * 1024;

void PrintLine(FILE* stream, const QString& text) {
    std::fputs(text.toLocal8Bit().constData(), stream);
    std::fputs("\n", stream);
    std::fflush(stream);
}

// The menu's own text of the recent-file placeholder, shown again once the list is empty.
QString RecentFilePlaceholderText() {
    for (const MenuItemResource& item : g_mainMenu) {
        if (item.kind == MenuItemKind::Command && item.nID == ID_FILE_MRU_FILE1) {
            return QString::fromUtf8(item.text);
        }
    }
    return {};
}

QString VersionText() {
    return QStringLiteral("%1 %2\n%3")
        .arg(QString::fromUtf8(kProductName), QString::fromUtf8(kVersionString),
             CResources::LoadString(IDS_VERSION_NOTICE));
}

QString BadArgumentsText(const CCommandLineInfo& info) {
    int nID = IDS_BAD_OPTION;
    switch (info.m_nBadArgumentKind) {
    case CCommandLineInfo::UnknownSwitch:
        break;
    case CCommandLineInfo::ExtraArgument:
        nID = IDS_EXTRA_ARGUMENT;
        break;
    case CCommandLineInfo::MissingFileName:
        nID = IDS_MISSING_PRINT_FILE;
        break;
    case CCommandLineInfo::MissingPrinterName:
        nID = IDS_MISSING_PRINTER_NAME;
        break;
    }
    return CResources::Format(nID, info.m_strBadArgument);
}

void ReportSettingsProblem(CSettingsFile::Problem nProblem, const QString& path, const QString& reason) {
    const QString file = QDir::toNativeSeparators(path);
    PrintLine(stderr, nProblem == CSettingsFile::NotRead
                          ? CResources::Format(IDS_SETTINGS_NOT_READ, file, reason)
                          : CResources::Format(IDS_SETTINGS_NOT_WRITTEN, file));
}

// The toolkit reads the files some of its options name while it starts, before any check of ours could run.
// They are checked as the program's own files are, with a limit on the size: a pipe would keep the start
// waiting, a device or a huge file would fill the memory. 0, or the exit code after the message.
int CheckToolkitFiles(const QStringList& arguments) {
    for (const auto& [option, file] : CCommandLineInfo::ToolkitFiles(arguments)) {
        if (const int nError = CRegularFile::CheckReadable(file, kMaxToolkitFileSize); nError != 0) {
            PrintLine(stderr, CResources::Format(IDS_TOOLKIT_FILE_REFUSED, option, file) + QLatin1Char('\n') +
                                  CSystemError::ReadingText(nError) + QLatin1Char('\n') +
                                  CResources::LoadString(IDS_TOOLKIT_FILE_RULE));
            return kExitBadArguments;
        }
    }
    return 0;
}

// Opens the file into the document, or says why it cannot.
bool ReadDocument(CDocument& doc, const QString& pathName) {
    QString reason;
    if (!doc.OnOpenDocument(pathName, &reason)) {
        AfxMessageBox(CResources::Format(AFX_IDP_FAILED_TO_OPEN_DOC, pathName, reason));
        return false;
    }
    doc.SetPathName(pathName);
    return true;
}

} // namespace

BEGIN_MESSAGE_MAP(CWinApp, CCmdTarget)
ON_COMMAND(ID_FILE_NEW, OnFileNew)
ON_COMMAND(ID_FILE_OPEN, OnFileOpen)
ON_COMMAND(ID_FILE_PRINT_SETUP, OnFilePrintSetup)
ON_COMMAND_RANGE(ID_FILE_MRU_FILE1, ID_FILE_MRU_FILE16, OnOpenRecentFile)
ON_UPDATE_COMMAND_UI(ID_FILE_MRU_FILE1, OnUpdateRecentFileMenu)
END_MESSAGE_MAP()

CWinApp* AfxGetApp() {
    return g_pApp;
}

CFrameWnd* AfxGetMainWnd() {
    return g_pApp != nullptr ? g_pApp->m_pMainWnd : nullptr;
}

QMessageBox::StandardButton AfxMessageBox(const QString& text, QMessageBox::Icon icon, QWidget* pParent) {
    if (g_pApp != nullptr && g_pApp->m_bMessagesToStderr) {
        PrintLine(stderr, text);
        return QMessageBox::Ok;
    }
    return static_cast<QMessageBox::StandardButton>(
        AfxCreateMessageBox(text, icon, QMessageBox::Ok, pParent)->exec());
}

std::unique_ptr<QMessageBox> AfxCreateMessageBox(const QString& text, QMessageBox::Icon icon,
                                                 QMessageBox::StandardButtons buttons, QWidget* pParent) {
    const QString title = g_pApp != nullptr ? g_pApp->m_pszAppName : QString();
    auto box = std::make_unique<QMessageBox>(icon, title, text, buttons,
                                             pParent != nullptr ? pParent : AfxGetMainWnd());
    box->setObjectName(QStringLiteral("afxMessageBox"));
    // File names and arguments go into these texts: one that looks like markup must show as it is.
    box->setTextFormat(Qt::PlainText);
    return box;
}

CWinApp::CWinApp(const char* pszAppName) {
    // Constructed during static initialisation: nothing here may need the toolkit.
    m_pszAppName =
        pszAppName != nullptr ? QString::fromUtf8(pszAppName) : CResources::LoadString(AFX_IDS_APP_TITLE);
    g_pApp = this;
}

CWinApp::~CWinApp() {
    if (g_pApp == this) {
        g_pApp = nullptr;
    }
}

void CWinApp::InitApplication() {
    static bool bDone = false;
    if (bDone) {
        return;
    }
    bDone = true;
    // Every text the user sees is Japanese, Qt's own dialogs included.
    auto* pTranslator = new QTranslator(qApp);
    if (pTranslator->load(QStringLiteral("qtbase_ja"), QLibraryInfo::path(QLibraryInfo::TranslationsPath))) {
        QCoreApplication::installTranslator(pTranslator);
    }
    QFont::insertSubstitution(QStringLiteral("ＭＳ Ｐゴシック"), QStringLiteral("IPAPGothic"));
    QFont::insertSubstitution(QStringLiteral("ＭＳ Ｐゴシック"), QStringLiteral("IPAGothic"));
}

int CWinApp::Run() {
    const int nResult = QApplication::exec();
    const int nExit = ExitInstance();
    return nResult != 0 ? nResult : nExit;
}

int CWinApp::ExitInstance() {
    if (m_pDocTemplate != nullptr) {
        SaveStdProfileSettings();
        delete m_pDocTemplate;
        m_pDocTemplate = nullptr;
    }
    m_pMainWnd = nullptr;
    m_pPrinter.reset();
    return m_nExitCode;
}

void CWinApp::SetRegistryKey(const QString& key) {
    m_pszRegistryKey = key;
    QCoreApplication::setOrganizationName(key);
    QCoreApplication::setApplicationName(m_pszAppName);
    m_pSettingsFile = std::make_unique<CSettingsFile>(key, m_pszAppName, &ReportSettingsProblem);
}

void CWinApp::LoadStdProfileSettings(int nMaxMRU) {
    m_pRecentFileList = std::make_unique<CRecentFileList>(nMaxMRU, QStringLiteral("Recent File List"),
                                                          QStringLiteral("File%1"));
    if (const auto settings = m_pSettingsFile != nullptr ? m_pSettingsFile->Open() : nullptr) {
        m_pRecentFileList->ReadList(*settings);
    }
}

void CWinApp::SaveStdProfileSettings() {
    if (m_pRecentFileList != nullptr && m_pSettingsFile != nullptr) {
        m_pSettingsFile->Write([this](QSettings& settings) { m_pRecentFileList->WriteList(settings); });
    }
}

void CWinApp::AddDocTemplate(CSingleDocTemplate* pTemplate) {
    delete m_pDocTemplate;
    m_pDocTemplate = pTemplate;
}

void CWinApp::ParseCommandLine(CCommandLineInfo& info) const {
    info.ParseArguments(m_arguments);
}

bool CWinApp::ProcessShellCommand(CCommandLineInfo& info) {
    switch (info.m_nShellCommand) {
    case CCommandLineInfo::FileNew:
        // Offered to the application alone: the view that would take it does not exist yet.
        OnCmdMsg(ID_FILE_NEW, CmdCode::Command, nullptr);
        if (m_pMainWnd == nullptr) {
            m_nExitCode = kExitFailure;
            return false;
        }
        return true;
    case CCommandLineInfo::FileOpen:
        if (OpenDocumentFile(info.m_strFileName) == nullptr) {
            m_nExitCode = kExitFailure;
            return false;
        }
        return true;
    case CCommandLineInfo::FilePrint:
    case CCommandLineInfo::FilePrintTo:
        // No window shows, and nobody may be there to close a message box.
        m_bMessagesToStderr = true;
        m_nExitCode = PrintFromCommandLine(info) ? 0 : kExitFailure;
        return false;
    case CCommandLineInfo::AppHelp:
        PrintLine(stdout, CResources::LoadString(IDS_USAGE));
        m_nExitCode = 0;
        return false;
    case CCommandLineInfo::AppVersion:
        PrintLine(stdout, VersionText());
        m_nExitCode = 0;
        return false;
    case CCommandLineInfo::BadArguments:
        PrintLine(stderr, BadArgumentsText(info));
        m_nExitCode = kExitBadArguments;
        return false;
    }
    return false;
}

bool CWinApp::SelectPrinter(const CCommandLineInfo& info) {
    QPrinter& printer = GetPrinter();
    if (info.m_nShellCommand == CCommandLineInfo::FilePrint) {
        const QPrinterInfo defaultPrinter = QPrinterInfo::defaultPrinter();
        if (defaultPrinter.isNull()) {
            AfxMessageBox(CResources::LoadString(IDS_NO_PRINTER));
            return false;
        }
        printer.setPrinterName(defaultPrinter.printerName());
        return true;
    }
    if (QPrinterInfo::availablePrinterNames().contains(info.m_strPrinterName)) {
        printer.setPrinterName(info.m_strPrinterName);
        return true;
    }
    // Without a printer of that name, a name ending in .pdf prints into that file.
    if (info.m_strPrinterName.endsWith(QLatin1String(".pdf"), Qt::CaseInsensitive)) {
        printer.setOutputFormat(QPrinter::PdfFormat);
        printer.setOutputFileName(info.m_strPrinterName);
        return true;
    }
    AfxMessageBox(CResources::Format(IDS_PRINTER_NOT_FOUND, info.m_strPrinterName));
    return false;
}

bool CWinApp::PrintFromCommandLine(const CCommandLineInfo& info) {
    if (!SelectPrinter(info) || m_pDocTemplate == nullptr) {
        return false;
    }
    if (OpenDocumentFile(info.m_strFileName, false) == nullptr) {
        return false;
    }
    CFrameWnd* pFrame = m_pDocTemplate->GetFrame();
    pFrame->SendCommand(ID_FILE_PRINT_DIRECT);
    CView* pView = pFrame->GetActiveView();
    return pView != nullptr && pView->LastPrintSucceeded();
}

CDocument* CWinApp::OpenDocumentFile(const QString& pathName, bool bMakeVisible) {
    if (m_pDocTemplate == nullptr) {
        return nullptr;
    }
    const bool bCreated = m_pDocTemplate->GetDocument() == nullptr;
    if (bCreated && !m_pDocTemplate->CreateDocumentAndFrame(this, GetSettingsFile())) {
        AfxMessageBox(CResources::LoadString(AFX_IDP_FAILED_TO_CREATE_DOC));
        return nullptr;
    }
    CDocument* pDoc = m_pDocTemplate->GetDocument();
    CFrameWnd* pFrame = m_pDocTemplate->GetFrame();
    if (!pDoc->SaveModified()) {
        return nullptr;
    }
    if (!(pathName.isEmpty() ? pDoc->OnNewDocument() : ReadDocument(*pDoc, pathName))) {
        if (bCreated) {
            m_pDocTemplate->CloseAll();
        }
        return nullptr;
    }
    if (!pathName.isEmpty()) {
        AddToRecentFileList(pathName);
    }
    if (bCreated) {
        m_pMainWnd = pFrame;
        QObject::connect(pFrame, &CFrameWnd::Closing, pFrame, [this] { SaveStdProfileSettings(); });
        if (CView* pView = pFrame->GetActiveView()) {
            pView->SetPrinter([this]() -> QPrinter& { return GetPrinter(); });
        }
    }
    pFrame->InitialUpdateFrame(bCreated && bMakeVisible);
    return pDoc;
}

void CWinApp::AddToRecentFileList(const QString& pathName) {
    if (m_pRecentFileList != nullptr) {
        m_pRecentFileList->Add(pathName);
        SaveStdProfileSettings();
    }
}

QPrinter& CWinApp::GetPrinter() {
    if (m_pPrinter == nullptr) {
        m_pPrinter = std::make_unique<QPrinter>(QPrinter::HighResolution);
    }
    return *m_pPrinter;
}

void CWinApp::OnFileNew() {
    OpenDocumentFile(QString());
}

void CWinApp::OnFileOpen() {
    const QString path =
        QFileDialog::getOpenFileName(AfxGetMainWnd(), CResources::LoadString(AFX_IDS_OPENFILE), QString(),
                                     CResources::LoadString(AFX_IDS_ALLFILTER));
    if (!path.isEmpty()) {
        OpenDocumentFile(path);
    }
}

void CWinApp::OnFilePrintSetup() {
    QPageSetupDialog dialog(&GetPrinter(), AfxGetMainWnd());
    dialog.exec();
}

void CWinApp::OnOpenRecentFile(int nID) {
    const int nIndex = nID - ID_FILE_MRU_FILE1;
    if (m_pRecentFileList == nullptr || nIndex < 0 || nIndex >= m_pRecentFileList->GetSize()) {
        return;
    }
    const QString path = (*m_pRecentFileList)[nIndex];
    if (OpenDocumentFile(path) == nullptr) {
        // The file is gone or unreadable: the error was shown, the entry goes.
        m_pRecentFileList->Remove(nIndex);
        SaveStdProfileSettings();
    }
}

void CWinApp::OnUpdateRecentFileMenu(CCmdUI* pCmdUI) {
    CFrameWnd* pFrame = AfxGetMainWnd();
    if (pCmdUI->m_pMenu == nullptr || pFrame == nullptr || m_pRecentFileList == nullptr) {
        pCmdUI->Enable(false);
        return;
    }
    QMenu* pMenu = pCmdUI->m_pMenu;
    const int nCount = m_pRecentFileList->GetSize();
    QAction* pPrevious = pCmdUI->m_pAction;
    for (int i = 0; i < m_pRecentFileList->GetMaxSize(); ++i) {
        QAction* pAction = pFrame->GetCommandAction(ID_FILE_MRU_FILE1 + i);
        if (i > 0 && !pMenu->actions().contains(pAction)) {
            const QList<QAction*> actions = pMenu->actions();
            const qsizetype nAt = actions.indexOf(pPrevious) + 1;
            pMenu->insertAction(nAt < actions.size() ? actions.at(nAt) : nullptr, pAction);
        }
        if (i < nCount) {
            pAction->setText(m_pRecentFileList->GetMenuText(i, QFontMetrics(pMenu->font())));
            // The whole path, which the menu may show shortened.
            pAction->setStatusTip(QDir::toNativeSeparators((*m_pRecentFileList)[i]));
            pAction->setEnabled(true);
            pAction->setVisible(true);
        } else if (i == 0) {
            pAction->setText(RecentFilePlaceholderText());
            pAction->setStatusTip(CResources::Prompt(ID_FILE_MRU_FILE1));
            pAction->setEnabled(false);
            pAction->setVisible(true);
        } else {
            pAction->setVisible(false);
        }
        pPrevious = pAction;
    }
    pCmdUI->Enable(nCount > 0);
}

int AfxWinMain(CWinApp& app, int argc, char** argv) {
    // --help, --version and a command line that cannot be used are answered without a display.
    QStringList early;
    for (int i = 1; i < argc; ++i) {
        early << QString::fromLocal8Bit(argv[i]);
    }
    CCommandLineInfo probe;
    probe.ParseArguments(CCommandLineInfo::WithoutToolkitOptions(early));
    switch (probe.m_nShellCommand) {
    case CCommandLineInfo::AppHelp:
        PrintLine(stdout, CResources::LoadString(IDS_USAGE));
        return 0;
    case CCommandLineInfo::AppVersion:
        PrintLine(stdout, VersionText());
        return 0;
    case CCommandLineInfo::BadArguments:
        PrintLine(stderr, BadArgumentsText(probe));
        return kExitBadArguments;
    default:
        break;
    }
    if (const int nExit = CheckToolkitFiles(early); nExit != 0) {
        return nExit;
    }

    // Under a file-size limit a write must fail with an error the user is told about, not end the
    // program and take the picture with it.
    std::signal(SIGXFSZ, SIG_IGN);

#ifdef ZELVORANDINE_HAVE_FONTCONFIG
    // The main window's first text waits for the font configuration, which takes milliseconds to read:
    // it is read while the toolkit connects to the display.
    std::thread fontConfiguration([] { FcInit(); });
#endif
    QApplication qtApp(argc, argv);
#ifdef ZELVORANDINE_HAVE_FONTCONFIG
    fontConfiguration.join();
#endif
    app.InitApplication();
    // The line checked above: the toolkit leaves the options of other platforms in place (-display when
    // offscreen).
    app.SetArguments(CCommandLineInfo::WithoutToolkitOptions(early));
    if (!app.InitInstance()) {
        app.ExitInstance();
        return app.m_nExitCode;
    }
    return app.Run();
}
