// SPDX-License-Identifier: MIT
#include "app/framework/PdfStructure.h"
#include "app/framework/StatusBar.h"
#include "app/framework/SystemError.h"
#include "res/ResourceIds.h"
#include "tests/app/AppTestSupport.h"
#include "tests/app/SpecialFiles.h"
#include "tests/background/DialogDriver.h"

#include <QFileDialog>
#include <QMenu>
#include <QPrinter>
#include <QPrinterInfo>
#include <QProcess>
#include <QRegularExpression>
#include <QTest>

#include <sys/resource.h>

using namespace apptest;

// What the program does with input it cannot use: special files to open, print into or keep settings in,
// files cut short, odd command lines, recent entries too long for the menu. Each must end at once with the
// exact message, keep what was there, and give the exit status a script can rely on.
namespace {

const QString kNotRegular = "通常のﾌｧｲﾙではありません。";
const QString kNotFound = "ﾌｧｲﾙまたはﾌｫﾙﾀﾞが見つかりません。";
const QString kIncomplete =
    "ﾌｧｲﾙを最後まで書き込めませんでした。ﾃﾞｨｽｸの空き容量とﾌｧｲﾙの大きさの上限を確かめてください。";
const QString kUsage = "\n使い方は zelvorandine --help で表示されます。\n";

QString CannotOpen(const QString& path, const QString& reason) {
    return QString("ﾌｧｲﾙ %1 を開くことができません。\n%2").arg(path, reason);
}

QString CannotPrint(const QString& path, const QString& reason) {
    return QString("ﾌｧｲﾙ %1 に印刷できませんでした。\n%2").arg(path, reason);
}

bool WriteFile(const QString& path, const QByteArray& bytes) {
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size();
}

// Notes the text of a message box and closes it.
CDialogDriver::Step KeepText(QString* pText) {
    return [pText](QDialog* pBox) {
        *pText = qobject_cast<QMessageBox*>(pBox)->text();
        pBox->close();
    };
}

bool IsWholePdf(const QString& path) {
    QFile file(path);
    const QByteArray pdf = file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
    return pdf.endsWith("%%EOF\n") && CPdfStructure::IsComplete(pdf);
}

} // namespace

class TestSpecialInput : public QObject {
    Q_OBJECT
    std::unique_ptr<QTemporaryDir> m_pSettings = IsolateSettings();
    QTemporaryDir m_runtime; // the program's XDG_RUNTIME_DIR: private, as the toolkit wants it
    std::unique_ptr<QTemporaryDir> m_pDir;
    QString m_stderr;

    QString In(const QString& name) const { return m_pDir->filePath(name); }
    QString Placed(QString text) const { return text.replace("<dir>", m_pDir->path()); }

    // Runs the real program offscreen in the test folder, its writes beyond nFileSizeLimit (if not 0) failing
    // as under `ulimit -f`; its exit code, or -1 when it had to be stopped.
    int RunProgram(const QStringList& arguments, const QString& configHome, rlim_t nFileSizeLimit = 0) {
        QProcess process;
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.remove("DISPLAY");
        environment.remove("WAYLAND_DISPLAY");
        environment.insert("QT_QPA_PLATFORM", "offscreen");
        environment.insert("XDG_CONFIG_HOME", configHome);
        environment.insert("XDG_RUNTIME_DIR", m_runtime.path());
        environment.insert("LC_ALL", "C.UTF-8");
        process.setProcessEnvironment(environment);
        process.setWorkingDirectory(m_pDir->path());
        process.setChildProcessModifier([nFileSizeLimit] {
            const rlimit limit{nFileSizeLimit, nFileSizeLimit};
            if (nFileSizeLimit > 0) {
                ::setrlimit(RLIMIT_FSIZE, &limit);
            }
        });
        process.start(ZELVORANDINE_BINARY, arguments);
        // A program that hangs fails here; the process object ends it.
        const bool bEnded = process.waitForFinished(30000);
        m_stderr = QString::fromUtf8(process.readAllStandardError());
        return bEnded && process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1;
    }

private Q_SLOTS:
    void init() {
        m_pDir = std::make_unique<QTemporaryDir>();
        QVERIFY(MakeFile("regular", In("x.bmp")));
        if (AfxGetMainWnd() == nullptr) {
            QVERIFY(StartApp({}));
        }
    }
    void cleanupTestCase() { StopApp(); }

