// SPDX-License-Identifier: MIT
#include "files/RegularFile.h"
#include "files/SystemError.h"
#include "output/PictureWriter.h"
#include "tests/app/SpecialFiles.h"
#include "tests/output/PictureTestSupport.h"

#include <QProcess>
#include <QRegularExpression>
#include <QScopeGuard>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>

#include <climits>
#include <csignal>
#include <sys/syscall.h>

using namespace picturetest;

// Reading a file or writing one in its place, by every writer: special files are never read nor replaced,
// and every way a write can fail keeps the earlier file and leaves nothing else behind.
namespace {

// The writer was killed and gave no reason.
constexpr int kKilled = INT_MIN;
constexpr uid_t kNobody = 65534;

// Reads path, saves the picture there, or writes into it from a child process: the real program prints
// into it (/pt), or this test saves the picture there. The child runs under fault, a command split at "|",
// and as nobody for a user.
bool Use(const QString& operation, const QString& path, const QString& fault, const QString& user,
         QString* pReason) {
    if (int nError = 0, nHandle = 0; operation == "read") {
        nHandle = CRegularFile::OpenForReading(path, &nError);
        *pReason = nHandle >= 0 ? QString() : CSystemError::Text(nError);
        return nHandle >= 0 && ::close(nHandle) == 0;
    }
    if (operation != "print into" && fault.isEmpty() && user.isEmpty())
        return CPictureWriter().WritePicture(Picture(640, 480), path, pReason);
    QStringList command = fault.isEmpty() ? QStringList() : fault.split(u'|');
    if (!user.isEmpty())
        command = QStringList{"setpriv", "--reuid=nobody", "--regid=nogroup", "--clear-groups"} + command;
    const bool bPrint = operation == "print into";
    command << (bPrint ? QStringList{ZELVORANDINE_BINARY, "/pt", "expected.bmp"}
                       : QStringList{QCoreApplication::applicationFilePath(), "--write"})
            << path;
    QProcess writer;
    writer.start(command.takeFirst(), command);
    const bool bDone = writer.waitForFinished(60000) && writer.exitStatus() == QProcess::NormalExit &&
                       writer.exitCode() == 0;
    *pReason = bPrint
                   ? QString::fromUtf8(writer.readAllStandardError()).section("に印刷できませんでした。\n", 1)
                   : QString::fromUtf8(writer.readAllStandardOutput());
    if (pReason->endsWith('\n'))
        pReason->chop(1);
    return bDone;
}

} // namespace

class TestSafeFile : public QObject {
    Q_OBJECT
    std::unique_ptr<QTemporaryDir> m_pDir;

private Q_SLOTS:
    // Past the file-size limit a write fails instead of ending the program.
    void initTestCase() { QVERIFY(signal(SIGXFSZ, SIG_IGN) != SIG_ERR); }
    void init() {
        ::umask(022); // a new file gets 0644
        m_pDir = std::make_unique<QTemporaryDir>();
        QVERIFY(QDir::setCurrent(m_pDir->path()) && QDir().mkdir("t"));
        QVERIFY(::chmod(".", 0755) == 0 && ::mkdir("cache", 0700) == 0 && ::mkdir("run", 0700) == 0);
        // For the writers started: no settings file can be written (the program says so first), so what the
        // print syncs is the first sync.
        qputenv("XDG_CONFIG_HOME", "/proc/sys");
        qputenv("XDG_CACHE_HOME", QFile::encodeName(m_pDir->filePath("cache")));
        qputenv("XDG_RUNTIME_DIR", QFile::encodeName(m_pDir->filePath("run")));
    }

