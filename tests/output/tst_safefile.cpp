// SPDX-License-Identifier: MIT
#include "app/framework/RegularFile.h"
#include "app/framework/SystemError.h"
#include "output/PictureWriter.h"
#include "output/SafeFile.h"
#include "tests/output/PictureTestSupport.h"

#include <QProcess>
#include <QScopeGuard>
#include <QTemporaryDir>
#include <QTest>

#include <csignal>
#include <fcntl.h>
#include <sys/mount.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/syscall.h>
#include <sys/sysmacros.h>
#include <sys/un.h>
#include <unistd.h>

using namespace picturetest;

// Every way a save can fail keeps the earlier file, for both file types; special files are never replaced.
namespace {

// What a picture the test writes in a child process under a fault holds.
const QImage& ChildPicture() {
    static const QImage picture = Picture(640, 480);
    return picture;
}

mode_t ModeOf(const QString& path, bool bFollow = true) {
    struct stat st {};
    const QByteArray encoded = QFile::encodeName(path);
    return (bFollow ? ::stat(encoded, &st) : ::lstat(encoded, &st)) == 0 ? st.st_mode : 0;
}

void AddFormats(const char* pName, const std::function<void(QTestData&)>& row) {
    for (const char* pFormat : {"bmp", "png"})
        row(QTest::addRow("%s: %s", pFormat, pName) << QString::fromLatin1(pFormat));
}

} // namespace

class TestSafeFile : public QObject {
    Q_OBJECT
    std::unique_ptr<QTemporaryDir> m_pDir;
    QString m_root;

private Q_SLOTS:
    // Past the file-size limit a write fails instead of ending the program.
    void initTestCase() { QVERIFY(signal(SIGXFSZ, SIG_IGN) != SIG_ERR); }
    void init() {
        m_pDir = std::make_unique<QTemporaryDir>();
        m_root = m_pDir->path();
        QVERIFY(QDir::setCurrent(m_root));
    }

    void faults_data() {
        QTest::addColumn<QString>("format");
        QTest::addColumn<QString>("name"); // "ext" stands for the format's extension
        QTest::addColumn<int>("error");
        QTest::addColumn<QString>("wrapper"); // a command, split at "|", that runs this program under a fault
        QTest::newRow("bmp: empty name") << "bmp" << QString() << ENOENT << QString();
        const auto rows = [](const char* pName, const QString& name, int error, const QString& wrapper = {}) {
            AddFormats(pName, [&](QTestData& row) { row << name << error << wrapper; });
        };
        rows("unrepresentable name", QString(QChar(0xD800)) + ".ext", EILSEQ);
        rows("name read without its encoding", QString(QChar::ReplacementCharacter) + ".ext", EILSEQ);
        rows("NUL in the name", QString("a") + QChar(u'\0') + "b.ext", EINVAL);
        rows("trailing slash", "picture.ext/", EISDIR);
        rows("a folder of that name", "folder.ext", EISDIR);
        rows("missing folder", "missing/picture.ext", ENOENT);
        rows("below a regular file", "picture.ext/picture.ext", ENOTDIR);
        rows("full tmpfs", "small/picture.ext", ENOSPC);
        rows("file-size limit", "picture.ext", EFBIG, "prlimit|--fsize=4096");
        const QString fiu = "fiu-run|-x|-f||-c|enable name=posix/io/";
        rows("write fails", "picture.ext", EIO, fiu + "rw/write,failinfo=5");
        rows("sync fails", "picture.ext", EIO, fiu + "sync/fdatasync,failinfo=5");
        rows("rename fails", "picture.ext", ENOSPC, fiu + "dir/rename,failinfo=28");
    }

    // The old file stays as it was, no temporary file is left, and the reason is the failed call's.
    void faults() {
        QFETCH(QString, format);
        QFETCH(QString, name);
        QFETCH(int, error);
        QFETCH(QString, wrapper);
        name.replace("ext", format);
        QVERIFY(QDir().mkdir("small") && QDir().mkdir("folder." + format));
        const bool bTmpfs = name.startsWith("small/");
        const bool bMounted = bTmpfs && mount("tmpfs", "small", "tmpfs", 0, "size=64k") == 0;
        const auto unmount = qScopeGuard([&] { return bMounted && umount2("small", MNT_DETACH) == 0; });
        if (bTmpfs && !bMounted)
            QSKIP("cannot mount a tmpfs here");
        QVERIFY(CPictureWriter().WritePicture(Picture(7, 5), bTmpfs ? name : "picture." + format));
        const QStringList before = Snapshot();
        QString reason;
        if (!wrapper.isEmpty()) {
#if defined(__SANITIZE_ADDRESS__)
            if (wrapper.startsWith("fiu-run"))
                QSKIP("libfiu's preload library crashes a program built with AddressSanitizer");
#endif
            QStringList arguments = wrapper.split(u'|');
            const QString program = arguments.takeFirst();
            QProcess writer;
            writer.start(program, arguments << QCoreApplication::applicationFilePath() << "--write" << name);
            if (!writer.waitForStarted())
                QSKIP(qPrintable(program + " is not installed"));
            QVERIFY(writer.waitForFinished(60000) && writer.exitCode() == 1);
            reason = QString::fromUtf8(writer.readAllStandardOutput());
        } else {
            QVERIFY(!CPictureWriter().WritePicture(ChildPicture(), name, &reason));
        }
        QCOMPARE(reason, CSystemError::Text(error));
        QCOMPARE(Snapshot(), before);
    }