    void openSpecialFile_data() {
        QTest::addColumn<QString>("kind");
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("message"); // <dir> stands for the test folder
        for (const char* route : {"command line", "Ctrl+O", "recent entry"}) {
            QTest::addRow("fifo, %s", route) << "fifo"
                                             << "p.bmp" << CannotOpen("<dir>/p.bmp", kNotRegular);
        }
        QTest::newRow("missing, line break in its name, command line")
            << "nothing"
            << "a\nb.bmp" << CannotOpen("<dir>/a\\nb.bmp", kNotFound);
    }

    // Ends at once with the cannot-open message; at start-up the program then ends, later nothing changes
    // but the recent entry that failed.
    void openSpecialFile() {
        QFETCH(QString, kind);
        QFETCH(QString, name);
        QFETCH(QString, message);
        const QString path = In(name), tag = QTest::currentDataTag();
        QVERIFY(MakeFile(kind, path));
        CDialogDriver driver;
        QString shown;
        if (tag.endsWith("Ctrl+O")) {
            driver.Expect("QFileDialog", [&](QDialog* pDialog) {
                qobject_cast<QFileDialog*>(pDialog)->selectFile(path);
                pDialog->accept();
            });
        }
        driver.Expect("afxMessageBox", KeepText(&shown));
        const QString caption = Caption();
        const QStringList recent = RecentFiles();
        if (tag.endsWith("command line")) {
            StopApp();
            QVERIFY(!StartApp({path}));
            QVERIFY(theApp.m_nExitCode == 1 && AfxGetMainWnd() == nullptr);
        } else if (tag.endsWith("Ctrl+O")) {
            Frame()->activateWindow(); // offscreen, nothing gives the keyboard back after a dialog
            QVERIFY(QTest::qWaitForWindowActive(Frame()));
            QTest::keySequence(Frame(), QKeySequence(Qt::CTRL | Qt::Key_O));
        } else {
            theApp.AddToRecentFileList(path);
            Frame()->SendCommand(ID_FILE_MRU_FILE1);
        }
        QVERIFY2(driver.Finished(), qPrintable(driver.Seen().join('|')));
        QCOMPARE(shown, Placed(message));
        QVERIFY(AfxGetMainWnd() == nullptr || (Caption() == caption && RecentFiles() == recent));
    }

    void settingsFile_data() {
        QTest::addColumn<QString>("kind");
        QTest::addColumn<QString>("configHome"); // <dir>/config unless given
        QTest::addColumn<QString>("errors");     // <file> stands for the settings file
        const QString notRead =
            "設定ﾌｧｲﾙ <file> を読み込めません。\n%1\n既定の設定で起動し、このﾌｧｲﾙは変更しません。\n";
        QTest::newRow("fifo") << "fifo"
                              << "" << notRead.arg(kNotRegular);
        QTest::newRow("over 1 MiB") << "over 1 MiB"
                                    << "" << notRead.arg("ﾌｧｲﾙが大きすぎます。");
        QTest::newRow("1 MiB") << "1 MiB"
                               << ""
                               << "";
        // Nothing can be made there, not even as root.
        QTest::newRow("not writable")
            << "nothing"
            << "/proc/sys"
            << "設定ﾌｧｲﾙ <file> に書き込めませんでした。最近使ったﾌｧｲﾙの一覧は次の起動に引き継がれません。\n";
    }

    // A settings file that cannot be used is said so once and left alone, also at exit; the program starts
    // with the defaults and does its work.
    void settingsFile() {
        QFETCH(QString, kind);
        QFETCH(QString, configHome);
        QFETCH(QString, errors);
        const QString home = configHome.isEmpty() ? In("config") : configHome;
        const QString file = home + "/Local AppWizard-Generated Applications/Zelvorandine.conf";
        QVERIFY(configHome == "/proc/sys" || QDir().mkpath(QFileInfo(file).path()));
        const QByteArray text = "[Recent%20File%20List]\nFile1=/b\n";
        QVERIFY(kind.contains("MiB")
                    ? WriteFile(file, text.leftJustified(1024 * 1024 + (kind == "over 1 MiB"), '#'))
                    : MakeFile(kind, file));
        const QStringList before = configHome.isEmpty() ? Listing(home) : QStringList();

        QCOMPARE(RunProgram({"/pt", "x.bmp", "out.pdf"}, home), 0);
        QCOMPARE(m_stderr, Placed(errors).replace("<file>", file));
        QVERIFY(IsWholePdf(In("out.pdf")));
        if (configHome == "/proc/sys") {
            return;
        }
        if (!errors.isEmpty()) {
            QCOMPARE(Listing(home), before);
        } else { // a usable file is read and written back with the file just printed at the head of its list
            QSettings written(file, QSettings::IniFormat);
            QCOMPARE(written.value("Recent File List/File1").toString() + ' ' +
                         written.value("Recent File List/File2").toString(),
                     In("x.bmp") + " /b");
        }
    }