    void use_data() {
        QTest::addColumn<QString>("operation");
        QTest::addColumn<QString>("kind"); // what stands at f.ext in the folder t
        QTest::addColumn<QString>("name"); // what is used; ext stands for the extension
        QTest::addColumn<int>("mode");     // of a regular file there
        // The writer: "" this test (root in CI); "nobody" in a folder open to all, f.ext being another
        // user's; "owner": nobody, owning f.ext, in a folder closed to nobody.
        QTest::addColumn<QString>("user");
        QTest::addColumn<QString>("fault");     // a command, split at "|", that runs the write
        QTest::addColumn<QList<int>>("errors"); // the sentences of the reason; none when done
        // The folder after the write (f the name, <new> the bytes); {}: unchanged.
        QTest::addColumn<QStringList>("written");
        const auto add = [](const QString& operation, const QString& name, const QString& kind,
                            const QString& path, int mode, const QString& user, const QString& fault,
                            const QList<int>& errors, const QStringList& written) {
            QTest::addRow("%s: %s", qPrintable(operation), qPrintable(name))
                << operation << kind << path << mode << user << fault << errors << written;
        };
        const auto errors = [](int nError) { return nError == 0 ? QList<int>() : QList<int>{nError}; };
        const QStringList replaced{"f file <new>"};
        const auto kinds = [&](const char* pKind, int nReadError, int nWriteError, const QStringList& written,
                               const QString& name = "f.ext", const QString& kind = {}) {
            for (const QString operation : {"read", "print into", "bmp", "png"}) {
                const bool bRead = operation == "read";
                add(operation, pKind, kind.isEmpty() ? pKind : kind, name, 0640, {}, {},
                    errors(bRead ? nReadError : nWriteError), bRead ? QStringList() : written);
            }
        };
        const int nSpecial = CSystemError::kNotRegularFile;
        kinds("regular", 0, 0, replaced);
        kinds("nothing", ENOENT, 0, replaced);
        kinds("link to regular", 0, 0, {"f link file <new>", "f.target file <new>"});
        kinds("link to link to regular", 0, 0,
              {"f link file <new>", "f.target link file <new>", "f.target.target file <new>"});
        kinds("link to nothing", ENOENT, 0, {"f link file <new>", "f.target file <new>"});
        kinds("folder", nSpecial, EISDIR, {});
        for (const char* pKind : {"fifo", "socket", "device", "link to fifo", "link to device"})
            kinds(pKind, nSpecial, nSpecial, {});
        kinds("in a missing folder", ENOENT, ENOENT, {}, "no/f.ext", "nothing");
        kinds("below a file", ENOTDIR, ENOTDIR, {}, "f.ext/f.ext", "regular");
        const auto names = [&](const char* pName, const QString& name, int error) {
            for (const QString format : {"bmp", "png"})
                add(format, pName, "regular", name, 0640, {}, {}, {error}, {});
        };
        names("empty name", "", ENOENT);
        names("unrepresentable name", QString(QChar(0xD800)) + ".ext", EILSEQ);
        names("name read without its encoding", QString(QChar::ReplacementCharacter) + ".ext", EILSEQ);
        names("NUL in the name", QString("a") + QChar(u'\0') + "b.ext", EINVAL);
        names("trailing slash", "f.ext/", EISDIR);
        // Printing learns of a failed write only by reading the file back.
        const auto rows = [&](const QString& name, const QStringList& operations, int mode,
                              const QString& user, const QString& fault, const QList<int>& errors,
                              const QList<int>& printErrors, const QStringList& written) {
            for (const QString& operation : operations)
                add(operation, name, "regular", "f.ext", mode, user, fault,
                    operation == "print into" ? printErrors : errors, written);
        };
        const QStringList writers{"print into", "bmp", "png"};
        const QList<int> incomplete{CSystemError::kIncompleteWrite};
        const QString fiu = "fiu-run|-x|-f||-c|enable name=posix/io/";
        rows("write fails", writers, 0640, {}, fiu + "rw/write,failinfo=5", {EIO}, incomplete, {});
        rows("no space", writers, 0640, {}, fiu + "rw/write,failinfo=28", {ENOSPC}, incomplete, {});
        rows("size limit", writers, 0640, {}, "prlimit|--fsize=600", {EFBIG}, incomplete, {});
        rows("sync fails", writers, 0640, {}, fiu + "sync/fdatasync,failinfo=5", {EIO}, {EIO}, {});
        rows("rename fails", writers, 0640, {}, fiu + "dir/rename,failinfo=28", {ENOSPC}, {ENOSPC}, {});
        const QString killAtSync =
            "strace|-f|-qq|-o|/dev/null|-e|trace=fdatasync|-e|inject=fdatasync:signal=KILL";
        rows("killed at the sync", writers, 0640, {}, killAtSync, {kKilled}, {kKilled}, {});
        // Root replaces any file and keeps its nine permission bits, not set-user-id or set-group-id.
        for (const int mode : {0444, 0400, 00, 064, 04755, 02755})
            rows(QString("mode %1").arg(mode, 4, 8, QChar(u'0')), writers, mode, {}, {}, {}, {}, replaced);
        rows("another user's read-only file", writers, 0444, "nobody", {}, {EACCES}, {EACCES}, {});
        // In a folder closed to its writer, the file is written over in place, the old bytes written back
        // when that fails, or kept in the cache when even that fails.
        const QStringList inPlace{"print into", "bmp"};
        const QList<int> restored{EIO, CSystemError::kOldBytesRestored};
        const QString once = ",failinfo=5,onetime";
        rows("in place", inPlace, 0640, "owner", {}, {}, {}, replaced);
        rows("in place, write fails", inPlace, 0640, "owner", fiu + "rw/pwrite" + once, restored, restored,
             {});
        rows("in place, sync fails", inPlace, 0640, "owner", fiu + "sync/fdatasync" + once, restored,
             restored, {});
        const QList<int> kept{EIO, CSystemError::kOldBytesKept};
        rows("in place, nothing written back", inPlace, 0640, "owner", fiu + "rw/pwrite,failinfo=5", kept,
             kept, {});
        add("bmp", "new file in a closed folder", "nothing", "f.ext", 0640, "owner", {}, {EACCES}, {});
    }

