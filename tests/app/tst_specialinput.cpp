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
#include <QRandomGenerator>
#include <QRegularExpression>
#include <QTest>

#include <csignal>
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

// Writes beyond nBytes fail with EFBIG (SIGXFSZ is ignored), as under `ulimit -f`; 0: no limit.
rlimit LimitFileSize(rlim_t nBytes) {
    rlimit old{};
    ::getrlimit(RLIMIT_FSIZE, &old);
    const rlimit limit{nBytes > 0 ? nBytes : old.rlim_cur, old.rlim_max};
    ::setrlimit(RLIMIT_FSIZE, &limit);
    return old;
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
    QStringList Placed(QStringList list) const {
        for (QString& item : list) {
            item = Placed(item);
        }
        return list;
    }

    // Runs the real program offscreen in the test folder; its exit code, or -1 when it had to be stopped.
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
        process.setChildProcessModifier([nFileSizeLimit] { LimitFileSize(nFileSizeLimit); });
        process.start(ZELVORANDINE_BINARY, arguments);
        const bool bEnded = process.waitForFinished(30000); // a program that hangs fails here
        if (!bEnded) {
            process.kill();
            process.waitForFinished();
        }
        m_stderr = QString::fromUtf8(process.readAllStandardError());
        return bEnded && process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1;
    }

