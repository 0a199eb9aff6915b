// SPDX-License-Identifier: MIT
#include "files/SystemError.h"
#include "frame/MainFrame.h"
#include "frame/StatusBar.h"
#include "output/PdfStructure.h"
#include "res/ResourceIds.h"
#include "tests/app/AppTestSupport.h"
#include "tests/app/SpecialFiles.h"
#include "tests/background/DialogDriver.h"

#include <QMenu>
#include <QProcess>
#include <QTest>

using namespace apptest;

// What the program does with input it cannot use: special files to open, print into or keep settings in,
// files cut short, odd command lines, recent entries too long for the menu. Each must end at once with the
// exact message, keep what was there, and give the exit status a script can rely on.
namespace {

const QString kNotRegular = "通常のﾌｧｲﾙではありません。";

QString CannotOpen(const QString& path, const QString& reason) {
    return QString("ﾌｧｲﾙ %1 を開くことができません。\n%2").arg(path, reason);
}

bool WriteFile(const QString& path, const QByteArray& bytes) {
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size();
}

// MakeFile's kinds, and "<n> bytes": a regular file of that size.
bool MakeAnyFile(const QString& kind, const QString& path) {
    const qint64 nSize = kind.endsWith(" bytes") ? kind.section(' ', 0, 0).toLongLong() : 0;
    return nSize == 0 ? MakeFile(kind, path) : WriteFile(path, QByteArray(nSize, '#'));
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

    // Runs the real program offscreen in the test folder; its exit code, or -1 when it had to be stopped.
    // Root reads every file: as root, bAsUser runs it as nobody, in the test folder given to nobody.
    int RunProgram(const QStringList& arguments, const QString& configHome, bool bAsUser = false) {
        QProcess process;
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert("QT_QPA_PLATFORM", "offscreen");
        environment.insert("XDG_CONFIG_HOME", configHome);
        environment.insert("XDG_RUNTIME_DIR", m_runtime.path());
        environment.insert("LC_ALL", "C.UTF-8");
        QStringList command{ZELVORANDINE_BINARY};
        if (bAsUser && ::geteuid() == 0) {
            if (QProcess::execute("chown", {"-R", "nobody:nogroup", m_pDir->path()}) != 0)
                return -2;
            environment.insert("XDG_RUNTIME_DIR", m_pDir->path()); // private to nobody too
            command = QStringList{"setpriv", "--reuid=nobody", "--regid=nogroup", "--clear-groups"} + command;
        }
        process.setProcessEnvironment(environment);
        process.setWorkingDirectory(m_pDir->path());
        process.start(command.first(), command.mid(1) + arguments);
        // A program that hangs fails here; the process object ends it.
        const bool bEnded = process.waitForFinished(30000);
        m_stderr = QString::fromUtf8(process.readAllStandardError());
        return bEnded && process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1;
    }

private Q_SLOTS:
    void init() {
        m_pDir = std::make_unique<QTemporaryDir>();
        QVERIFY(MakeFile("regular", In("x.bmp")));
        if (AfxGetMainWnd() == nullptr)
            QVERIFY(StartApp({}));
    }
    void cleanupTestCase() { StopApp(); }

    // A file named on the command line that cannot be opened ends the start at once with the message (a line
    // break in its name shown as such) and changes no file.
    void openMissingFile() {
        CDialogDriver driver;
        QString shown;
        driver.Expect("afxMessageBox", [&shown](QDialog* pBox) {
            shown = qobject_cast<QMessageBox*>(pBox)->text();
            pBox->close();
        });
        const QStringList before = Listing(m_pDir->path());
        StopApp();
        QVERIFY(!StartApp({In("a\nb.bmp")}) && theApp.m_nExitCode == 1 && AfxGetMainWnd() == nullptr);
        QVERIFY2(driver.Finished(), qPrintable(driver.Seen().join('|')));
        QCOMPARE(shown, CannotOpen(In("a\\nb.bmp"), "ﾌｧｲﾙまたはﾌｫﾙﾀﾞが見つかりません。"));
        QCOMPARE(Listing(m_pDir->path()), before);
    }

    void settingsFile_data() {
        QTest::addColumn<QString>("kind");   // of the settings file
        QTest::addColumn<QString>("errors"); // <file> stands for the settings file
        const QString notRead =
            "設定ﾌｧｲﾙ <file> を読み込めません。\n%1\n既定の設定で起動し、このﾌｧｲﾙは変更しません。\n";
        QTest::newRow("fifo") << "fifo" << notRead.arg(kNotRegular);
        QTest::newRow("over 1 MiB") << "1048577 bytes" << notRead.arg("ﾌｧｲﾙが大きすぎます。");
        QTest::newRow("unreadable, as a user")
            << "mode 000" << notRead.arg("このﾌｧｲﾙの読み込みが許可されていません。");
        // Nothing can be made in /proc/sys, not even as root.
        QTest::newRow("in a folder that cannot be made")
            << "unwritable"
            << "設定ﾌｧｲﾙ <file> に書き込めませんでした。最近使ったﾌｧｲﾙの一覧は次の起動に引き継がれません。\n";
        QTest::newRow("1 MiB, lines that cannot be read") << "malformed" << QString();
    }

    // A settings file that cannot be used is said so once and left alone, also at exit; the program starts
    // with the defaults and does its work. A usable one is read past the lines it cannot use and written back
    // with the file just printed at the head of its list, its fourth entry kept.
    void settingsFile() {
        QFETCH(QString, kind);
        QFETCH(QString, errors);
        const QString home = kind == "unwritable" ? "/proc/sys" : In("config");
        const QString file = home + "/Local AppWizard-Generated Applications/Zelvorandine.conf";
        const QByteArray printed = QFile::encodeName(In("x.bmp")),
                         malformed = "x\n]]]\n\x01\xfe\n[Recent%20File%20List]\nFile1=/b\nFile2=" + printed +
                                     "\n\x7f\nFile3=/c\nFile4=/d\n";
        QVERIFY(kind == "unwritable" ||
                (QDir().mkpath(QFileInfo(file).path()) &&
                 (kind == "malformed"  ? WriteFile(file, malformed.leftJustified(1 << 20, '#'))
                  : kind == "mode 000" ? MakeFile("regular", file) && QFile::setPermissions(file, {})
                                       : MakeAnyFile(kind, file))));
        const QStringList before = Listing(In("config"));

        QCOMPARE(RunProgram({"/pt", "x.bmp", "out.pdf"}, home, kind == "mode 000"), 0);
        QCOMPARE(m_stderr, QString(errors).replace("<file>", file));
        QVERIFY(IsWholePdf(In("out.pdf")));
        QFile written(file);
        if (!errors.isEmpty())
            QCOMPARE(Listing(In("config")), before);
        else
            QCOMPARE(written.open(QIODevice::ReadOnly) ? written.readAll() : QByteArray(),
                     "[Recent%20File%20List]\nFile1=" + printed + "\nFile2=/b\nFile3=/c\nFile4=/d\n");
    }

    void commandLine_data() {
        QTest::addColumn<QStringList>("arguments"); // <dir> stands for the test folder
        QTest::addColumn<QStringList>("files");     // kind=name, made in the test folder first
        QTest::addColumn<int>("exitCode");
        QTest::addColumn<QString>("errors"); // standard error
        const auto row = [](const char* pName, const QStringList& arguments, int exitCode,
                            const QString& errors, const QStringList& files = {}) {
            QTest::newRow(pName) << arguments << files << exitCode << errors;
        };
        const QStringList print{"/pt", "<dir>/p.bmp", "out.pdf"};
        // The toolkit's options pass in every form it takes, also those the offscreen platform leaves; a
        // print replaces an old PDF.
        row("toolkit options",
            QStringList{"-style=fusion", "--qwindowtitle", "t", "-display", ":99", "-reverse", "-sync",
                        "-qwindowicon", "<dir>/icon.png"} +
                print,
            0, "", {"regular=p.bmp", "regular=out.pdf", "1048576 bytes=icon.png"});
        // Files the toolkit would read before the program could look at them.
        const auto refused = [](const QString& option, const QString& file, const QString& reason) {
            return QString(
                       "ｵﾌﾟｼｮﾝ %1 のﾌｧｲﾙ %2 を読み込めません。\n%3\nQt のｵﾌﾟｼｮﾝには 1 MiB までの通常のﾌｧｲﾙを"
                       "指定してください。\n")
                .arg(option, file, reason);
        };
        row("-stylesheet=fifo", QStringList{"-stylesheet=<dir>/s.qss"} + print, 2,
            refused("-stylesheet", "<dir>/s.qss", kNotRegular), {"regular=p.bmp", "fifo=s.qss"});
        row("--qwindowicon /dev/zero", QStringList{"--qwindowicon", "/dev/zero"} + print, 2,
            refused("--qwindowicon", "/dev/zero", kNotRegular), {"regular=p.bmp"});
        row("-stylesheet 2 MiB", QStringList{"-stylesheet", "<dir>/s.qss"} + print, 2,
            refused("-stylesheet", "<dir>/s.qss", "ﾌｧｲﾙが大きすぎます。"),
            {"regular=p.bmp", "2097152 bytes=s.qss"});
        // Control characters echoed as escapes.
        row("escape sequence", {"-\x1b[31m"}, 2,
            "不明なｵﾌﾟｼｮﾝです: -\\x1b[31m\n使い方は zelvorandine --help で表示されます。\n");
        row("line break", {"x.bmp", "b\nc"}, 2, "余分な引数です: b\\nc\nﾌｧｲﾙは 1 つだけ指定できます。\n");
        row("tab in a printer name", {"/pt", "x.bmp", "pr\tn"}, 1, "ﾌﾟﾘﾝﾀ pr\\tn が見つかりません。\n");
        // A refused print keeps every file as it was. (Printing into a fifo: tst_pictureprinter; failed
        // prints: tst_safefile.)
        row("print from a fifo", print, 1, CannotOpen("<dir>/p.bmp", kNotRegular) + '\n', {"fifo=p.bmp"});
    }

    void commandLine() {
        QFETCH(QStringList, arguments);
        QFETCH(QStringList, files);
        QFETCH(int, exitCode);
        QFETCH(QString, errors);
        for (const QString& file : files)
            QVERIFY(MakeAnyFile(file.section('=', 0, 0), In(file.section('=', 1))));
        const QStringList before = Listing(m_pDir->path());
        QTemporaryDir config;

        QCOMPARE(RunProgram(arguments.replaceInStrings("<dir>", m_pDir->path()), config.path()), exitCode);
        QCOMPARE(m_stderr, errors.replace("<dir>", m_pDir->path()));
        const QStringList after = Listing(m_pDir->path());
        QVERIFY(exitCode != 0 ? after == before : IsWholePdf(In("out.pdf")));
    }

    // A picture the user may not read is refused with the reason for reading, not for writing.
    void unreadablePicture() {
        QVERIFY(MakeFile("regular", In("p.bmp")) && QFile::setPermissions(In("p.bmp"), {}));
        QCOMPARE(RunProgram({"/pt", In("p.bmp"), "out.pdf"}, In("config"), true), 1);
        QCOMPARE(m_stderr, CannotOpen(In("p.bmp"), "このﾌｧｲﾙの読み込みが許可されていません。") + '\n');
    }

    // A long path is shortened in its middle to the menu's usual width, an '&' is no shortcut; the status bar
    // shows the path whole.
    void recentMenu() {
        const QString path = In(QString(40, QChar(0x7D75)) + "/a&b.bmp");
        QVERIFY(QDir().mkpath(QFileInfo(path).path()) && MakeFile("regular", path));
        QVERIFY(theApp.OpenDocumentFile(path) != nullptr);
        QMenu* pMenu = Frame()->GetMenu(0);
        Q_EMIT pMenu->aboutToShow();
        QAction* pEntry = Frame()->FindCommandAction(ID_FILE_MRU_FILE1);
        const QString text = pEntry->text(), shown = QString(text).replace("&&", "&");
        const qsizetype nEllipsis = shown.indexOf(QChar(0x2026));
        QVERIFY2(nEllipsis > 8 && shown.startsWith("&1 " + path.left(nEllipsis - 3)) &&
                     path.endsWith(shown.mid(nEllipsis + 1)) && text.endsWith("/a&&b.bmp"),
                 qPrintable(text));
        const QFontMetrics metrics(pMenu->font());
        QVERIFY(metrics.horizontalAdvance(shown.mid(3)) <= 40 * metrics.averageCharWidth());
        pEntry->showStatusText(Frame());
        QCOMPARE(static_cast<CMainFrame*>(Frame())->m_wndStatusBar->GetPaneText(0), path);
    }
};

QTEST_MAIN(TestSpecialInput)
#include "tst_specialinput.moc"