    void commandLine_data() {
        QTest::addColumn<QStringList>("arguments"); // <dir> stands for the test folder
        QTest::addColumn<QStringList>("files");     // kind=name, made in the test folder first
        QTest::addColumn<int>("sizeLimit");         // for the files the program writes, 0: none
        QTest::addColumn<int>("exitCode");
        QTest::addColumn<QString>("errors"); // standard error
        const auto row = [](const char* pName, const QStringList& arguments, int exitCode,
                            const QString& errors, const QStringList& files = {}, int sizeLimit = 0) {
            QTest::newRow(pName) << arguments << files << sizeLimit << exitCode << errors;
        };
        const QStringList print{"/pt", "<dir>/p.bmp", "out.pdf"};
        const QStringList source{"regular=p.bmp"};
        // The toolkit's options pass in every form it takes, also those the offscreen platform leaves.
        row("toolkit options with '='",
            QStringList{"-style=fusion", "-stylesheet=<dir>/x.qss", "-qwindowtitle", "t", "-reverse"} + print,
            0, "", source);
        row("toolkit options with a space",
            QStringList{"--style", "fusion", "--stylesheet", "<dir>/x.qss", "-display", ":99", "-nograb",
                        "-sync"} +
                print,
            0, "", source);
        row("'=' the toolkit does not take", QStringList{"-platform=offscreen"} + print, 2,
            "不明なｵﾌﾟｼｮﾝです: -platform=offscreen" + kUsage);
        row("no printer name", {"/pt", "x.bmp"}, 2,
            "ﾌﾟﾘﾝﾀ名がありません: /pt の後にﾌｧｲﾙ名とﾌﾟﾘﾝﾀ名を指定してください。" + kUsage);
        row("no file name", {"-p"}, 2, "印刷するﾌｧｲﾙ名がありません: -p の後に指定してください。" + kUsage);
        // Control characters echoed as escapes.
        row("escape sequence", {"-\x1b[31m"}, 2, "不明なｵﾌﾟｼｮﾝです: -\\x1b[31m" + kUsage);
        row("line break", {"x.bmp", "b\nc"}, 2, "余分な引数です: b\\nc\nﾌｧｲﾙは 1 つだけ指定できます。\n");
        row("tab in a printer name", {"/pt", "x.bmp", "pr\tn"}, 1, "ﾌﾟﾘﾝﾀ pr\\tn が見つかりません。\n");
        // A refused or failed print keeps every file as it was; a print replaces the PDF whole.
        row("print from a fifo", print, 1, CannotOpen("<dir>/p.bmp", kNotRegular) + '\n', {"fifo=p.bmp"});
        row("print into a fifo", print, 1, CannotPrint("<dir>/out.pdf", kNotRegular) + '\n',
            {"regular=p.bmp", "fifo=out.pdf"});
        row("print over the file size limit", print, 1, CannotPrint("<dir>/out.pdf", kIncomplete) + '\n',
            {"regular=p.bmp", "regular=out.pdf"}, 600);
        row("print over an old file", print, 0, "", {"regular=p.bmp", "regular=out.pdf"});
    }

    void commandLine() {
        QFETCH(QStringList, arguments);
        QFETCH(QStringList, files);
        QFETCH(int, sizeLimit);
        QFETCH(int, exitCode);
        QFETCH(QString, errors);
        QVERIFY(WriteFile(In("x.qss"), "QWidget { color: red; }"));
        for (const QString& file : files) {
            QVERIFY(MakeFile(file.section('=', 0, 0), In(file.section('=', 1))));
        }
        const QStringList before = Listing(m_pDir->path());
        QTemporaryDir config;

        QCOMPARE(RunProgram(arguments.replaceInStrings("<dir>", m_pDir->path()), config.path(), sizeLimit),
                 exitCode);
        QCOMPARE(m_stderr, Placed(errors));
        const QStringList after = Listing(m_pDir->path());
        QVERIFY(exitCode != 0 ? after == before : IsWholePdf(In("out.pdf")));
        QCOMPARE(after.filter(QRegularExpression("^\\.")), QStringList()); // no temporary file left
    }

