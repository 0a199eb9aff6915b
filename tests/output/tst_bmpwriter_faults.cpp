#include "output/BmpWriter.h"
#include "tests/output/BmpTestSupport.h"

#include <QDir>
#include <QDirIterator>
#include <QFileInfo>
#include <QMap>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>

#include <cerrno>
#include <csignal>
#include <memory>

#include <sys/resource.h>
#include <unistd.h>
#ifdef Q_OS_LINUX
#include <sys/mount.h>
#include <sys/statvfs.h>
#endif

// Every fault here is real: CI runs as root, so permission bits would not stop a write.

namespace {

// Relative path -> contents, folders included: a leftover temporary file or a touched old file shows.
using Snapshot = QMap<QString, QByteArray>;

Snapshot TakeSnapshot(const QString& root) {
    Snapshot snapshot;
    QDirIterator it(root, QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot,
                    QDirIterator::Subdirectories);
    while (it.hasNext()) {
        const QString path = it.next();
        snapshot.insert(QDir(root).relativeFilePath(path),
                        it.fileInfo().isDir() ? QByteArray("<folder>") : ReadWholeFile(path));
    }
    return snapshot;
}

#define COMPARE_SNAPSHOTS(actual, expected)                                                                  \
    do {                                                                                                     \
        const Snapshot a_ = (actual);                                                                        \
        const Snapshot e_ = (expected);                                                                      \
        QCOMPARE(a_.keys(), e_.keys());                                                                      \
        for (auto it_ = e_.cbegin(); it_ != e_.cend(); ++it_)                                                \
            QVERIFY2(a_.value(it_.key()) == it_.value(),                                                     \
                     qPrintable(it_.key() + QStringLiteral(" changed")));                                    \
    } while (false)

QByteArray ExpectedFile(int nWidth, int nHeight) {
    CBmpWriter::SFileImage image;
    if (!CBmpWriter::BuildFileImage(MakeTestPicture(nWidth, nHeight), &image))
        return {};
    return QByteArray(reinterpret_cast<const char*>(image.pBytes.get()), image.nSize);
}

// Lowers a soft resource limit for its lifetime.
class CResourceLimit {
public:
    CResourceLimit(int nResource, rlim_t nSoft) : m_nResource(nResource) {
        m_bSet = getrlimit(m_nResource, &m_old) == 0;
        if (m_bSet) {
            rlimit lowered = m_old;
            lowered.rlim_cur = nSoft;
            m_bSet = setrlimit(m_nResource, &lowered) == 0;
        }
    }
    ~CResourceLimit() {
        if (m_bSet)
            setrlimit(m_nResource, &m_old);
    }
    bool IsSet() const { return m_bSet; }

private:
    int m_nResource;
    rlimit m_old{};
    bool m_bSet = false;
};

// Ignores a signal for its lifetime, so that a write past the file-size limit fails instead of killing us.
class CIgnoredSignal {
public:
    explicit CIgnoredSignal(int nSignal) : m_nSignal(nSignal) {
        struct sigaction ignore {};
        ignore.sa_handler = SIG_IGN;
        sigemptyset(&ignore.sa_mask);
        sigaction(m_nSignal, &ignore, &m_old);
    }
    ~CIgnoredSignal() { sigaction(m_nSignal, &m_old, nullptr); }

private:
    int m_nSignal;
    struct sigaction m_old {};
};

#ifdef Q_OS_LINUX
class CMount {
public:
    explicit CMount(const QString& path) : m_path(QFile::encodeName(path)) {
        m_bMounted =
            ::mount("tmpfs", m_path.constData(), "tmpfs", MS_NOSUID | MS_NODEV, "size=64k,mode=0700") == 0;
        m_nError = errno;
    }
    ~CMount() {
        if (m_bMounted)
            ::umount2(m_path.constData(), MNT_DETACH);
    }
    bool IsMounted() const { return m_bMounted; }
    int Error() const { return m_nError; }

private:
    QByteArray m_path;
    bool m_bMounted = false;
    int m_nError = 0;
};
#endif

} // namespace

class TestBmpWriterFaults : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void init();
    void refused_data();
    void refused();
    void fileSizeLimit();
    void allocationFailure();
    void fullDisk();
    void injected_data();
    void injected();

private:
    QString Path(const QString& relative) const { return m_pDir->filePath(relative); }

    // A folder holding an earlier picture, a text file and an empty subfolder.
    std::unique_ptr<QTemporaryDir> m_pDir;
};

