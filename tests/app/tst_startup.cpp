#include "app/framework/Document.h"
#include "tests/app/AppTestSupport.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

using namespace apptest;

// Start-up through the one application object, as the program's entry runs it.
class TestStartup : public QObject {
    Q_OBJECT

    std::unique_ptr<QTemporaryDir> m_settingsHome;
    QTemporaryDir m_files;

    // A pipe with bytes waiting in it: opening it does not block (we hold the writing end), and the bytes
    // are still there afterwards only if nobody read from it.
    struct Fifo {
        int fd = -1;
        ~Fifo() {
            if (fd >= 0) {
                ::close(fd);
            }
        }
    };

    static bool MakeFifo(const QString& path, Fifo& fifo, const QByteArray& content) {
        const QByteArray native = QFile::encodeName(path);
        if (::mkfifo(native.constData(), 0600) != 0) {
            return false;
        }
        fifo.fd = ::open(native.constData(), O_RDWR | O_NONBLOCK);
        return fifo.fd >= 0 &&
               ::write(fifo.fd, content.constData(), size_t(content.size())) == content.size();
    }

    static QByteArray Drain(const Fifo& fifo) {
        char buffer[256];
        const ssize_t n = ::read(fifo.fd, buffer, sizeof buffer);
        return n > 0 ? QByteArray(buffer, int(n)) : QByteArray();
    }

    static QStringList StoredRecentFiles() {
        CRecentFileList list(4, QStringLiteral("Recent File List"), QStringLiteral("File%1"));
        QSettings settings(QSettings::NativeFormat, QSettings::UserScope,
                           QStringLiteral("Local AppWizard-Generated Applications"),
                           QStringLiteral("Zelvorandine"));
        list.ReadList(settings);
        QStringList files;
        for (int i = 0; i < list.GetSize(); ++i) {
            files << list[i];
        }
        return files;
    }

private Q_SLOTS:
    void initTestCase() {
        m_settingsHome = IsolateSettings();
        QVERIFY(m_files.isValid());
    }

    void init() {
        theApp.m_nExitCode = 0;
        QVERIFY(VisibleTopLevels().isEmpty());
    }

    void cleanup() {
        StopApp();
        QCOMPARE(AfxGetMainWnd(), nullptr);
        QVERIFY(VisibleTopLevels().isEmpty());
    }

    void emptyCommandLine() {
        QVERIFY(StartApp({}));
        CFrameWnd* frame = Frame();
        QVERIFY(frame != nullptr);
        QCOMPARE(VisibleTopLevels(), QList<QWidget*>{frame});
        QCOMPARE(Caption(), QString::fromUtf8("無題 - Zelvorandine"));
        QVERIFY(frame->GetActiveDocument() != nullptr);
        QVERIFY(View() != nullptr);
        QCOMPARE(frame->centralWidget(), static_cast<QWidget*>(View()));
        QCOMPARE(theApp.m_nExitCode, 0);
        QVERIFY(RecentFiles().isEmpty());
    }

    void existingFile_data() {
        QTest::addColumn<QString>("name");
        QTest::newRow("plain") << "picture.bmp";
        QTest::newRow("Japanese") << QString::fromUtf8("絵 その1.bmp");
        // The toolkit's modified-mark placeholder must appear as typed.
        QTest::newRow("placeholder") << "draft[*].bmp";
        QTest::newRow("no extension") << "picture";
    }

    void existingFile() {
        QFETCH(QString, name);
        QTemporaryDir dir;
        const QString path = dir.filePath(name);
        Fifo fifo;
        QVERIFY2(MakeFifo(path, fifo, "still here"), qPrintable(path));

        QVERIFY(StartApp({path}));
        CFrameWnd* frame = Frame();
        QVERIFY(frame != nullptr);
        QCOMPARE(VisibleTopLevels(), QList<QWidget*>{frame});
        QCOMPARE(Caption(), name + QStringLiteral(" - Zelvorandine"));
        QCOMPARE(frame->GetActiveDocument()->GetPathName(), path);
        QCOMPARE(RecentFiles().value(0), path);
        // Opened and closed, nothing read.
        QCOMPARE(Drain(fifo), QByteArray("still here"));

        // The list outlives the program.
        StopApp();
        QCOMPARE(StoredRecentFiles().value(0), path);
    }

