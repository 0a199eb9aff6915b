#include "app/framework/CommandLineInfo.h"

#include <QTest>

Q_DECLARE_METATYPE(CCommandLineInfo::ShellCommand)

class TestCommandLineInfo : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void parse_data() {
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<CCommandLineInfo::ShellCommand>("command");
        QTest::addColumn<QString>("file");
        QTest::addColumn<QStringList>("printer"); // printer, driver, port
        QTest::addColumn<QString>("bad");

        using C = CCommandLineInfo;
        using L = QStringList;
        const L none{"", "", ""};

        QTest::newRow("empty") << L{} << C::FileNew << "" << none << "";
        QTest::newRow("a file") << L{"picture.bmp"} << C::FileOpen << "picture.bmp" << none << "";
        QTest::newRow("absolute path")
            << L{"/home/user/p.bmp"} << C::FileOpen << "/home/user/p.bmp" << none << "";
        // A one-letter folder at the root is still a path, not the print switch.
        QTest::newRow("path /p/x") << L{"/p/x"} << C::FileOpen << "/p/x" << none << "";
        QTest::newRow("lone dash is a file") << L{"-"} << C::FileOpen << "-" << none << "";

        QTest::newRow("/p file") << L{"/p", "a.bmp"} << C::FilePrint << "a.bmp" << none << "";
        QTest::newRow("-p file") << L{"-p", "a.bmp"} << C::FilePrint << "a.bmp" << none << "";
        QTest::newRow("/P upper case") << L{"/P", "a.bmp"} << C::FilePrint << "a.bmp" << none << "";
        QTest::newRow("file then /p") << L{"a.bmp", "/p"} << C::FilePrint << "a.bmp" << none << "";
        QTest::newRow("/p without file") << L{"/p"} << C::BadArguments << "" << none << "/p";
        QTest::newRow("-p without file") << L{"-p"} << C::BadArguments << "" << none << "-p";
        QTest::newRow("/p two files") << L{"/p", "a", "b"} << C::BadArguments << "a" << none << "b";

        QTest::newRow("/pt file printer driver port")
            << L{"/pt", "a.bmp", "Office", "drv", "lpt1"} << C::FilePrintTo << "a.bmp"
            << L{"Office", "drv", "lpt1"} << "";
        QTest::newRow("-pt file printer")
            << L{"-pt", "a.bmp", "Office"} << C::FilePrintTo << "a.bmp" << L{"Office", "", ""} << "";
        QTest::newRow("/pt without printer")
            << L{"/pt", "a.bmp"} << C::BadArguments << "a.bmp" << none << "/pt";
        QTest::newRow("/pt without anything") << L{"/pt"} << C::BadArguments << "" << none << "/pt";
        QTest::newRow("/pt one too many") << L{"/pt", "a", "prn", "drv", "port", "more"} << C::BadArguments
                                          << "a" << L{"prn", "drv", "port"} << "more";

        QTest::newRow("--help") << L{"--help"} << C::AppHelp << "" << none << "";
        QTest::newRow("-h") << L{"-h"} << C::AppHelp << "" << none << "";
        QTest::newRow("-?") << L{"-?"} << C::AppHelp << "" << none << "";
        QTest::newRow("--HELP") << L{"--HELP"} << C::AppHelp << "" << none << "";
        QTest::newRow("--version") << L{"--version"} << C::AppVersion << "" << none << "";
        QTest::newRow("help wins over later junk")
            << L{"--help", "--bogus"} << C::AppHelp << "" << none << "";
        QTest::newRow("file then --version")
            << L{"a.bmp", "--version"} << C::AppVersion << "a.bmp" << none << "";

        QTest::newRow("unknown long switch") << L{"--bogus"} << C::BadArguments << "" << none << "--bogus";
        QTest::newRow("unknown short switch") << L{"-x"} << C::BadArguments << "" << none << "-x";
        QTest::newRow("first bad switch reported")
            << L{"-x", "-y", "--help"} << C::BadArguments << "" << none << "-x";

        QTest::newRow("-- then -x is a file") << L{"--", "-x"} << C::FileOpen << "-x" << none << "";
        QTest::newRow("-- then --help is a file")
            << L{"--", "--help"} << C::FileOpen << "--help" << none << "";
        QTest::newRow("-- then /p is a file") << L{"--", "/p"} << C::FileOpen << "/p" << none << "";
        QTest::newRow("second -- is a file") << L{"--", "--"} << C::FileOpen << "--" << none << "";

        QTest::newRow("several files")
            << L{"a.bmp", "b.bmp"} << C::BadArguments << "a.bmp" << none << "b.bmp";
        QTest::newRow("/dde starts empty") << L{"/dde"} << C::FileNew << "" << none << "";
    }

    void parse() {
        QFETCH(QStringList, arguments);
        QFETCH(CCommandLineInfo::ShellCommand, command);
        QFETCH(QString, file);
        QFETCH(QStringList, printer);
        QFETCH(QString, bad);

        CCommandLineInfo info;
        info.ParseArguments(arguments);
        QCOMPARE(info.m_nShellCommand, command);
        QCOMPARE(info.m_strFileName, file);
        QCOMPARE(info.m_strPrinterName, printer.at(0));
        QCOMPARE(info.m_strDriverName, printer.at(1));
        QCOMPARE(info.m_strPortName, printer.at(2));
        if (command == CCommandLineInfo::BadArguments) {
            // The message names what was wrong; it is never empty.
            QCOMPARE(info.m_strBadArgument, bad);
        }
    }

    // A file after the file is one argument too many, which the message says instead of calling it a switch.
    void extraArgumentIsNotAnUnknownSwitch() {
        CCommandLineInfo extra;
        extra.ParseArguments({"a.bmp", "b.bmp"});
        QVERIFY(extra.m_bExtraArgument);
        CCommandLineInfo unknown;
        unknown.ParseArguments({"-x"});
        QVERIFY(!unknown.m_bExtraArgument);
    }

    void toolkitOptions_data() {
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<QStringList>("expected");
        QTest::newRow("platform with value")
            << QStringList{"-platform", "offscreen", "a.bmp"} << QStringList{"a.bmp"};
        QTest::newRow("double dash spelling")
            << QStringList{"--style", "fusion", "/p", "a"} << QStringList{"/p", "a"};
        QTest::newRow("flag") << QStringList{"-reverse", "--version"} << QStringList{"--version"};
        QTest::newRow("after --") << QStringList{"--", "-platform", "x"}
                                  << QStringList{"--", "-platform", "x"};
        QTest::newRow("unknown kept") << QStringList{"-x"} << QStringList{"-x"};
    }

    void toolkitOptions() {
        QFETCH(QStringList, arguments);
        QFETCH(QStringList, expected);
        QCOMPARE(CCommandLineInfo::WithoutToolkitOptions(arguments), expected);
    }
};

QTEST_APPLESS_MAIN(TestCommandLineInfo)
#include "tst_commandlineinfo.moc"
