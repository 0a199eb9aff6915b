#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

// The real program started from its command line. The test programs live in <build>/tests/<folder>/,
// the program in <build>/.
class TestShellCommands : public QObject {
    Q_OBJECT

    QString m_program;
    QTemporaryDir m_home;

    struct Result {
        int exitCode = -1;
        QProcess::ExitStatus status = QProcess::CrashExit;
        QString out;
        QString err;
    };

    // Without any display: what needs none must not ask for one.
    QProcessEnvironment NoDisplay() const {
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        for (const char* name : {"QT_QPA_PLATFORM", "DISPLAY", "WAYLAND_DISPLAY"}) {
            env.remove(QString::fromLatin1(name));
        }
        env.insert(QStringLiteral("HOME"), m_home.path());
        env.insert(QStringLiteral("XDG_CONFIG_HOME"), m_home.filePath(QStringLiteral(".config")));
        return env;
    }

    Result Run(const QStringList& arguments, const QProcessEnvironment& env,
               const QString& folder = QString()) {
        QProcess process;
        process.setProcessEnvironment(env);
        if (!folder.isEmpty()) {
            process.setWorkingDirectory(folder);
        }
        process.start(m_program, arguments);
        Result result;
        if (!process.waitForFinished(15000)) {
            process.kill();
            process.waitForFinished();
            return result;
        }
        result.exitCode = process.exitCode();
        result.status = process.exitStatus();
        result.out = QString::fromLocal8Bit(process.readAllStandardOutput());
        result.err = QString::fromLocal8Bit(process.readAllStandardError());
        return result;
    }

private Q_SLOTS:
    void initTestCase() {
        m_program = QDir(QCoreApplication::applicationDirPath())
                        .absoluteFilePath(QStringLiteral("../../zelvorandine"));
        QVERIFY2(QFile::exists(m_program), qPrintable(m_program));
        QVERIFY(m_home.isValid());
    }

    void answersWithoutDisplay_data() {
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<int>("exitCode");
        QTest::addColumn<QString>("out");
        QTest::addColumn<QString>("err");

        const QString usage = QString::fromUtf8("使い方: zelvorandine");
        const QString unknown = QString::fromUtf8("不明なｵﾌﾟｼｮﾝです: ");
        QTest::newRow("--version") << QStringList{"--version"} << 0 << "Zelvorandine 1.0.0.1"
                                   << "";
        QTest::newRow("--help") << QStringList{"--help"} << 0 << usage << "";
        QTest::newRow("-h") << QStringList{"-h"} << 0 << usage << "";
        QTest::newRow("help after a file") << QStringList{"picture.bmp", "--help"} << 0 << usage << "";
        QTest::newRow("unknown switch") << QStringList{"--bogus"} << 2 << "" << unknown + "--bogus";
        QTest::newRow("unknown short switch")
            << QStringList{"-x", "picture.bmp"} << 2 << "" << unknown + "-x";
        QTest::newRow("print without file") << QStringList{"/p"} << 2 << "" << unknown + "/p";
        QTest::newRow("print-to without printer")
            << QStringList{"/pt", "a.bmp"} << 2 << "" << unknown + "/pt";
        QTest::newRow("two files") << QStringList{"a.bmp", "b.bmp"} << 2 << ""
                                   << QString::fromUtf8("余分な引数です: b.bmp");
        QTest::newRow("toolkit option kept out")
            << QStringList{"-platform", "offscreen", "--version"} << 0 << "Zelvorandine 1.0.0.1"
            << "";
    }

    void answersWithoutDisplay() {
        QFETCH(QStringList, arguments);
        QFETCH(int, exitCode);
        QFETCH(QString, out);
        QFETCH(QString, err);

        const Result result = Run(arguments, NoDisplay());
        QCOMPARE(result.status, QProcess::NormalExit);
        QVERIFY2(result.exitCode == exitCode, qPrintable(result.err));
        if (out.isEmpty()) {
            QVERIFY2(result.out.isEmpty(), qPrintable(result.out));
        } else {
            QVERIFY2(result.out.startsWith(out), qPrintable(result.out));
        }
        if (err.isEmpty()) {
            QVERIFY2(result.err.isEmpty(), qPrintable(result.err));
        } else {
            QVERIFY2(result.err.startsWith(err), qPrintable(result.err));
            // The line names the argument and nothing else.
            QCOMPARE(result.err.section(QLatin1Char('\n'), 0, 0), err);
        }
    }

    void printToPdf_data() {
        QTest::addColumn<QString>("switchName");
        QTest::newRow("/pt") << "/pt";
        QTest::newRow("-pt") << "-pt";
    }

    void printToPdf() {
        QFETCH(QString, switchName);
        QTemporaryDir dir;
        QFile input(dir.filePath(QStringLiteral("picture.bmp")));
        QVERIFY(input.open(QIODevice::WriteOnly));
        input.close();

        QProcessEnvironment env = NoDisplay();
        env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
        // No printer is called this; a name ending in .pdf prints into that file.
        const Result result =
            Run({switchName, QStringLiteral("picture.bmp"), QStringLiteral("out.pdf")}, env, dir.path());
        QCOMPARE(result.status, QProcess::NormalExit);
        QVERIFY2(result.exitCode == 0, qPrintable(result.err));
        QFile pdf(dir.filePath(QStringLiteral("out.pdf")));
        QVERIFY(pdf.open(QIODevice::ReadOnly));
        QVERIFY(pdf.readAll().startsWith("%PDF-"));
    }
};

QTEST_GUILESS_MAIN(TestShellCommands)
#include "tst_shellcommands.moc"
