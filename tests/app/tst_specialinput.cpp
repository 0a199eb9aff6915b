// SPDX-License-Identifier: MIT
#include "files/SystemError.h"
#include "output/PdfStructure.h"
#include "res/ResourceIds.h"
#include "tests/app/AppTestSupport.h"
#include "tests/app/SpecialFiles.h"
#include "tests/output/PictureTestSupport.h"

#include <QMenu>
#include <QProcess>
#include <QTest>

#include <cerrno>
#include <climits>

using namespace apptest;

// What the program does with input it cannot use: special files to open, print into or keep settings in,
// files cut short, odd command lines, recent entries too long for the menu. Each must end at once with the
// exact message, keep what was there, and give the exit status a script can rely on.
namespace {

const QString kNotRegular = "通常のﾌｧｲﾙではありません。", kTooLarge = "ﾌｧｲﾙが大きすぎます。",
              kNotAllowed = "このﾌｧｲﾙの読み込みが許可されていません。";
const QString kSettings = "config/Local AppWizard-Generated Applications/Zelvorandine.conf";

QString CannotOpen(const QString& path, const QString& reason) {
    return QString("ﾌｧｲﾙ %1 を開くことができません。\n%2").arg(path, reason);
}

bool WriteFile(const QString& path, const QByteArray& bytes) {
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size();
}

// MakeFile's kinds, "<n> bytes": a regular file of that size, and "<kind> mode <octal>"; folders on the way
// are made.
bool MakeAnyFile(const QString& kind, const QString& path) {
    QDir().mkpath(QFileInfo(path).path());
    if (kind.contains(" mode "))
        return MakeAnyFile(kind.section(' ', 0, 0), path) &&
               QFile::setPermissions(path, QFile::Permissions(kind.section(' ', -1).toInt(nullptr, 8)));
    const qint64 nSize = kind.endsWith(" bytes") ? kind.section(' ', 0, 0).toLongLong() : 0;
    return nSize == 0 ? MakeFile(kind, path) : WriteFile(path, QByteArray(nSize, '#'));
}

// A PDF made from the rules: header, objects, an index of 20-byte entries, trailer, where the index starts,
// end mark.
QByteArray ModelPdf() {
    QByteArray pdf = "%PDF-1.4\n", index = "xref\n0 4\n0000000000 65535 f \n";
    for (int i = 1; i <= 3; ++i) {
        index += QByteArray::number(pdf.size()).rightJustified(10, '0') + " 00000 n \n";
        pdf += QByteArray::number(i) + " 0 obj\n<< /N " + QByteArray(i * 40, 'x') + " >>\nendobj\n";
    }
    const QByteArray start = QByteArray::number(pdf.size());
    return pdf + index + "trailer\n<< /Size 4 /Root 1 0 R >>\nstartxref\n" + start + " \n%%EOF\n";
}

} // namespace

class TestSpecialInput : public QObject {
    Q_OBJECT
    std::unique_ptr<QTemporaryDir> m_pSettings = IsolateSettings();
    std::unique_ptr<QTemporaryDir> m_pDir;
    QString m_stderr;

    QString In(const QString& name) const { return m_pDir->filePath(name); }

    // Runs the real program in the test folder, its settings below it; its exit code, or -1 when it had to be
    // stopped. Root reads every file: as root it runs as nobody, the test folder given to nobody (where that
    // fails, the rows about unreadable files fail).
    int RunProgram(const QStringList& arguments) {
        QProcess process;
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert("XDG_CONFIG_HOME", In("config"));
        environment.insert("XDG_RUNTIME_DIR", m_pDir->path()); // private, as the toolkit wants it
        environment.insert("LC_ALL", "C.UTF-8");
        QStringList command{ZELVORANDINE_BINARY};
        if (::geteuid() == 0 && QProcess::execute("chown", {"-R", "nobody:nogroup", m_pDir->path()}) == 0)
            command = QStringList{"setpriv", "--reuid=nobody", "--regid=nogroup", "--clear-groups"} + command;
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
    }