    void shortWritesComplete_data() {
        QTest::addColumn<QString>("format");
        AddFormats("short writes", [](QTestData&) {});
    }

    // The system may take a part of a write; the rest follows.
    void shortWritesComplete() {
#if defined(__SANITIZE_ADDRESS__)
        QSKIP("libfiu's preload library crashes a program built with AddressSanitizer");
#endif
        QFETCH(QString, format);
        const QString name = "picture." + format;
        QVERIFY(CPictureWriter().WritePicture(ChildPicture(), "expected." + format));
        QProcess writer;
        writer.start("fiu-run", {"-x", "-c", "enable_random name=posix/io/rw/write/reduce,probability=0.5",
                                 QCoreApplication::applicationFilePath(), "--write", name});
        if (!writer.waitForStarted())
            QSKIP("fiu-run is not installed");
        QVERIFY(writer.waitForFinished(60000));
        QCOMPARE(writer.exitCode(), 0);
        QCOMPARE(Read(name), Read("expected." + format));
    }

    void specialTargets_data() {
        QTest::addColumn<QString>("format");
        QTest::addColumn<QString>("kind");
        QTest::addColumn<bool>("bLink"); // saved through a symbolic link to it
        for (const char* pKind : {"pipe", "device", "socket", "folder"})
            for (const bool bLink : {false, true})
                AddFormats(qPrintable(QString(pKind) + (bLink ? " through a link" : "")),
                           [&](QTestData& row) { row << QString::fromLatin1(pKind) << bLink; });
    }

    // Refused and left as they are; a pipe has a reader, so that a writer opening it would not block.
    void specialTargets() {
        QFETCH(QString, format);
        QFETCH(QString, kind);
        QFETCH(bool, bLink);
        const QString name = "target." + format, node = m_root + '/' + (bLink ? "node" : name);
        const QByteArray path = QFile::encodeName(node);
        int fd = -1;
        const auto close = qScopeGuard([&] { return fd < 0 || ::close(fd) == 0; });
        if (kind == "pipe") {
            QVERIFY(::mkfifo(path, 0666) == 0);
            fd = ::open(path, O_RDONLY | O_NONBLOCK);
        } else if (kind == "device") {
            // Like /dev/null, but a node of our own: a faulty save would replace only this one.
            if (::mknod(path, S_IFCHR | 0666, makedev(1, 3)) != 0)
                QSKIP("creating a device node needs root");
        } else if (kind == "socket") {
            sockaddr_un address{};
            address.sun_family = AF_UNIX;
            qstrncpy(address.sun_path, path, sizeof address.sun_path);
            fd = ::socket(AF_UNIX, SOCK_STREAM, 0);
            QVERIFY(::bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0);
        } else {
            QVERIFY(QDir().mkdir(node));
        }
        QVERIFY(fd >= 0 || kind == "device" || kind == "folder");
        QVERIFY(!bLink || QFile::link(node, name));
        const mode_t mode = ModeOf(node, false);
        const QStringList before = Snapshot();
        QString reason;
        QVERIFY(!CPictureWriter().WritePicture(Picture(7, 5), name, &reason));
        QCOMPARE(reason, CSystemError::Text(kind == "folder" ? EISDIR : CSystemError::kNotRegularFile));
        QCOMPARE(Snapshot(), before);
        QCOMPARE(ModeOf(node, false), mode);
        char byte;
        if (kind == "pipe")
            QCOMPARE(::read(fd, &byte, 1), ssize_t(0)); // nothing was written into it, and no writer holds it
    }

    void throughLinks_data() {
        QTest::addColumn<QString>("format");
        QTest::addColumn<QStringList>("links"); // each a link to the next; the last is the file
        QTest::addColumn<int>("mode");
        const auto rows = [](const char* pName, const QStringList& links, int mode) {
            AddFormats(pName, [&](QTestData& row) { row << links << mode; });
        };
        rows("no link, 0600", {"real.ext"}, 0600);
        rows("no link, 0755", {"real.ext"}, 0755);
        rows("link in the same folder", {"link.ext", "real.ext"}, 0640);
        rows("relative link into another folder", {"sub/link.ext", "../other/real.ext"}, 0604);
        rows("chain of links", {"link.ext", "link2.ext", "real.ext"}, 0600);
    }