    // A write replaces only a regular file and keeps the links to it, its permission bits and its owner; the
    // reason is the failed call's. A killed writer leaves the earlier file too.
    void use() {
        QFETCH(QString, operation);
        QFETCH(QString, kind);
        QFETCH(QString, name);
        QFETCH(int, mode);
        QFETCH(QString, user);
        QFETCH(QString, fault);
        QFETCH(QList<int>, errors);
        QFETCH(QStringList, written);
        if ((kind == "device" || !user.isEmpty() || (mode & 0200) == 0) && ::geteuid() != 0)
            QSKIP("needs root: making a device node, writing a read-only file or acting as another user");
        const QString tool = fault.section(u'|', 0, 0);
        if (!tool.isEmpty() && QStandardPaths::findExecutable(tool).isEmpty())
            QSKIP(qPrintable(tool + " is not installed"));
#if defined(__SANITIZE_ADDRESS__)
        if (tool == "fiu-run")
            QSKIP("libfiu's preload library crashes a program built with AddressSanitizer");
#endif
        const QString ext = operation == "png"   ? "png"
                            : operation == "bmp" ? "bmp"
                                                 : "pdf",
                      path = name.isEmpty() ? name : "t/" + name.replace("ext", ext),
                      expected = operation == "png" ? "expected.png" : "expected.bmp";
        QVERIFY(MakeFile(kind, "t/f." + ext) && CPictureWriter().WritePicture(Picture(640, 480), expected));
        const QByteArray target = QFile::encodeName("t/f." + ext);
        QVERIFY(kind != "regular" || ::chmod(target.constData(), mode_t(mode)) == 0);
        QVERIFY(user != "nobody" || ::chmod("t", 0777) == 0);
        QVERIFY(user != "owner" || kind != "regular" || ::chown(target.constData(), kNobody, kNobody) == 0);
        for (const char* pFolder : {"cache", "run"})
            QVERIFY(user.isEmpty() || ::chown(pFolder, kNobody, kNobody) == 0);
        const QStringList before = Listing("t");
        QString reason;
        const bool bDone = Use(operation, path, fault, user, &reason);
        QCOMPARE(bDone, errors.isEmpty());
        // The old bytes wait in the cache only where the reason says so.
        const QStringList copies = Listing("cache").filter(" file ");
        QCOMPARE(copies.size(), int(errors.contains(CSystemError::kOldBytesKept)));
        QStringList lines;
        for (const int nError : errors)
            lines << (nError == kKilled ? QString() : CSystemError::Text(nError));
        QCOMPARE(reason,
                 lines.join(QString()).replace(
                     "%1", copies.isEmpty() ? "" : m_pDir->filePath(copies[0].section(" file ", 0, 0))));
        QVERIFY(copies.isEmpty() || copies[0].endsWith(" file old bytes"));
        QStringList after = Listing("t");
        if (errors.contains(kKilled)) // what it was writing stays behind
            after.removeIf([](const QString& entry) { return entry.startsWith("t/."); });
        const QString bytes = QString::fromLatin1(Read(expected));
        QCOMPARE(after
                     .replaceInStrings(
                         QRegularExpression("%PDF-.*%%EOF\n", QRegularExpression::DotMatchesEverythingOption),
                         "<new>")
                     .replaceInStrings(bytes, "<new>"),
                 written.isEmpty() ? before
                                   : written.replaceInStrings(QRegularExpression("^f"), "t/f." + ext));
        if (written.isEmpty())
            return;
        // The old file's bits and owner, or those the user's mask gives a new file.
        struct stat info {};
        QVERIFY(::stat(QFile::encodeName(path).constData(), &info) == 0);
        QCOMPARE(info.st_mode & 07777, kind.endsWith("regular") ? uint(mode) & 0777 : 0644u);
        if (kind.endsWith("regular") && ::geteuid() == 0)
            QCOMPARE(QString("%1:%2").arg(info.st_uid).arg(info.st_gid),
                     user == "owner" ? QString("65534:65534") : QString("4321:4322"));
    }