    // A file named at the start that cannot be opened ends the start at once with the message (a line break
    // in its name shown as such) and is not made. One that can heads the recent files: an '&' in its name is
    // no shortcut, a long path is shortened in its middle to the menu's usual width.
    void startWithFile() {
        const auto shown = DriveNextModal();
        QVERIFY(!StartApp({In("a\nb.bmp")}) && theApp.m_nExitCode == 1 && AfxGetMainWnd() == nullptr);
        StopApp();
        QVERIFY(!QFile::exists(In("a\nb.bmp")));
        QCOMPARE(*shown, "QMessageBox: " + CannotOpen(In("a\\nb.bmp"), "ﾌｧｲﾙまたはﾌｫﾙﾀﾞが見つかりません。"));
        const QString path = In(QString(40, QChar(0x7D75)) + "/a&b.bmp");
        QVERIFY(MakeAnyFile("regular", path) && StartApp({path}));
        Q_EMIT Frame()->GetMenu(0)->aboutToShow();
        const QFontMetrics metrics(Frame()->GetMenu(0)->font());
        const QAction* pEntry = Frame()->FindCommandAction(ID_FILE_MRU_FILE1);
        const QString text = pEntry->text(), tip = pEntry->statusTip();
        StopApp();
        QCOMPARE(tip, path); // the status bar shows it whole
        QVERIFY2(text.startsWith("&1 " + path.left(8)) && text.endsWith("/a&&b.bmp") &&
                     metrics.horizontalAdvance(text.mid(3).replace("&&", "&")) <=
                         40 * metrics.averageCharWidth(),
                 qPrintable(text));
    }

