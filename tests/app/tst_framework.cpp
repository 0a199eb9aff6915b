// SPDX-License-Identifier: MIT
#include "app/framework/CmdTarget.h"
#include "app/framework/CmdUI.h"
#include "app/framework/CommandLineInfo.h"
#include "app/framework/RecentFileList.h"
#include "app/framework/SystemError.h"

#include <QSettings>
#include <QTemporaryDir>
#include <QTest>

#include <cerrno>

// Handlers that only note that they ran.
struct CBaseTarget : CCmdTarget {
    QString m_call;
    void OnOwn() { m_call = QStringLiteral("base 100"); }
    void OnRange(int nID) { m_call = QStringLiteral("range %1").arg(nID); }
    void OnUpdateOwn(CCmdUI* pCmdUI) { pCmdUI->SetCheck(1); }
    DECLARE_MESSAGE_MAP(CBaseTarget)
};
BEGIN_MESSAGE_MAP(CBaseTarget, CCmdTarget)
ON_COMMAND(100, OnOwn)
ON_COMMAND_RANGE(300, 309, OnRange)
ON_UPDATE_COMMAND_UI(100, OnUpdateOwn)
ON_UPDATE_COMMAND_UI(200, OnUpdateOwn)
END_MESSAGE_MAP()

struct CDerivedTarget : CBaseTarget {
    void OnInsideBaseRange() { m_call = QStringLiteral("derived 305"); }
    void OnUpdateDerived(CCmdUI* pCmdUI) { pCmdUI->SetCheck(0); }
    DECLARE_MESSAGE_MAP(CDerivedTarget)
};
BEGIN_MESSAGE_MAP(CDerivedTarget, CBaseTarget)
ON_COMMAND(305, OnInsideBaseRange)
ON_UPDATE_COMMAND_UI(100, OnUpdateDerived)
ON_UPDATE_COMMAND_UI(500, OnUpdateDerived)
END_MESSAGE_MAP()

Q_DECLARE_METATYPE(CmdCode)

class TestFramework : public QObject {
    Q_OBJECT
    QTemporaryDir m_home;

    // A new settings object each time, as a later run opens them; one file per row: no cached copy is read.
    std::unique_ptr<QSettings> Settings() const {
        return std::make_unique<QSettings>(m_home.filePath(QTest::currentDataTag()), QSettings::IniFormat);
    }

private Q_SLOTS:
    void messageMap_data() {
        QTest::addColumn<int>("id");
        QTest::addColumn<CmdCode>("code");
        QTest::addColumn<QString>("result"); // "-": not taken
        const auto C = CmdCode::Command, U = CmdCode::Update, P = CmdCode::Probe;
        QTest::newRow("inherited command") << 100 << C << "base 100";
        QTest::newRow("range end") << 309 << C << "range 309";
        QTest::newRow("past range") << 310 << C << "-";
        QTest::newRow("probe runs nothing") << 300 << P << "taken";
        QTest::newRow("own before base range") << 305 << C << "derived 305";
        QTest::newRow("rest of base range") << 306 << C << "range 306";
        QTest::newRow("inherited update") << 200 << U << "check 1";
        QTest::newRow("own update before base") << 100 << U << "check 0";
        QTest::newRow("update only: no command") << 500 << P << "-";
        QTest::newRow("command only: no update") << 300 << U << "-";
    }

    void messageMap() {
        QFETCH(int, id);
        QFETCH(CmdCode, code);
        CDerivedTarget target;
        CCmdUI ui(id);
        const bool bTaken = target.OnCmdMsg(id, code, &ui);
        const QString result = ui.m_check ? QStringLiteral("check %1").arg(int(*ui.m_check)) : target.m_call;
        QTEST(!bTaken ? "-" : result.isEmpty() ? "taken" : result, "result");
    }

    void commandLine_data() {
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<QString>("fields"); // command|file|printer|driver|port|bad argument|extra
        using L = QStringList;
        QTest::newRow("empty") << L{} << "new||||||";
        QTest::newRow("/p file") << L{"/p", "a.bmp"} << "print|a.bmp|||||";
        QTest::newRow("-pt") << L{"-pt", "a", "prn", "drv", "port"} << "print to|a|prn|drv|port||";
        QTest::newRow("/pt no printer") << L{"/pt", "a"} << "bad|a||||/pt|";
        QTest::newRow("--help wins") << L{"--help", "-x"} << "help||||||";
        QTest::newRow("unknown switch") << L{"-x", "--version"} << "bad|||||-x|";
        QTest::newRow("-- ends switches") << L{"--", "-x"} << "open|-x|||||";
        QTest::newRow("extra argument") << L{"a", "b"} << "bad|a||||b|extra";
        QTest::newRow("toolkit options")
            << L{"-platform", "offscreen", "--style", "fusion", "-reverse", "a"} << "open|a|||||";
        QTest::newRow("toolkit option after --") << L{"--", "-platform"} << "open|-platform|||||";
    }