    // The links stay links, the file at their end gets the new picture and keeps its permission bits and
    // owner.
    void throughLinks() {
        QFETCH(QString, format);
        QFETCH(QStringList, links);
        QFETCH(int, mode);
        links.replaceInStrings("ext", format);
        QVERIFY(QDir().mkdir("sub") && QDir().mkdir("other"));
        const QString file = QDir::cleanPath(QFileInfo(links.first()).path() + '/' + links.last());
        QVERIFY(CPictureWriter().WritePicture(Picture(7, 5), file));
        QVERIFY(::chmod(QFile::encodeName(file), mode_t(mode)) == 0);
        // Only root can give the file to someone else; it must stay theirs.
        const bool bRoot = ::geteuid() == 0;
        QVERIFY(!bRoot || ::chown(QFile::encodeName(file), 4321, 4322) == 0);
        for (int i = 0; i + 1 < links.size(); ++i)
            QVERIFY(::symlink(QFile::encodeName(links[i + 1]), QFile::encodeName(links[i])) == 0);
        QVERIFY(CPictureWriter().WritePicture(Picture(9, 4), "expected." + format));
        QStringList before = Snapshot().filter(" -> ");

        QVERIFY(CPictureWriter().WritePicture(Picture(9, 4), links.first()));
        QCOMPARE(Snapshot().filter(" -> "), before);
        QCOMPARE(Read(file), Read("expected." + format));
        QCOMPARE(int(ModeOf(file) & 07777), mode);
        struct stat owner {};
        QVERIFY(::stat(QFile::encodeName(file), &owner) == 0);
        if (bRoot)
            QCOMPARE(QString("%1:%2").arg(owner.st_uid).arg(owner.st_gid), QString("4321:4322"));
        QCOMPARE(QDir(QFileInfo(file).path()).entryList(QDir::Files | QDir::Hidden).size(),
                 file.startsWith("other/") ? 1 : links.size() + 1); // no temporary file left
    }

    // A new file gets the usual bits for new files.
    void newFileMode() {
        const mode_t mask = ::umask(0);
        ::umask(mask);
        QVERIFY(CPictureWriter().WritePicture(Picture(7, 5), "new.bmp"));
        QCOMPARE(int(ModeOf("new.bmp") & 07777), int(0666 & ~mask));
    }

    void vanishedCurrentFolder_data() {
        QTest::addColumn<QString>("format");
        AddFormats("vanished", [](QTestData&) {});
    }

    // Nothing is written anywhere else; the name stays known as it was.
    void vanishedCurrentFolder() {
        QFETCH(QString, format);
        const QString gone = m_root + "/消えた箱", name = "名称未決定." + format;
        QVERIFY(QDir().mkdir(gone) && QDir::setCurrent(gone) && QDir().rmdir(gone));
        const auto back = qScopeGuard([this] { return QDir::setCurrent(m_root); });
        QCOMPARE(CSafeFile::CurrentFolder(), gone);
        QCOMPARE(CSafeFile::AbsolutePath(name), gone + '/' + name);
        QCOMPARE(CSafeFile::AbsolutePath("/x/" + name), "/x/" + name);
        QString reason;
        QVERIFY(!CPictureWriter().WritePicture(Picture(7, 5), name, &reason));
        QCOMPARE(reason, CSystemError::Text(CSystemError::kFolderRemoved));
        QVERIFY(!QFileInfo::exists("/" + name));
        QCOMPARE(Snapshot(m_root), QStringList());
    }

    // A folder whose name the encoding cannot read shows as U+FFFD, which is also how a sibling may really be
    // named: a path shown that way is refused, while a save inside the folder itself lands there.
    void unreadableFolderName() {
        const QByteArray unreadable = QFile::encodeName(m_root) + "/絵\xff";
        const QByteArray sibling = QFile::encodeName(m_root) + "/絵\xef\xbf\xbd";
        QVERIFY(::mkdir(unreadable, 0777) == 0 && ::mkdir(sibling, 0777) == 0);
        const QString shown = QFile::decodeName(unreadable);
        QCOMPARE(shown, QFile::decodeName(sibling));
        QVERIFY(!CRegularFile::IsRepresentable(shown) && CRegularFile::IsRepresentable(m_root + "/絵"));
        QString reason;
        QVERIFY(!CPictureWriter().WritePicture(Picture(7, 5), shown + "/picture.bmp", &reason));
        QCOMPARE(reason, CSystemError::Text(EILSEQ));
        QCOMPARE(Snapshot(m_root).filter("picture"), QStringList());

        QVERIFY(::chdir(unreadable) == 0);
        const auto back = qScopeGuard([this] { return QDir::setCurrent(m_root); });
        QVERIFY(CPictureWriter().WritePicture(Picture(7, 5), "picture.bmp"));
        QVERIFY(ModeOf(QFile::decodeName(unreadable + "/picture.bmp")) ==
                0); // the decoded path names no file
        struct stat st {};
        QVERIFY(::stat(unreadable + "/picture.bmp", &st) == 0 && ::stat(sibling + "/picture.bmp", &st) != 0);
    }
};

int main(int argc, char** argv) {
    // Under a fault, one picture; the reason goes around the write() that the fault may hit.
    if (QString why; argc == 3 && qstrcmp(argv[1], "--write") == 0)
        return CPictureWriter().WritePicture(ChildPicture(), QFile::decodeName(argv[2]), &why)
                   ? 0
                   : int(syscall(SYS_write, 1, why.toUtf8().constData(), size_t(why.toUtf8().size())) > 0);
    QCoreApplication app(argc, argv);
    TestSafeFile test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_safefile.moc"