    void recentFilesSurviveARestart() {
        const QString first = m_files.filePath(QStringLiteral("first.bmp"));
        const QString second = m_files.filePath(QStringLiteral("second.bmp"));
        for (const QString& path : {first, second}) {
            QFile file(path);
            QVERIFY(file.open(QIODevice::WriteOnly));
        }
        QVERIFY(StartApp({first}));
        StopApp();
        QVERIFY(StartApp({second}));
        StopApp();
        QVERIFY(StartApp({}));
        QCOMPARE(RecentFiles().mid(0, 2), (QStringList{second, first}));
        // An empty start changes neither the caption's file nor the list.
        QCOMPARE(Caption(), QString::fromUtf8("無題 - Zelvorandine"));
        StopApp();
        QCOMPARE(StoredRecentFiles().mid(0, 2), (QStringList{second, first}));
    }

    void unopenable_data() {
        QTest::addColumn<QString>("path");
        QTest::newRow("missing") << m_files.filePath(QStringLiteral("missing.bmp"));
        QTest::newRow("missing folder") << m_files.filePath(QStringLiteral("no/such/folder/p.bmp"));
        QTest::newRow("folder") << m_files.path();
        // Permission bits do not stop root; a path below a regular file cannot be opened by anyone.
        QTest::newRow("below a regular file") << m_files.filePath(QStringLiteral("plain.txt/p.bmp"));
    }

    void unopenable() {
        QFETCH(QString, path);
        {
            QFile plain(m_files.filePath(QStringLiteral("plain.txt")));
            QVERIFY(plain.open(QIODevice::WriteOnly));
        }
        const QStringList before = StoredRecentFiles();
        auto seen = DriveNextModal(Dismiss);
        QVERIFY(!StartApp({path}));
        QVERIFY(seen->bSeen);
        QCOMPARE(seen->objectName, QStringLiteral("afxMessageBox"));
        QCOMPARE(seen->title, QStringLiteral("Zelvorandine"));
        QVERIFY2(seen->text.startsWith(QString::fromUtf8("ﾌｧｲﾙ ")), qPrintable(seen->text));
        QVERIFY2(seen->text.contains(path), qPrintable(seen->text));
        QVERIFY2(seen->text.contains(QString::fromUtf8("を開くことができません。")), qPrintable(seen->text));
        QVERIFY(theApp.m_nExitCode != 0);
        QCOMPARE(AfxGetMainWnd(), nullptr);
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        QVERIFY(VisibleTopLevels().isEmpty());
        QVERIFY(!RecentFiles().contains(path));
        StopApp();
        QCOMPARE(StoredRecentFiles(), before);
    }

    void printFormStaysHidden() {
        QTemporaryDir dir;
        const QString picture = dir.filePath(QStringLiteral("picture.bmp"));
        const QString pdf = dir.filePath(QStringLiteral("out.pdf"));
        {
            QFile file(picture);
            QVERIFY(file.open(QIODevice::WriteOnly));
        }
        // Every window that is shown, however briefly.
        struct ShowSpy : QObject {
            QStringList shown;
            bool eventFilter(QObject* o, QEvent* e) override {
                if (e->type() == QEvent::Show && o->isWidgetType() && static_cast<QWidget*>(o)->isWindow()) {
                    shown << QString::fromLatin1(o->metaObject()->className());
                }
                return false;
            }
        } spy;
        qApp->installEventFilter(&spy);
        auto seen = DriveNextModal(Dismiss, 200);
        const bool bStarted = StartApp({QStringLiteral("/pt"), picture, pdf});
        qApp->removeEventFilter(&spy);

        // Printed, then ended with success and without a window.
        QVERIFY(!bStarted);
        QCOMPARE(theApp.m_nExitCode, 0);
        QVERIFY(!seen->bSeen);
        QVERIFY2(spy.shown.isEmpty(), qPrintable(spy.shown.join(',')));
        QFile out(pdf);
        QVERIFY(out.open(QIODevice::ReadOnly));
        QVERIFY(out.readAll().startsWith("%PDF-"));
    }

    void badArgumentsEndQuietly_data() {
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<int>("exitCode");
        QTest::newRow("unknown switch") << QStringList{"--bogus"} << 2;
        QTest::newRow("print without file") << QStringList{"/p"} << 2;
        QTest::newRow("help") << QStringList{"--help"} << 0;
        QTest::newRow("version") << QStringList{"--version"} << 0;
    }

    void badArgumentsEndQuietly() {
        QFETCH(QStringList, arguments);
        QFETCH(int, exitCode);
        auto seen = DriveNextModal(Dismiss, 200);
        QVERIFY(!StartApp(arguments));
        QCOMPARE(theApp.m_nExitCode, exitCode);
        QCOMPARE(AfxGetMainWnd(), nullptr);
        QVERIFY(VisibleTopLevels().isEmpty());
        QTest::qWait(250);
        QVERIFY(!seen->bSeen);
    }
};

QTEST_MAIN(TestStartup)
#include "tst_startup.moc"