    void run_data() {
        QTest::addColumn<QStringList>("arguments"); // <dir> stands for the test folder
        QTest::addColumn<QStringList>("files");     // kind=name, made in the test folder first
        QTest::addColumn<QByteArray>("stored");     // the settings file before; a last '#': to 1 MiB
        QTest::addColumn<int>("exitCode");
        QTest::addColumn<QString>("errors");  // standard error
        QTest::addColumn<QString>("written"); // its recent files after; none: the settings file as it was
        const auto row = [](const char* pName, const QStringList& arguments, int exitCode,
                            const QString& errors, const QStringList& files = {},
                            const QByteArray& stored = {}, const QString& written = {}) {
            QTest::newRow(pName) << arguments << files << stored << exitCode << errors << written;
        };
        const QStringList print{"/pt", "x.bmp", "out.pdf"};

        // The toolkit's options pass in every form it takes, also those the offscreen platform leaves, and
        // a value that looks like an option is the value; a print replaces an old PDF.
        row("toolkit options",
            print + QStringList{"-style=fusion", "-display", ":99", "-reverse", "-sync", "--qwindowtitle",
                                "-stylesheet", "-qwindowicon", "<dir>/icon.png"},
            0, "", {"regular=out.pdf", "1048576 bytes=icon.png"}, {}, "<dir>/x.bmp");
        // Files the toolkit would read before the program could look at them, named by the option's last
        // word.
        const auto refused = [&row, &print](const char* pName, const QStringList& options,
                                            const QString& reason, const QStringList& files = {}) {
            row(pName, options + print, 2,
                QString("ｵﾌﾟｼｮﾝ %1 のﾌｧｲﾙ %2 を読み込めません。\n%3\nQt のｵﾌﾟｼｮﾝには 1 MiB までの通常のﾌｧｲﾙを"
                        "指定してください。\n")
                    .arg(options.first().section('=', 0, 0), options.last().section('=', -1), reason),
                files);
        };
        refused("-stylesheet=fifo", {"-stylesheet=<dir>/s.qss"}, kNotRegular, {"fifo=s.qss"});
        refused("--qwindowicon /dev/zero", {"--qwindowicon", "/dev/zero"}, kNotRegular);
        refused("-stylesheet 2 MiB", {"-stylesheet", "<dir>/s.qss"}, kTooLarge, {"2097152 bytes=s.qss"});

        // Odd command lines; control characters echoed as escapes.
        const QString usage = "\n使い方は zelvorandine --help で表示されます。\n";
        row("escape sequence", {"-\x1b[31m"}, 2, "不明なｵﾌﾟｼｮﾝです: -\\x1b[31m" + usage);
        row("'=' where the toolkit takes none", {"-platform=offscreen", "x.bmp"}, 2,
            "不明なｵﾌﾟｼｮﾝです: -platform=offscreen" + usage);
        row("value missing", {"x.bmp", "-style"}, 2, "不明なｵﾌﾟｼｮﾝです: -style" + usage);
        row("line break", {"x.bmp", "b\nc"}, 2, "余分な引数です: b\\nc\nﾌｧｲﾙは 1 つだけ指定できます。\n");
        row("/PT alone", {"/PT"}, 2, "印刷するﾌｧｲﾙ名がありません: /PT の後に指定してください。" + usage);
        row("-pt, tab in a printer name, driver, port", {"-pt", "x.bmp", "pr\tn", "drv", "port"}, 1,
            "ﾌﾟﾘﾝﾀ pr\\tn が見つかりません。\n");
        row("-- ends options", {"/pt", "--", "-reverse", "out.pdf"}, 1,
            CannotOpen("-reverse", "ﾌｧｲﾙまたはﾌｫﾙﾀﾞが見つかりません。") + '\n');

        // A refused print keeps every file as it was. (Printing into special files and failed prints:
        // tst_safefile.)
        const QStringList printP{"/pt", "<dir>/p.bmp", "out.pdf"};
        row("print from a fifo", printP, 1, CannotOpen("<dir>/p.bmp", kNotRegular) + '\n', {"fifo=p.bmp"});
        row("print from a picture the user may not read", printP, 1,
            CannotOpen("<dir>/p.bmp", kNotAllowed) + '\n', {"regular mode 000=p.bmp"});

        // A settings file that cannot be used is said so once and left alone, also at exit; the program
        // starts with the defaults and does its work.
        const QString notRead = "設定ﾌｧｲﾙ <dir>/" + kSettings +
                                " を読み込めません。\n%1\n既定の設定で起動し、このﾌｧｲﾙは変更しません。\n";
        row("settings: fifo", print, 0, notRead.arg(kNotRegular), {"fifo=" + kSettings});
        row("settings: over 1 MiB", print, 0, notRead.arg(kTooLarge), {"1048577 bytes=" + kSettings});
        row("settings: unreadable", print, 0, notRead.arg(kNotAllowed), {"regular mode 000=" + kSettings});
        row("settings: folder that cannot be written", print, 0,
            "設定ﾌｧｲﾙ <dir>/" + kSettings +
                " に書き込めませんでした。最近使ったﾌｧｲﾙの一覧は次の起動に引き継がれません。\n",
            {"folder mode 555=config"});

        // A usable one is read past the lines it cannot use and written back with the file just printed at
        // the head of its recent files, the stored ones kept in order, the fourth too; an entry is taken as
        // it stands or dropped, never rewritten into the name of another file.
        const auto recent = [&row, &print](const char* pName, const QByteArray& stored,
                                           const QString& written) {
            row(pName, print, 0, "", {"regular=" + kSettings}, "[Recent%20File%20List]\n" + stored, written);
        };
        row("settings: 1 MiB, lines that cannot be read", print, 0, "", {"regular=" + kSettings},
            "x\n]]]\n\x01\xfe\n[Recent%20File%20List]\n"
            "File1=/b\nFile2=<dir>/x.bmp\n\x7f\nFile3=/c\nFile4=/d\n#",
            "<dir>/x.bmp /b /c /d");
        recent("recent: full", "File1=/b\nFile2=/c\nFile3=/d\nFile4=/e", "<dir>/x.bmp /b /c /d");
        recent("recent: relative, not clean, duplicate", "File1=pic.bmp\nFile2=/b\nFile3=/x/../q\nFile4=/b",
               "<dir>/x.bmp /b");
        recent("recent: control character, not in the file system's encoding",
               "File1=/c\\td\nFile2=/bad\\xd800name\nFile3=/b", "<dir>/x.bmp /b");
        const QString longest = '/' + QString(PATH_MAX - 2, 'a'); // with its NUL, the system's limit
        recent("recent: too long", "File1=" + longest.toLatin1() + "b\nFile2=" + longest.toLatin1(),
               "<dir>/x.bmp " + longest);
        recent("recent: wrong types",
               "File1=@ByteArray(/b)\nFile2=@Variant(\\0\\0\\0\\x2\\0\\0\\0*)\nFile3=/c", "<dir>/x.bmp /c");
    }