void TestBmpWriterFaults::init() {
    m_pDir = std::make_unique<QTemporaryDir>();
    QVERIFY(m_pDir->isValid());
    QString reason;
    QVERIFY2(CBmpWriter().WritePicture(MakeTestPicture(7, 5), Path(QStringLiteral("picture.bmp")), &reason),
             qPrintable(reason));
    QFile notes(Path(QStringLiteral("notes.txt")));
    QVERIFY(notes.open(QIODevice::WriteOnly));
    QVERIFY(notes.write("not a folder") > 0);
    notes.close();
    QVERIFY(QDir(m_pDir->path()).mkdir(QStringLiteral("sub")));
}

void TestBmpWriterFaults::refused_data() {
    // A name relative to the test folder, or empty; the system's error number behind the reason, 0 when the
    // wording is Qt's own.
    QTest::addColumn<QString>("name");
    QTest::addColumn<int>("error");
    QTest::newRow("empty name") << QString() << ENOENT;
    QTest::newRow("ends in a slash") << QStringLiteral("picture.bmp/") << EISDIR;
    QTest::newRow("unpaired surrogate")
        << QStringLiteral("picture") + QChar(0xD800) + QStringLiteral(".bmp") << EILSEQ;
    QTest::newRow("NUL inside") << QStringLiteral("picture.bmp") + QChar(u'\0') + QStringLiteral(".new")
                                << EINVAL;
    QTest::newRow("missing folder") << QStringLiteral("missing/picture.bmp") << ENOENT;
    QTest::newRow("below a regular file") << QStringLiteral("notes.txt/picture.bmp") << ENOTDIR;
    QTest::newRow("existing folder") << QStringLiteral("sub") << 0;
}

void TestBmpWriterFaults::refused() {
    QFETCH(QString, name);
    QFETCH(int, error);
    const QString fileName = name.isEmpty() ? name : Path(name);
    const Snapshot before = TakeSnapshot(m_pDir->path());
    const QStringList here =
        QDir::current().entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot);

    QString reason;
    QVERIFY(!CBmpWriter().WritePicture(MakeTestPicture(5, 4), fileName, &reason));
    QVERIFY(!reason.isEmpty());
    if (error != 0)
        QCOMPARE(reason, qt_error_string(error));
    COMPARE_SNAPSHOTS(TakeSnapshot(m_pDir->path()), before);
    QCOMPARE(QDir::current().entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot), here);
}

void TestBmpWriterFaults::fileSizeLimit() {
    const QString path = Path(QStringLiteral("picture.bmp"));
    const Snapshot before = TakeSnapshot(m_pDir->path());
    QString reason;
    bool bSaved = true;
    {
        const CIgnoredSignal ignored(SIGXFSZ);
        const CResourceLimit limit(RLIMIT_FSIZE, 64 * 1024);
        QVERIFY(limit.IsSet());
        bSaved = CBmpWriter().WritePicture(MakeTestPicture(640, 480), path, &reason);
    }
    QVERIFY(!bSaved);
    QCOMPARE(reason, qt_error_string(EFBIG));
    COMPARE_SNAPSHOTS(TakeSnapshot(m_pDir->path()), before);

    // The limit alone made it fail: without it the same picture goes through.
    QVERIFY2(CBmpWriter().WritePicture(MakeTestPicture(640, 480), path, &reason), qPrintable(reason));
    QVERIFY(ReadWholeFile(path) == ExpectedFile(640, 480));
}

void TestBmpWriterFaults::allocationFailure() {
#if defined(__SANITIZE_ADDRESS__)
    QSKIP("AddressSanitizer reserves its shadow memory beyond any address-space limit");
#elif !defined(Q_OS_LINUX)
    QSKIP("needs /proc/self/statm");
#else
    QImage picture(4000, 3000, QImage::Format_RGB32); // a 36 MB file
    picture.fill(Qt::white);
    QFile statm(QStringLiteral("/proc/self/statm"));
    QVERIFY(statm.open(QIODevice::ReadOnly));
    const qint64 nMapped = statm.readAll().split(' ').value(0).toLongLong() * sysconf(_SC_PAGESIZE);
    QVERIFY(nMapped > 0);

    const QString path = Path(QStringLiteral("picture.bmp"));
    const Snapshot before = TakeSnapshot(m_pDir->path());
    QString reason;
    bool bSaved = true;
    {
        const CResourceLimit limit(RLIMIT_AS, rlim_t(nMapped + 16 * 1024 * 1024));
        QVERIFY(limit.IsSet());
        bSaved = CBmpWriter().WritePicture(picture, path, &reason);
    }
    QVERIFY(!bSaved);
    QCOMPARE(reason, qt_error_string(ENOMEM));
    COMPARE_SNAPSHOTS(TakeSnapshot(m_pDir->path()), before);
#endif
}