    void printIntoFile_data() {
        QTest::addColumn<int>("command");
        QTest::addColumn<QString>("target");
        QTest::newRow("印刷, onto a fifo") << ID_FILE_PRINT << "fifo";
        QTest::newRow("印刷, through a link") << ID_FILE_PRINT << "link to regular";
        QTest::newRow("印刷ﾌﾟﾚﾋﾞｭｰ's print button, onto a fifo") << ID_FILE_PRINT_PREVIEW << "fifo";
    }

    // 印刷 with "PDF ファイルに出力", and the print button of 印刷ﾌﾟﾚﾋﾞｭｰ with its own print dialog: the same
    // rules as the command line, the message in a box.
    void printIntoFile() {
        QFETCH(int, command);
        QFETCH(QString, target);
        QVERIFY(MakeFile(target, In("out.pdf")));
        theApp.GetPrinter().setOutputFileName(In("out.pdf"));
        const QStringList before = Listing(m_pDir->path());
        CDialogDriver driver;
        if (command == ID_FILE_PRINT_PREVIEW) {
            driver.Expect("", [](QDialog* pPreview) {
                const QString print = QCoreApplication::translate("QPrintPreviewDialog", "Print");
                for (QAction* pAction : pPreview->findChildren<QAction*>()) {
                    if (pAction->text() == print) {
                        pAction->trigger();
                    }
                }
                pPreview->reject();
            });
        }
        driver.Expect("", [](QDialog* pPrintDialog) { pPrintDialog->accept(); });
        QString shown;
        const bool bRefused = target == "fifo";
        if (bRefused) {
            driver.Expect("afxMessageBox", KeepText(&shown));
        }
        Frame()->SendCommand(command);
        QVERIFY2(driver.Finished(), qPrintable(driver.Seen().join('|')));
        QCOMPARE(shown, bRefused ? CannotPrint(In("out.pdf"), kNotRegular) : QString());
        const QStringList after = Listing(m_pDir->path());
        QVERIFY(bRefused ? after == before
                         : IsWholePdf(In("out.pdf")) && QFileInfo(In("out.pdf")).isSymLink());
        QCOMPARE(after.size(), before.size());
    }

    // Without any printer the message says so, instead of naming a printer with an empty name.
    void noPrinter() {
        if (!QPrinterInfo::availablePrinterNames().isEmpty()) {
            QSKIP("printers are set up here");
        }
        QPrinter printer;
        CDialogDriver driver;
        QString shown;
        driver.Expect("afxMessageBox", KeepText(&shown));
        QVERIFY(!View()->PrintTo(printer));
        QCOMPARE(shown, "使用できるﾌﾟﾘﾝﾀがありません。");
    }

    void recentMenu_data() {
        QTest::addColumn<QString>("name"); // below the test folder
        QTest::addColumn<bool>("elided");
        QTest::newRow("short") << "a.bmp" << false;
        QTest::newRow("ampersand") << "a&b.bmp" << false;
        QTest::newRow("long") << QString(60, 'f') + '/' + QString(60, 'g') + "/pic.bmp" << true;
        QTest::newRow("long, Japanese") << QString(40, QChar(0x7D75)) + "/絵.bmp" << true;
    }

    // A long path is shortened in its middle to the menu's usual width; the status bar shows it whole.
    void recentMenu() {
        QFETCH(QString, name);
        QFETCH(bool, elided);
        const QString path = In(name);
        QVERIFY(QDir().mkpath(QFileInfo(path).path()) && MakeFile("regular", path));
        QVERIFY(theApp.OpenDocumentFile(path) != nullptr);
        QMenu* pMenu = Frame()->GetMenu(0);
        Q_EMIT pMenu->aboutToShow();
        QAction* pEntry = Frame()->FindCommandAction(ID_FILE_MRU_FILE1);
        const QString text = pEntry->text();
        QVERIFY2(text.startsWith("&1 "), qPrintable(text));
        const QString shown = text.mid(3).replace("&&", "&");
        const QFontMetrics metrics(pMenu->font());
        if (elided) {
            const qsizetype nEllipsis = shown.indexOf(QChar(0x2026));
            QVERIFY2(nEllipsis > 5 && path.startsWith(shown.left(nEllipsis)) &&
                         path.endsWith(shown.mid(nEllipsis + 1)),
                     qPrintable(shown));
            QVERIFY(metrics.horizontalAdvance(shown) <= 40 * metrics.averageCharWidth());
        } else {
            QCOMPARE(shown, path);
        }
        QCOMPARE(pEntry->statusTip(), path);
        pEntry->showStatusText(Frame());
        QCOMPARE(Frame()->GetMessageBar()->GetPaneText(0), path);
    }
};

QTEST_MAIN(TestSpecialInput)
#include "tst_specialinput.moc"