private Q_SLOTS:
    void initTestCase() { std::signal(SIGXFSZ, SIG_IGN); } // as the program itself does
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
        for (const char* kind : {"fifo", "folder", "socket", "link to device", "link to fifo"}) {
            for (const char* route : {"command line", "Ctrl+O", "recent entry"}) {
                // The file dialog opens a folder instead of returning it.
                if (QByteArray(kind) != "folder" || QByteArray(route) != "Ctrl+O") {
                    QTest::addRow("%s, %s", kind, route)
                        << kind << "p.bmp" << CannotOpen("<dir>/p.bmp", kNotRegular);
                }
            }
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

    void printCommandLine_data() {
        QTest::addColumn<QString>("source");
        QTest::addColumn<QString>("target"); // its kind; "in a missing folder": no/out.pdf
        QTest::addColumn<int>("sizeLimit");
        QTest::addColumn<int>("exitCode");
        QTest::addColumn<QString>("errors"); // standard error
        for (const char* kind : {"fifo", "folder", "socket", "link to device", "link to fifo"}) {
            QTest::addRow("source %s", kind)
                << kind << "nothing" << 0 << 1 << CannotOpen("<dir>/p.bmp", kNotRegular) + '\n';
            const QString reason = QLatin1String(kind) == "folder" ? CSystemError::Text(EISDIR) : kNotRegular;
            QTest::addRow("target %s", kind)
                << "regular" << kind << 0 << 1 << CannotPrint("<dir>/out.pdf", reason) + '\n';
        }
        QTest::newRow("target in a missing folder")
            << "regular"
            << "in a missing folder" << 0 << 1 << CannotPrint("<dir>/no/out.pdf", kNotFound) + '\n';
        QTest::newRow("file size limit")
            << "regular"
            << "regular" << 600 << 1 << CannotPrint("<dir>/out.pdf", kIncomplete) + '\n';
        QTest::newRow("over an old file") << "regular"
                                          << "regular" << 0 << 0 << "";
        QTest::newRow("through a link") << "regular"
                                        << "link to regular" << 0 << 0 << "";
        QTest::newRow("new file") << "regular"
                                  << "nothing" << 0 << 0 << "";
    }

    // `zelvorandine /pt p.bmp out.pdf`: a refused or failed print keeps every file as it was and leaves no
    // temporary file; a print replaces the PDF whole, through the link if there is one.
    void printCommandLine() {
        QFETCH(QString, source);
        QFETCH(QString, target);
        QFETCH(int, sizeLimit);
        QFETCH(int, exitCode);
        QFETCH(QString, errors);
        const bool bMissingFolder = target == "in a missing folder";
        const QString targetName = bMissingFolder ? "no/out.pdf" : "out.pdf";
        QVERIFY(MakeFile(source, In("p.bmp")) &&
                MakeFile(bMissingFolder ? "nothing" : target, In(targetName)));
        const QStringList before = Listing(m_pDir->path());
        QTemporaryDir config;

        QCOMPARE(RunProgram({"/pt", In("p.bmp"), targetName}, config.path(), rlim_t(sizeLimit)), exitCode);
        QCOMPARE(m_stderr, Placed(errors));
        const QStringList after = Listing(m_pDir->path());
        if (exitCode != 0) {
            QCOMPARE(after, before);
            return;
        }
        QVERIFY(IsWholePdf(In("out.pdf")));
        QCOMPARE(QFileInfo(In("out.pdf")).isSymLink(), target.startsWith("link"));
        QCOMPARE(after.size(), before.size() + (target == "nothing" ? 1 : 0));
        QCOMPARE(after.filter(QRegularExpression("^\\.")), QStringList());
    }

    void settingsFile_data() {
        QTest::addColumn<QString>("kind");
        QTest::addColumn<QString>("configHome"); // <dir>/config unless given
        QTest::addColumn<QString>("errors");     // <file> stands for the settings file
        const QString notRead =
            "設定ﾌｧｲﾙ <file> を読み込めません。\n%1\n既定の設定で起動し、このﾌｧｲﾙは変更しません。\n";
        for (const char* kind : {"fifo", "folder", "socket", "link to device", "link to fifo"}) {
            QTest::newRow(kind) << kind << "" << notRead.arg(kNotRegular);
        }
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
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<int>("exitCode");
        QTest::addColumn<QString>("errors");
        const QStringList print{"/pt", "x.bmp", "out.pdf"};
        // The toolkit's options pass in every form it takes, also those the offscreen platform leaves.
        for (const QStringList& options : {QStringList{"-style=fusion"},
                                           {"--style", "fusion"},
                                           {"-stylesheet=<dir>/x.qss"},
                                           {"--stylesheet", "<dir>/x.qss"},
                                           {"-qwindowtitle", "t", "-reverse"},
                                           {"-display", ":99", "-nograb", "-sync"}}) {
            QTest::newRow(qPrintable(options.join(' '))) << options + print << 0 << "";
        }
        QTest::newRow("'=' the toolkit does not take") << QStringList{"-platform=offscreen"} + print << 2
                                                       << "不明なｵﾌﾟｼｮﾝです: -platform=offscreen" + kUsage;
        QTest::newRow("no printer name")
            << QStringList{"/pt", "x.bmp"} << 2
            << "ﾌﾟﾘﾝﾀ名がありません: /pt の後にﾌｧｲﾙ名とﾌﾟﾘﾝﾀ名を指定してください。" + kUsage;
        QTest::newRow("no file name")
            << QStringList{"-p"} << 2 << "印刷するﾌｧｲﾙ名がありません: -p の後に指定してください。" + kUsage;
        // Control characters echoed as escapes.
        QTest::newRow("escape sequence")
            << QStringList{"-\x1b[31m"} << 2 << "不明なｵﾌﾟｼｮﾝです: -\\x1b[31m" + kUsage;
        QTest::newRow("line break") << QStringList{"x.bmp", "b\nc"} << 2
                                    << "余分な引数です: b\\nc\nﾌｧｲﾙは 1 つだけ指定できます。\n";
        QTest::newRow("tab in a printer name")
            << QStringList{"/pt", "x.bmp", "pr\tn"} << 1 << "ﾌﾟﾘﾝﾀ pr\\tn が見つかりません。\n";
        QTest::newRow("delete in a file name") << QStringList{"/pt", "<dir>/no\x7f.bmp", "out.pdf"} << 1
                                               << CannotOpen("<dir>/no\\x7f.bmp", kNotFound) + '\n';
    }

    void commandLine() {
        QFETCH(QStringList, arguments);
        QFETCH(int, exitCode);
        QFETCH(QString, errors);
        QVERIFY(WriteFile(In("x.qss"), "QWidget { color: red; }"));
        QCOMPARE(RunProgram(Placed(arguments), In("config")), exitCode);
        QCOMPARE(m_stderr, Placed(errors));
        QCOMPARE(IsWholePdf(In("out.pdf")), exitCode == 0);
    }

    void printDialog_data() {
        QTest::addColumn<QString>("target");
        QTest::addColumn<int>("sizeLimit");
        QTest::addColumn<QString>("message");
        QTest::newRow("fifo") << "fifo" << 0 << CannotPrint("<dir>/out.pdf", kNotRegular);
        QTest::newRow("link to device") << "link to device" << 0 << CannotPrint("<dir>/out.pdf", kNotRegular);
        QTest::newRow("file size limit") << "regular" << 4096 << CannotPrint("<dir>/out.pdf", kIncomplete);
        QTest::newRow("through a link") << "link to regular" << 0 << "";
        QTest::newRow("new file") << "nothing" << 0 << "";
    }

    // 印刷 with "PDF ファイルに出力": the same rules as the command line, the message in a box.
    void printDialog() {
        QFETCH(QString, target);
        QFETCH(int, sizeLimit);
        QFETCH(QString, message);
        QVERIFY(MakeFile(target, In("out.pdf")));
        // A picture of noise, which the page holds as a large image.
        QImage picture(320, 240, QImage::Format_RGB32);
        for (int y = 0; y < picture.height(); ++y) {
            QRandomGenerator(y).fillRange(reinterpret_cast<quint32*>(picture.scanLine(y)), picture.width());
        }
        View()->m_bmpColor = View()->m_bmpCover = picture;
        theApp.GetPrinter().setOutputFileName(In("out.pdf"));
        const QStringList before = Listing(m_pDir->path());
        CDialogDriver driver;
        driver.Expect("", [](QDialog* pDialog) { pDialog->accept(); }); // the print dialog, as 印刷(P) does
        QString shown;
        driver.Expect("afxMessageBox", KeepText(&shown));
        const rlimit limit = LimitFileSize(rlim_t(sizeLimit));
        Frame()->SendCommand(ID_FILE_PRINT);
        ::setrlimit(RLIMIT_FSIZE, &limit);

        QCOMPARE(shown, Placed(message));
        QCOMPARE(driver.Seen(), QStringList({"", "afxMessageBox"}).mid(0, message.isEmpty() ? 1 : 2));
        const QStringList after = Listing(m_pDir->path());
        if (!message.isEmpty()) {
            QCOMPARE(after, before);
            return;
        }
        QVERIFY(IsWholePdf(In("out.pdf")));
        QCOMPARE(QFileInfo(In("out.pdf")).isSymLink(), target.startsWith("link"));
        QCOMPARE(after.filter(QRegularExpression("^\\.")), QStringList());
    }

    // The print button of 印刷ﾌﾟﾚﾋﾞｭｰ, with its own print dialog, prints by the same rules.
    void printPreviewButton() {
        QVERIFY(MakeFile("fifo", In("out.pdf")));
        theApp.GetPrinter().setOutputFileName(In("out.pdf"));
        CDialogDriver driver;
        driver.Expect("", [](QDialog* pPreview) {
            const QString print = QCoreApplication::translate("QPrintPreviewDialog", "Print");
            for (QAction* pAction : pPreview->findChildren<QAction*>()) {
                if (pAction->text() == print) {
                    pAction->trigger();
                }
            }
            pPreview->reject();
        });
        driver.Expect("", [](QDialog* pPrintDialog) { pPrintDialog->accept(); });
        QString shown;
        driver.Expect("afxMessageBox", KeepText(&shown));
        Frame()->SendCommand(ID_FILE_PRINT_PREVIEW);
        QVERIFY2(driver.Finished(), qPrintable(driver.Seen().join('|')));
        QCOMPARE(shown, CannotPrint(In("out.pdf"), kNotRegular));
        QCOMPARE(Listing(m_pDir->path()), QStringList({"out.pdf special ", "x.bmp file old bytes"}));
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
