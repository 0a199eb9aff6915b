// SPDX-License-Identifier: MIT
#include "app/framework/RegularFile.h"
#include "app/framework/StagedFile.h"
#include "app/framework/SystemError.h"
#include "output/PictureWriter.h"
#include "tests/app/SpecialFiles.h"
#include "tests/output/PictureTestSupport.h"

#include <QProcess>
#include <QRegularExpression>
#include <QScopeGuard>
#include <QTemporaryDir>
#include <QTest>

#include <csignal>
#include <sys/mount.h>
#include <sys/syscall.h>

using namespace picturetest;

// Every way a save can fail keeps the earlier file, for both file types; special files are never replaced.
namespace {

// What a picture the test writes in a child process under a fault holds.
const QImage& ChildPicture() {
    static const QImage picture = Picture(640, 480);
    return picture;
}

void AddFormats(const char* pName, const std::function<void(QTestData&)>& row) {
    for (const char* pFormat : {"bmp", "png"})
        row(QTest::addRow("%s: %s", pFormat, pName) << QString::fromLatin1(pFormat));
}

// Puts new bytes in path's place as printing into a file does, or a picture as a save does.
bool WriteOver(const QString& operation, const QString& path, QString* pReason) {
    if (operation != "print into")
        return CPictureWriter().WritePicture(Picture(9, 4), path, pReason);
    CStagedFile file;
    if (!file.Create(path, pReason))
        return false;
    QFile temporary(file.GetTemporaryPath());
    const bool bWritten = temporary.open(QIODevice::WriteOnly) && temporary.write("new bytes") == 9;
    temporary.close();
    return bWritten && file.Commit(pReason);
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

    void kindsOfFile_data() {
        // Reading the file or writing one in its place; after a write, the folder: f the name, <new> the
        // bytes.
        QTest::addColumn<QString>("operation");
        QTest::addColumn<QString>("kind");
        QTest::addColumn<int>("error");
        QTest::addColumn<QStringList>("written");
        const auto rows = [](const char* pKind, int nReadError, int nWriteError, const QStringList& written) {
            for (const char* pOperation : {"read", "print into", "bmp", "png"}) {
                const bool bRead = qstrcmp(pOperation, "read") == 0;
                QTest::addRow("%s: %s", pOperation, pKind)
                    << QString(pOperation) << QString(pKind) << (bRead ? nReadError : nWriteError)
                    << (bRead ? QStringList() : written);
            }
        };
        const int nSpecial = CSystemError::kNotRegularFile;
        rows("regular", 0, 0, {"f file <new>"});
        rows("nothing", ENOENT, 0, {"f file <new>"});
        rows("link to regular", 0, 0, {"f link file <new>", "f.target file <new>"});
        rows("link to link to regular", 0, 0,
             {"f link file <new>", "f.target link file <new>", "f.target.target file <new>"});
        rows("link to nothing", ENOENT, 0, {"f link file <new>", "f.target file <new>"});
        rows("folder", nSpecial, EISDIR, {});
        for (const char* pKind : {"fifo", "socket", "device", "link to fifo", "link to device"})
            rows(pKind, nSpecial, nSpecial, {});
        rows("in a missing folder", ENOENT, ENOENT, {});
        rows("below a file", ENOTDIR, ENOTDIR, {});
    }

    // Reading never waits on a special file. A write replaces only a regular file and keeps the links to it,
    // its permission bits and its owner; what it refuses stays as it was; nothing else is left behind.
    void kindsOfFile() {
        QFETCH(QString, operation);
        QFETCH(QString, kind);
        QFETCH(int, error);
        QFETCH(QStringList, written);
        if (kind == "device" && ::geteuid() != 0)
            QSKIP("making a device node needs root");
        const QString name = operation == "png" ? "f.png" : "f.bmp", folder = m_root + "/t";
        QString path = folder + '/' + name, made = kind;
        if (kind == "in a missing folder")
            path = folder + "/no/" + name, made = "nothing";
        else if (kind == "below a file")
            path += '/' + name, made = "regular";
        QVERIFY(QDir().mkdir(folder) && MakeFile(made, made == kind ? path : QFileInfo(path).path()));
        QVERIFY(CPictureWriter().WritePicture(Picture(9, 4), "expected." + name));
        const QByteArray bytes =
            operation == "print into" ? QByteArray("new bytes") : Read("expected." + name);
        const QStringList before = Listing(folder);

        QString reason;
        bool bDone = false;
        if (operation == "read") {
            int nError = 0;
            const int nHandle = CRegularFile::OpenForReading(path, &nError);
            bDone = nHandle >= 0 && ::close(nHandle) == 0;
            reason = bDone ? QString() : CSystemError::Text(nError);
        } else {
            bDone = WriteOver(operation, path, &reason);
        }
        QCOMPARE(bDone, error == 0);
        QCOMPARE(reason, bDone ? QString() : CSystemError::Text(error));
        QStringList after = Listing(folder);
        if (written.isEmpty()) {
            QCOMPARE(after, before);
            return;
        }
        QCOMPARE(after.replaceInStrings(QString::fromLatin1(bytes), "<new>"),
                 written.replaceInStrings(QRegularExpression("^f"), name));
        // The old file's bits and owner, or those the user's mask gives a new file.
        struct stat info {};
        QVERIFY(::stat(QFile::encodeName(path).constData(), &info) == 0);
        const mode_t nMask = ::umask(0);
        ::umask(nMask);
        QCOMPARE(info.st_mode & 07777, kind.endsWith("regular") ? 0640u : 0666u & ~nMask);
        if (kind.endsWith("regular") && ::geteuid() == 0)
            QCOMPARE(QString("%1:%2").arg(info.st_uid).arg(info.st_gid), QString("4321:4322"));
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
        rows("full tmpfs", "small/picture.ext", ENOSPC);
        rows("file-size limit", "picture.ext", EFBIG, "prlimit|--fsize=4096");
        const QString fiu = "fiu-run|-x|-f||-c|enable name=posix/io/";
        rows("write fails", "picture.ext", EIO, fiu + "rw/write,failinfo=5");
        rows("sync fails", "picture.ext", EIO, fiu + "sync/fdatasync,failinfo=5");
        rows("rename fails", "picture.ext", ENOSPC, fiu + "dir/rename,failinfo=28");
        // The system may take a part of a write; the rest follows.
        rows("short writes", "picture.ext", 0,
             "fiu-run|-x|-c|enable_random name=posix/io/rw/write/reduce,probability=0.5");
    }

    // The old file stays as it was, no temporary file is left, and the reason is the failed call's; a write
    // that the system takes in parts is completed.
    void faults() {
        QFETCH(QString, format);
        QFETCH(QString, name);
        QFETCH(int, error);
        QFETCH(QString, wrapper);
        name.replace("ext", format);
        QVERIFY(QDir().mkdir("small"));
        const bool bTmpfs = name.startsWith("small/");
        const bool bMounted = bTmpfs && mount("tmpfs", "small", "tmpfs", 0, "size=64k") == 0;
        const auto unmount = qScopeGuard([&] { return bMounted && umount2("small", MNT_DETACH) == 0; });
        if (bTmpfs && !bMounted)
            QSKIP("cannot mount a tmpfs here");
        QVERIFY(CPictureWriter().WritePicture(Picture(7, 5), bTmpfs ? name : "picture." + format));
        const QStringList before = Listing(m_root);
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
            QVERIFY(writer.waitForFinished(60000) && writer.exitCode() == (error == 0 ? 0 : 1));
            reason = QString::fromUtf8(writer.readAllStandardOutput());
        } else {
            QVERIFY(!CPictureWriter().WritePicture(ChildPicture(), name, &reason));
        }
        if (error == 0) {
            QVERIFY(CPictureWriter().WritePicture(ChildPicture(), "expected." + format));
            QCOMPARE(Read(name), Read("expected." + format));
            return;
        }
        QCOMPARE(reason, CSystemError::Text(error));
        QCOMPARE(Listing(m_root), before);
    }

    // A bare name saved from inside a folder whose name the encoding cannot read lands there, not in the
    // sibling that the decoded name (with U+FFFD) spells.
    void unreadableCurrentFolder() {
        const QByteArray unreadable = QFile::encodeName(m_root) + "/絵\xff";
        const QByteArray sibling = QFile::encodeName(m_root) + "/絵\xef\xbf\xbd";
        QVERIFY(::mkdir(unreadable, 0777) == 0 && ::mkdir(sibling, 0777) == 0 && ::chdir(unreadable) == 0);
        const auto back = qScopeGuard([&] { // the temporary folder cannot remove what it cannot name
            return QDir::setCurrent(m_root) &&
                   ::unlink(unreadable + "/picture.bmp") + ::rmdir(unreadable) == 0;
        });
        QVERIFY(CPictureWriter().WritePicture(Picture(7, 5), "picture.bmp"));
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