    // The target is looked at again before it is replaced: a pipe that took its place meanwhile stays.
    void targetChangedMeanwhile() {
        QVERIFY(MakeFile("regular", "t/f.bmp"));
        const auto toFifo = [](int, unsigned char*) {
            QFile::remove("t/f.bmp") && MakeFile("fifo", "t/f.bmp");
        };
        QString reason;
        QVERIFY(!CPictureWriter().WritePicture(7, 5, toFifo, "t/f.bmp", &reason));
        QCOMPARE(reason, CSystemError::Text(CSystemError::kNotRegularFile));
        QCOMPARE(Listing("t"), QStringList("t/f.bmp special "));
    }

    // A bare name saved from inside a folder whose name the encoding cannot read lands there, not in the
    // sibling that the decoded name (with U+FFFD) spells.
    void unreadableCurrentFolder() {
        QVERIFY(::mkdir("絵\xff", 0777) == 0 && ::mkdir("絵\xef\xbf\xbd", 0777) == 0 &&
                ::chdir("絵\xff") == 0);
        const auto back = qScopeGuard([] { // the temporary folder cannot remove what it cannot name
            return ::chdir("..") + ::unlink("絵\xff/f.bmp") + ::rmdir("絵\xff") == 0;
        });
        QVERIFY(CPictureWriter().WritePicture(Picture(7, 5), "f.bmp") && ::access("f.bmp", F_OK) == 0);
        QVERIFY(::access("../絵\xef\xbf\xbd/f.bmp", F_OK) != 0);
    }
};

int main(int argc, char** argv) {
    // Under a fault, the picture; the reason goes around the write() that the fault may hit.
    if (QString why; argc == 3 && qstrcmp(argv[1], "--write") == 0)
        return CPictureWriter().WritePicture(Picture(640, 480), QFile::decodeName(argv[2]), &why)
                   ? 0
                   : int(syscall(SYS_write, 1, why.toUtf8().constData(), size_t(why.toUtf8().size())) > 0);
    QCoreApplication app(argc, argv);
    TestSafeFile test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_safefile.moc"
