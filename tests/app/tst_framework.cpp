// SPDX-License-Identifier: MIT
#include "app/framework/CommandLineInfo.h"
#include "app/framework/RecentFileList.h"
#include "files/SystemError.h"
#include "output/PdfStructure.h"

#include <QSettings>
#include <QTemporaryDir>
#include <QTest>

#include <cerrno>
#include <climits>

namespace {

// A PDF made from the rules: header, objects, an index of 20-byte entries, trailer, where the index starts,
// end mark.
QByteArray ModelPdf() {
    QByteArray pdf = "%PDF-1.4\n";
    QByteArray index = "xref\n0 4\n0000000000 65535 f \n";
    for (int i = 1; i <= 3; ++i) {
        index += QByteArray::number(pdf.size()).rightJustified(10, '0') + " 00000 n \n";
        pdf += QByteArray::number(i) + " 0 obj\n<< /N " + QByteArray(i * 40, 'x') + " >>\nendobj\n";
    }
    const QByteArray start = QByteArray::number(pdf.size());
    return pdf + index + "trailer\n<< /Size 4 /Root 1 0 R >>\nstartxref\n" + start + " \n%%EOF\n";
}

} // namespace

class TestFramework : public QObject {
    Q_OBJECT
    QTemporaryDir m_home;

private Q_SLOTS:
    void commandLine_data() {
        QTest::addColumn<QString>("arguments"); // split at spaces
        QTest::addColumn<QString>("fields");    // command|file|printer|driver|port|bad argument and why
        const auto row = [](const char* pName, const char* pArguments, const char* pFields) {
            QTest::newRow(pName) << pArguments << pFields;
        };
        // An extra argument and the toolkit's own options are run through the real program in
        // tst_specialinput.
        row("-pt", "-pt a prn drv port", "print to|a|prn|drv|port|");
        row("/pt no printer", "/pt a", "bad|a||||/pt no printer");
        row("/pt nothing", "/PT", "bad|||||/PT no file");
        row("unknown switch", "-x --version", "bad|||||-x unknown");
        row("-- ends options", "-- -platform", "open|-platform||||");
        row("'=' where the toolkit takes none", "-platform=offscreen a",
            "bad|||||-platform=offscreen unknown");
        row("value missing", "a -style", "bad|a||||-style unknown");
    }

    void commandLine() {
        QFETCH(QString, arguments);
        CCommandLineInfo info;
        info.ParseArguments(
            CCommandLineInfo::WithoutToolkitOptions(arguments.split(' ', Qt::SkipEmptyParts)));
        const QStringList commands{"new", "open", "print", "print to", "help", "version", "bad"};
        const QStringList kinds{"unknown", "extra", "no file", "no printer"};
        const QString bad = info.m_nShellCommand == CCommandLineInfo::BadArguments
                                ? info.m_strBadArgument + ' ' + kinds.value(info.m_nBadArgumentKind)
                                : info.m_strBadArgument;
        QTEST(QStringList({commands.value(info.m_nShellCommand), info.m_strFileName, info.m_strPrinterName,
                           info.m_strDriverName, info.m_strPortName, bad})
                  .join('|'),
              "fields");
    }

    void recentFiles_data() {
        QTest::addColumn<QByteArray>("stored");  // the settings file before "/a" is opened
        QTest::addColumn<QByteArray>("written"); // the entries after it
        const auto row = [](const char* pName, const QByteArray& stored, const QByteArray& written) {
            QTest::newRow(pName) << stored << written;
        };
        const QByteArray longest = '/' + QByteArray(PATH_MAX - 2, 'a'); // with its NUL, the system's limit
        row("full", "File1=/b\nFile2=/c\nFile3=/d\nFile4=/e", "/a /b /c /d");
        row("full, one reopened", "File1=/c\nFile2=/a\nFile3=/b\nFile4=/d", "/a /c /b /d");
        // Taken as they stand or dropped, never rewritten into the name of another file.
        row("relative, not clean, duplicate", "File1=pic.bmp\nFile2=/b\nFile3=/x/../q\nFile4=/b", "/a /b");
        row("control character, not in the file system's encoding",
            "File1=/c\\td\nFile2=/bad\\xd800name\nFile3=/b", "/a /b");
        row("too long", "File1=" + longest + "b\nFile2=" + longest, "/a " + longest);
        row("wrong types", "File1=@ByteArray(/b)\nFile2=@Variant(\\0\\0\\0\\x2\\0\\0\\0*)\nFile3=/c",
            "/a /c");
    }

    // The stored list is read and cleaned, added to, and written back for a later run, nothing else left.
    void recentFiles() {
        QFETCH(QByteArray, stored);
        QFETCH(QByteArray, written);
        QFile file(m_home.filePath(QTest::currentDataTag())); // one file per row: no cached copy is read
        QVERIFY(file.open(QIODevice::WriteOnly) && file.write("[Recent%20File%20List]\n" + stored));
        file.close();
        CRecentFileList list(4, "Recent File List", "File%1");
        QSettings settings(file.fileName(), QSettings::IniFormat);
        list.ReadList(settings);
        list.Add("/a");
        list.WriteList(settings);
        settings.sync();
        QByteArray entries;
        for (const QByteArray& path : written.split(' '))
            entries += "File" + QByteArray::number(entries.count('\n') + 1) + '=' + path + '\n';
        QVERIFY(file.open(QIODevice::ReadOnly));
        QCOMPARE(file.readAll(), "[Recent%20File%20List]\n" + entries);
    }

    void pdfStructure_data() {
        QTest::addColumn<QByteArray>("pdf");
        QTest::addColumn<bool>("complete");
        const QByteArray pdf = ModelPdf();
        QTest::newRow("whole") << pdf << true;
        QTest::newRow("no end mark") << pdf.chopped(6) << false;
        QTest::newRow("object not where its entry says")
            << QByteArray(pdf).replace("2 0 obj", "2 0 obx") << false;
        QTest::newRow("index not where the trailer says")
            << QByteArray(pdf).insert(pdf.indexOf("xref\n"), ' ') << false;
    }

    // A file is complete when its index is there and each object starts where the index says.
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

QTEST_APPLESS_MAIN(TestFramework)
#include "tst_framework.moc"
