// SPDX-License-Identifier: MIT
#include "files/RegularFile.h"
#include "files/StagedFile.h"
#include "files/SystemError.h"
#include "output/PictureWriter.h"
#include "tests/app/SpecialFiles.h"
#include "tests/output/PictureTestSupport.h"

#include <QProcess>
#include <QRegularExpression>
#include <QScopeGuard>
#include <QTemporaryDir>
#include <QTest>

#include <csignal>
#include <sys/syscall.h>

using namespace picturetest;

// Reading a file or writing one in its place, by every writer: special files are never read nor replaced,
// and every way a write can fail keeps the earlier file and leaves nothing else behind.
namespace {

// Reads path, prints "new bytes" into it as printing into a file does, or saves the picture there.
bool Use(const QString& operation, const QString& path, QString* pReason) {
    if (int nError = 0, nHandle = 0; operation == "read") {
        nHandle = CRegularFile::OpenForReading(path, &nError);
        *pReason = nHandle >= 0 ? QString() : CSystemError::Text(nError);
        return nHandle >= 0 && ::close(nHandle) == 0;
    }
    if (operation != "print into")
        return CPictureWriter().WritePicture(Picture(640, 480), path, pReason);
    CStagedFile file;
    QFile temporary(file.Create(path, pReason) ? file.GetTemporaryPath() : QString());
    const bool bWritten = temporary.open(QIODevice::WriteOnly) && temporary.write("new bytes") == 9;
    temporary.close();
    return bWritten && file.Commit(pReason);
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
    }

    void use_data() {
        QTest::addColumn<QString>("operation");
        QTest::addColumn<QString>("kind"); // what stands at f.ext in the folder
        QTest::addColumn<QString>("name"); // what is used; ext stands for the extension
        QTest::addColumn<int>("error");
        QTest::addColumn<QString>("fault"); // a command, split at "|", that runs the write
        // The folder after the write (f the name, <new> the bytes); {}: unchanged.
        QTest::addColumn<QStringList>("written");
        const auto kinds = [](const char* pKind, int nReadError, int nWriteError, const QStringList& written,
                              const QString& name = "f.ext", const QString& kind = {}) {
            for (const QString operation : {"read", "print into", "bmp", "png"}) {
                const bool bRead = operation == "read";
                QTest::addRow("%s: %s", qPrintable(operation), pKind)
                    << operation << (kind.isEmpty() ? pKind : kind) << name
                    << (bRead ? nReadError : nWriteError) << QString() << (bRead ? QStringList() : written);
            }
        };
        const int nSpecial = CSystemError::kNotRegularFile;
        kinds("regular", 0, 0, {"f file <new>"});
        kinds("nothing", ENOENT, 0, {"f file <new>"});
        kinds("link to regular", 0, 0, {"f link file <new>", "f.target file <new>"});
        kinds("link to link to regular", 0, 0,
              {"f link file <new>", "f.target link file <new>", "f.target.target file <new>"});
        kinds("link to nothing", ENOENT, 0, {"f link file <new>", "f.target file <new>"});
        kinds("folder", nSpecial, EISDIR, {});
        for (const char* pKind : {"fifo", "socket", "device", "link to fifo", "link to device"})
            kinds(pKind, nSpecial, nSpecial, {});
        kinds("in a missing folder", ENOENT, ENOENT, {}, "no/f.ext", "nothing");
        kinds("below a file", ENOTDIR, ENOTDIR, {}, "f.ext/f.ext", "regular");
        const auto faults = [](const char* pName, const QString& name, int error, const QString& fault = {}) {
            for (const QString format : {"bmp", "png"})
                QTest::addRow("%s: %s", qPrintable(format), pName)
                    << format << "regular" << name << error << fault << QStringList();
        };
        faults("empty name", "", ENOENT);
        faults("unrepresentable name", QString(QChar(0xD800)) + ".ext", EILSEQ);
        faults("name read without its encoding", QString(QChar::ReplacementCharacter) + ".ext", EILSEQ);
        faults("NUL in the name", QString("a") + QChar(u'\0') + "b.ext", EINVAL);
        faults("trailing slash", "f.ext/", EISDIR);
        faults("write fails", "f.ext", EFBIG, "prlimit|--fsize=4096"); // after a part was written
        const QString fiu = "fiu-run|-x|-f||-c|enable name=posix/io/";
        faults("sync fails", "f.ext", EIO, fiu + "sync/fdatasync,failinfo=5");
        faults("rename fails", "f.ext", ENOSPC, fiu + "dir/rename,failinfo=28");
    }

    // A write replaces only a regular file and keeps the links to it, its permission bits and its owner; the
    // reason is the failed call's.
    void use() {
        QFETCH(QString, operation);
        QFETCH(QString, kind);
        QFETCH(QString, name);
        QFETCH(int, error);
        QFETCH(QString, fault);
        QFETCH(QStringList, written);
        if (kind == "device" && ::geteuid() != 0)
            QSKIP("making a device node needs root");
        const QString ext = operation == "png" ? "png" : "bmp",
                      path = name.isEmpty() ? name : "t/" + name.replace("ext", ext);
        QVERIFY(MakeFile(kind, "t/f." + ext) &&
                CPictureWriter().WritePicture(Picture(640, 480), "expected." + ext));
        const QByteArray bytes =
            operation == "print into" ? QByteArray("new bytes") : Read("expected." + ext);
        const QStringList before = Listing("t");
        QString reason;
        bool bDone = false;
        if (fault.isEmpty()) {
            bDone = Use(operation, path, &reason);
        } else {
#if defined(__SANITIZE_ADDRESS__)
            if (fault.startsWith("fiu-run"))
                QSKIP("libfiu's preload library crashes a program built with AddressSanitizer");
#endif
            QStringList arguments = fault.split(u'|');
            const QString program = arguments.takeFirst();
            QProcess writer;
            writer.start(program, arguments << QCoreApplication::applicationFilePath() << "--write" << path);
            if (!writer.waitForStarted())
                QSKIP(qPrintable(program + " is not installed"));
            QVERIFY(writer.waitForFinished(60000));
            bDone = writer.exitCode() == 0;
            reason = QString::fromUtf8(writer.readAllStandardOutput());
        }
        QCOMPARE(bDone, error == 0);
        QCOMPARE(reason, bDone ? QString() : CSystemError::Text(error));
        QCOMPARE(Listing("t").replaceInStrings(QString::fromLatin1(bytes), "<new>"),
                 written.isEmpty() ? before
                                   : written.replaceInStrings(QRegularExpression("^f"), "t/f." + ext));
        if (written.isEmpty())
            return;
        // The old file's bits and owner, or those the user's mask gives a new file.
        struct stat info {};
        QVERIFY(::stat(QFile::encodeName(path).constData(), &info) == 0);
        QCOMPARE(info.st_mode & 07777, kind.endsWith("regular") ? 0640u : 0644u);
        if (kind.endsWith("regular") && ::geteuid() == 0)
            QCOMPARE(QString("%1:%2").arg(info.st_uid).arg(info.st_gid), QString("4321:4322"));
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