void TestBmpWriterFaults::fullDisk() {
#ifndef Q_OS_LINUX
    QSKIP("mounts a tmpfs");
#else
    const QString folder = Path(QStringLiteral("small"));
    QVERIFY(QDir().mkdir(folder));
    const CMount mount(folder);
    if (!mount.IsMounted())
        QSKIP(qPrintable(QStringLiteral("cannot mount a tmpfs here: ") + qt_error_string(mount.Error())));

    const QString path = folder + QStringLiteral("/picture.bmp");
    QString reason;
    QVERIFY2(CBmpWriter().WritePicture(MakeTestPicture(7, 5), path, &reason), qPrintable(reason));
    const Snapshot before = TakeSnapshot(folder);
    struct statvfs spaceBefore {};
    QCOMPARE(statvfs(QFile::encodeName(folder).constData(), &spaceBefore), 0);

    QVERIFY(!CBmpWriter().WritePicture(MakeTestPicture(640, 480), path, &reason));
    QCOMPARE(reason, qt_error_string(ENOSPC));
    COMPARE_SNAPSHOTS(TakeSnapshot(folder), before);
    // No hidden temporary file keeps holding the space.
    struct statvfs spaceAfter {};
    QCOMPARE(statvfs(QFile::encodeName(folder).constData(), &spaceAfter), 0);
    QCOMPARE(spaceAfter.f_bfree, spaceBefore.f_bfree);
#endif
}

void TestBmpWriterFaults::injected_data() {
    // A libfiu command (none for the control run), whether the picture must come out saved, and the error
    // number the reason must name (0: any).
    QTest::addColumn<QString>("command");
    QTest::addColumn<bool>("saved");
    QTest::addColumn<int>("error");
    QTest::newRow("no fault") << QString() << true << 0;
    QTest::newRow("short writes") << QStringLiteral("enable name=posix/io/rw/write/reduce") << true << 0;
    QTest::newRow("write fails") << QStringLiteral("enable name=posix/io/rw/write,failinfo=28") << false
                                 << ENOSPC;
    QTest::newRow("every read and write fails")
        << QStringLiteral("enable_random name=posix/io/rw/*,probability=1") << false << 0;
    QTest::newRow("sync fails") << QStringLiteral("enable name=posix/io/sync/fdatasync,failinfo=5") << false
                                << EIO;
    QTest::newRow("rename fails") << QStringLiteral("enable name=posix/io/dir/rename,failinfo=28") << false
                                  << ENOSPC;
    QTest::newRow("open fails") << QStringLiteral("enable name=posix/io/oc/open,failinfo=24") << false
                                << EMFILE;
}

void TestBmpWriterFaults::injected() {
    QFETCH(QString, command);
    QFETCH(bool, saved);
    QFETCH(int, error);
#if defined(__SANITIZE_ADDRESS__)
    QSKIP("libfiu's preload library crashes a program built with AddressSanitizer");
#endif
    const QString fiuRun = QStandardPaths::findExecutable(QStringLiteral("fiu-run"));
    if (fiuRun.isEmpty())
        QSKIP("fiu-run (fiu-utils) is not installed");

    const QString path = Path(QStringLiteral("picture.bmp"));
    const Snapshot before = TakeSnapshot(m_pDir->path());
    // No control pipes: they would be left in the shared temporary folder.
    QStringList arguments{QStringLiteral("-x"), QStringLiteral("-f"), QString()};
    if (!command.isEmpty())
        arguments << QStringLiteral("-c") << command;
    arguments << QStringLiteral(BMPWRITER_FAULT_HELPER) << path << QStringLiteral("64")
              << QStringLiteral("48");

    QProcess helper;
    helper.start(fiuRun, arguments);
    QVERIFY(helper.waitForFinished(60000));
    QCOMPARE(helper.exitStatus(), QProcess::NormalExit);
    const QString reason = QString::fromUtf8(helper.readAllStandardOutput());

    if (saved) {
        QVERIFY2(helper.exitCode() == 0,
                 qPrintable(reason + QString::fromLocal8Bit(helper.readAllStandardError())));
        Snapshot expected = before;
        expected.insert(QStringLiteral("picture.bmp"), ExpectedFile(64, 48));
        COMPARE_SNAPSHOTS(TakeSnapshot(m_pDir->path()), expected);
    } else {
        QCOMPARE(helper.exitCode(), 1);
        QVERIFY(!reason.isEmpty());
        if (error != 0)
            QCOMPARE(reason, qt_error_string(error));
        COMPARE_SNAPSHOTS(TakeSnapshot(m_pDir->path()), before);
    }
}

QTEST_GUILESS_MAIN(TestBmpWriterFaults)
#include "tst_bmpwriter_faults.moc"