    void run() {
        QFETCH(QStringList, arguments);
        QFETCH(QStringList, files);
        QFETCH(QByteArray, stored);
        QFETCH(int, exitCode);
        QFETCH(QString, errors);
        QFETCH(QString, written);
        for (const QString& file : files)
            QVERIFY(MakeAnyFile(file.section('=', 0, 0), In(file.section('=', 1))));
        stored.replace("<dir>", QFile::encodeName(m_pDir->path()));
        QVERIFY(stored.isEmpty() ||
                WriteFile(In(kSettings), stored.leftJustified(stored.endsWith('#') ? 1 << 20 : 0, '#')));
        const QStringList before = Listing(m_pDir->path());

        QCOMPARE(RunProgram(arguments.replaceInStrings("<dir>", m_pDir->path())), exitCode);
        QCOMPARE(m_stderr, errors.replace("<dir>", m_pDir->path()));
        const QStringList after = Listing(m_pDir->path());
        QVERIFY(exitCode != 0 ? after == before
                              : CPdfStructure::IsComplete(picturetest::Read(In("out.pdf"))));
        QString entries = "[Recent%20File%20List]\n";
        for (const QString& path : written.replace("<dir>", m_pDir->path()).split(' ', Qt::SkipEmptyParts))
            entries += QString("File%1=%2\n").arg(entries.count('\n')).arg(path);
        if (written.isEmpty())
            QCOMPARE(after.filter("config/"), before.filter("config/"));
        else
            QCOMPARE(QString::fromUtf8(picturetest::Read(In(kSettings))), entries);
    }

    void pdfStructure_data() {
        QTest::addColumn<QByteArray>("pdf");
        QTest::addColumn<bool>("complete");
        const QByteArray pdf = ModelPdf();
        QTest::newRow("whole") << pdf << true;
        QTest::newRow("no header") << QByteArray(pdf).replace("%PDF", "%PDX") << false;
        QTest::newRow("no end mark") << pdf.chopped(6) << false;
        QTest::newRow("object not where its entry says")
            << QByteArray(pdf).replace("2 0 obj", "2 0 obx") << false;
        QTest::newRow("index not where the trailer says")
            << QByteArray(pdf).insert(pdf.indexOf("xref\n"), ' ') << false;
    }

    // A printed file is complete when its header, index and end mark are there and each object starts where
    // the index says.
    void pdfStructure() {
        QFETCH(QByteArray, pdf);
        QTEST(CPdfStructure::IsComplete(pdf), "complete");
    }

    // The causes a user must tell apart get Japanese words of their own; any other, the system's text.
    void systemErrorText() {
        const std::pair<int, QString> causes[] = {{ENOSPC, "空き容量"}, {EDQUOT, "上限"},
                                                  {EPERM, "許可"},      {EROFS, "読み取り専用"},
                                                  {EILSEQ, "ﾌｧｲﾙ名"},   {EXDEV, ""}};
        for (const auto& [nError, word] : causes) {
            const QString text = CSystemError::Text(nError), system = qt_error_string(nError);
            QVERIFY2(word.isEmpty() ? text == system : text.contains(word) && text != system,
                     qPrintable(text));
        }
    }
};

QTEST_MAIN(TestSpecialInput)
#include "tst_specialinput.moc"