    void commandLine() {
        QFETCH(QStringList, arguments);
        CCommandLineInfo info;
        info.ParseArguments(CCommandLineInfo::WithoutToolkitOptions(arguments));
        const QStringList commands{"new", "open", "print", "print to", "help", "version", "bad"};
        QTEST(QStringList({commands.value(info.m_nShellCommand), info.m_strFileName, info.m_strPrinterName,
                           info.m_strDriverName, info.m_strPortName, info.m_strBadArgument,
                           info.m_bExtraArgument ? "extra" : ""})
                  .join('|'),
              "fields");
    }

    void recentFiles_data() {
        QTest::addColumn<QByteArray>("stored");   // the settings file before "/a" is opened
        QTest::addColumn<QStringList>("written"); // number=path
        const QByteArray head = "[Recent%20File%20List]\n";
        using L = QStringList;
        QTest::newRow("full") << head + "File1=/b\nFile2=/c\nFile3=/d\nFile4=/e\nFile5=/f"
                              << L{"1=/a", "2=/b", "3=/c", "4=/d"};
        QTest::newRow("reopened") << head + "File1=/c\nFile2=/b\nFile3=/a" << L{"1=/a", "2=/c", "3=/b"};
        QTest::newRow("relative, duplicate")
            << head + "File1=pic.bmp\nFile2=/b\nFile3=/x/../b\nFile4=/c" << L{"1=/a", "2=/b", "3=/c"};
        QTest::newRow("wrong types") << head + "File1=@Variant(\\0\\0\\0\\x2\\0\\0\\0*)\nFile2=/b, /c\n"
                                               "File3=@ByteArray(/b)\nFile4=/c"
                                     << L{"1=/a", "2=/c"};
        QTest::newRow("garbage") << QByteArray("\x00\xff\xfe[\x01\x02=\x80\x81\n\x00", 11) << L{"1=/a"};
    }

    // The stored list is read and cleaned, added to, and written back for a later run, nothing else left.
    void recentFiles() {
        QFETCH(QByteArray, stored);
        QFile file(Settings()->fileName());
        QVERIFY(file.open(QIODevice::WriteOnly) && file.write(stored) == stored.size());
        file.close();
        CRecentFileList list(4, "Recent File List", "File%1");
        list.ReadList(*Settings());
        QVERIFY(list.GetSize() <= 4);
        list.Add("/a");
        list.WriteList(*Settings());
        auto settings = Settings();
        settings->beginGroup("Recent File List");
        QStringList written;
        for (const QString& key : settings->childKeys()) {
            written << key.mid(4) + '=' + settings->value(key).toString(); // after "File"
        }
        QTEST(written, "written");
    }

    void systemErrorText_data() {
        QTest::addColumn<int>("error");
        QTest::addColumn<QString>("word"); // what the reason must speak of
        QTest::newRow("no space") << ENOSPC << "空き容量";
        QTest::newRow("quota") << EDQUOT << "上限";
        QTest::newRow("permission") << EACCES << "許可";
        QTest::newRow("not permitted") << EPERM << "許可";
        QTest::newRow("read-only") << EROFS << "読み取り専用";
        QTest::newRow("missing") << ENOENT << "見つかりません";
        QTest::newRow("name too long") << ENAMETOOLONG << "長すぎ";
        QTest::newRow("file too large") << EFBIG << "大きすぎ";
        QTest::newRow("i/o") << EIO << "ｴﾗｰ";
        QTest::newRow("memory") << ENOMEM << "ﾒﾓﾘ";
        QTest::newRow("not regular") << CSystemError::kNotRegularFile << "通常のﾌｧｲﾙではありません";
        QTest::newRow("empty picture") << CSystemError::kEmptyPicture << "PNG";
        QTest::newRow("not a folder") << ENOTDIR << "ﾌｫﾙﾀﾞではない";
        QTest::newRow("is a folder") << EISDIR << "ﾌｫﾙﾀﾞがあります";
        QTest::newRow("unrepresentable name") << EILSEQ << "ﾌｧｲﾙ名";
    }

    // Japanese for the causes a user meets, whatever the locale; each names its own cause.
    void systemErrorText() {
        QFETCH(int, error);
        QFETCH(QString, word);
        const QString text = CSystemError::Text(error);
        QVERIFY2(text.contains(word), qPrintable(text));
        QVERIFY(text != qt_error_string(error));
    }

    void systemErrorTextFallsBackToTheSystem() {
        QCOMPARE(CSystemError::Text(EXDEV), qt_error_string(EXDEV));
    }
};

QTEST_APPLESS_MAIN(TestFramework)
#include "tst_framework.moc"
