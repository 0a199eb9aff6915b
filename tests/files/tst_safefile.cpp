// SPDX-License-Identifier: MIT
#include "files/SystemError.h"
#include "output/PictureWriter.h"
#include "tests/app/SpecialFiles.h"
#include "tests/output/PictureTestSupport.h"

#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTest>

#include <csignal>

using namespace picturetest;

// Rows name only what differs from the usual write; g++ 12 would warn about the fields they leave out.
#pragma GCC diagnostic ignored "-Wmissing-field-initializers"

// Writing a file in the place of another, by every writer: printing into a PDF file and saving a picture as
// BMP or PNG. Special files are never replaced, and every way a write can fail keeps the earlier file and
// leaves nothing else behind.
namespace {

// The writer was killed and gave no reason.
constexpr int kKilled = -SIGKILL;

// One write: what stands at f.ext in the folder t; the name used (ext stands for the extension); the
// permission bits of a regular file there; the writer ("" this test, root in CI; "nobody" in a folder open to
// all, f.ext being another user's; "owner": nobody, owning f.ext, in a folder closed to nobody); a command,
// split at "|", that runs the write; the sentences of the reason (none when done); the folder after
// the write (f the name, <new> the bytes; {}: unchanged).
struct SWrite {
    QString kind = "regular", name = "f.ext";
    int mode = 0640;
    QString user, fault;
    QList<int> errors;
    QStringList written;
};
constexpr uid_t kNobody = 65534; // nogroup too

// Saves the picture at path, or writes into it from a child process: the real program prints into it
// (/pt), or this test saves the picture there. The child runs under fault, a command split at "|", and as
// nobody for a user.
bool Use(const QString& operation, const QString& path, const SWrite& write, QString* pReason) {
    if (write.fault == "fifo") // takes the target's place while the picture is written
        return CPictureWriter().WritePicture(
            7, 5, [&path](int, unsigned char*) { QFile::remove(path) && MakeFile("fifo", path); }, path,
            pReason);
    const bool bPrint = operation == "print into";
    if (!bPrint && write.fault.isEmpty() && write.user.isEmpty())
        return CPictureWriter().WritePicture(Picture(640, 480), path, pReason);
    QStringList command = write.fault.isEmpty() ? QStringList() : write.fault.split(u'|');
    if (!write.user.isEmpty())
        command = QStringList{"setpriv", "--reuid=nobody", "--regid=nogroup", "--clear-groups"} + command;
    command << (bPrint ? QStringList{"zelvorandine", "/pt", "expected.bmp"}
                       : QStringList{"writer", "--write"})
            << path;
    QProcess writer;
    writer.start(command.takeFirst(), command);
    const bool bDone = writer.waitForFinished(60000) && writer.exitStatus() == QProcess::NormalExit &&
                       writer.exitCode() == 0;
    const QString output =
        QString::fromUtf8(bPrint ? writer.readAllStandardError() : writer.readAllStandardOutput());
    *pReason = (bPrint ? output.section("に印刷できませんでした。", 1) : output).trimmed();
    return bDone;
}

} // namespace

Q_DECLARE_METATYPE(SWrite)

class TestSafeFile : public QObject {
    Q_OBJECT
    std::unique_ptr<QTemporaryDir> m_pDir;
    QTemporaryDir m_bin; // the writers, first on the path, where nobody reaches them too

private Q_SLOTS:
    // Past the file-size limit a write fails instead of ending the program.
    void initTestCase() {
        QVERIFY(signal(SIGXFSZ, SIG_IGN) != SIG_ERR && ::chmod(QFile::encodeName(m_bin.path()), 0755) == 0);
        QVERIFY(QFile::copy(ZELVORANDINE_BINARY, m_bin.filePath("zelvorandine")) &&
                QFile::copy(QCoreApplication::applicationFilePath(), m_bin.filePath("writer")));
        qputenv("PATH", QFile::encodeName(m_bin.path()) + ':' + qgetenv("PATH"));
    }
    void init() {
        ::umask(022); // a new file gets 0644
        m_pDir = std::make_unique<QTemporaryDir>();
        QVERIFY(QDir::setCurrent(m_pDir->path()));
        QVERIFY(::chmod(".", 0755) + ::mkdir("t", 0755) + ::mkdir("cache", 0700) == 0);
        // For the writers started: no settings file can be written (the program says so first), so what the
        // print syncs is the first sync. The cache folder is also their private runtime folder.
        qputenv("XDG_CONFIG_HOME", "/proc/sys");
        qputenv("XDG_CACHE_HOME", QFile::encodeName(m_pDir->filePath("cache")));
        qputenv("XDG_RUNTIME_DIR", QFile::encodeName(m_pDir->filePath("cache")));
    }

    void use_data() {
        QTest::addColumn<QString>("operation");
        QTest::addColumn<SWrite>("write");
        const auto add = [](const QString& name, const QStringList& operations, const SWrite& write) {
            for (const QString& operation : operations)
                QTest::addRow("%s: %s", qPrintable(operation), qPrintable(name)) << operation << write;
        };
        const QStringList writers{"print into", "bmp", "png"}, pictures{"bmp", "png"};
        const QStringList replaced{"f file <new>"}, linked{"f link file <new>", "f.target file <new>"};
        const int nSpecial = CSystemError::kNotRegularFile;
        add("regular", writers, {.written = replaced});
        add("nothing", writers, {.kind = "nothing", .written = replaced});
        add("link to regular", writers, {.kind = "link to regular", .written = linked});
        add("link to link to regular", writers,
            {.kind = "link to link to regular",
             .written = {"f link file <new>", "f.target link file <new>", "f.target.target file <new>"}});
        add("link to nothing", writers, {.kind = "link to nothing", .written = linked});
        add("folder", writers, {.kind = "folder", .errors = {EISDIR}});
        for (const char* pKind : {"fifo", "socket", "device", "link to fifo", "link to device"})
            add(pKind, writers, {.kind = pKind, .errors = {nSpecial}});
        add("in a missing folder", writers, {.kind = "nothing", .name = "no/f.ext", .errors = {ENOENT}});
        add("below a file", writers, {.name = "f.ext/f.ext", .errors = {ENOTDIR}});
        add("unrepresentable name", pictures, {.name = QString(QChar(0xD800)) + ".ext", .errors = {EILSEQ}});
        add("name read without its encoding", pictures,
            {.name = QString(QChar::ReplacementCharacter) + ".ext", .errors = {EILSEQ}});
        add("NUL in the name", pictures, {.name = QString("a") + QChar(u'\0') + "b.ext", .errors = {EINVAL}});
        add("trailing slash", pictures, {.name = "f.ext/", .errors = {EISDIR}});
        // The target is looked at again just before it is replaced.
        add("turns into a fifo", pictures,
            {.fault = "fifo", .errors = {nSpecial}, .written = {"f special "}});
        // Printing learns of a failed write only by reading the file back.
        const auto faults = [&](const char* pName, const QString& fault, int nError, int nPrintError) {
            add(pName, {"print into"}, {.fault = fault, .errors = {nPrintError}});
            add(pName, pictures, {.fault = fault, .errors = {nError}});
        };
        const int nIncomplete = CSystemError::kIncompleteWrite;
        const QString fiu = "fiu-run|-x|-f||-c|enable name=posix/io/";
        faults("write fails", fiu + "rw/write,failinfo=5", EIO, nIncomplete);
        faults("no space", fiu + "rw/write,failinfo=28", ENOSPC, nIncomplete);
        faults("size limit", "prlimit|--fsize=600", EFBIG, nIncomplete);
        faults("sync fails", fiu + "sync/fdatasync,failinfo=5", EIO, EIO);
        faults("rename fails", fiu + "dir/rename,failinfo=28", ENOSPC, ENOSPC);
        const QString kill = "strace|-f|-qq|-o|/dev/null|-e|trace=fdatasync|-e|inject=fdatasync:signal=KILL";
        faults("killed at the sync", kill, kKilled, kKilled);
        // Root replaces any file and keeps its nine permission bits, not set-user-id or set-group-id.
        for (const int mode : {0444, 0400, 00, 064, 04755, 02755})
            add(QString::asprintf("mode %04o", mode), writers, {.mode = mode, .written = replaced});
        add("another user's read-only file", writers, {.mode = 0444, .user = "nobody", .errors = {EACCES}});
        // In a folder closed to its writer, the file is written over in place, the old bytes written back
        // when that fails, or kept in the cache when even that fails.
        const QStringList inPlace{"print into", "bmp"};
        const QList<int> restored{EIO, CSystemError::kOldBytesRestored},
            kept{EIO, CSystemError::kOldBytesKept};
        add("in place", inPlace, {.user = "owner", .written = replaced});
        add("in place, write fails", inPlace,
            {.user = "owner", .fault = fiu + "rw/pwrite,failinfo=5,onetime", .errors = restored});
        add("in place, sync fails", inPlace,
            {.user = "owner", .fault = fiu + "sync/fdatasync,failinfo=5,onetime", .errors = restored});
        add("in place, nothing written back", inPlace,
            {.user = "owner", .fault = fiu + "rw/pwrite,failinfo=5", .errors = kept});
        add("new file in a closed folder", {"bmp"}, {.kind = "nothing", .user = "owner", .errors = {EACCES}});
    }

    // A write replaces only a regular file and keeps the links to it, its permission bits and its owner; the
    // reason is the failed call's. A killed writer leaves the earlier file too.
    void use() {
        QFETCH(QString, operation);
        QFETCH(SWrite, write);
        auto& [kind, name, mode, user, fault, errors, written] = write;
        if ((kind == "device" || !user.isEmpty() || (mode & 0200) == 0) && ::geteuid() != 0)
            QSKIP("needs root: making a device node, writing a read-only file or acting as another user");
#if defined(__SANITIZE_ADDRESS__)
        if (fault.startsWith("fiu-run"))
            QSKIP("libfiu's preload library crashes a program built with AddressSanitizer");
#endif
        const QString ext = operation == "bmp" || operation == "png" ? operation : "pdf",
                      path = "t/" + name.replace("ext", ext),
                      expected = operation == "png" ? "expected.png" : "expected.bmp";
        QVERIFY(MakeFile(kind, "t/f." + ext) && CPictureWriter().WritePicture(Picture(640, 480), expected));
        const QByteArray target = QFile::encodeName("t/f." + ext);
        QVERIFY(kind != "regular" || ::chmod(target.constData(), mode_t(mode)) == 0);
        QVERIFY(user != "nobody" || ::chmod("t", 0777) == 0);
        QVERIFY(user != "owner" || kind != "regular" || ::chown(target.constData(), kNobody, kNobody) == 0);
        QVERIFY(user.isEmpty() || ::chown("cache", kNobody, kNobody) == 0);
        const QStringList before = Listing("t");
        QString reason;
        QCOMPARE(Use(operation, path, write, &reason), errors.isEmpty());
        // The old bytes wait in the cache only where the reason says so.
        const QStringList copies = Listing("cache").filter(" file ");
        QCOMPARE(copies.size(), int(errors.contains(CSystemError::kOldBytesKept)));
        QString sentences;
        for (const int nError : errors)
            sentences += nError == kKilled ? QString() : CSystemError::Text(nError);
        QCOMPARE(reason,
                 sentences.replace("%1", m_pDir->filePath(copies.value(0).section(" file old bytes", 0, 0))));
        QStringList after = Listing("t").replaceInStrings(QString::fromLatin1(Read(expected)), "<new>");
        after.replaceInStrings(
            QRegularExpression("%PDF-.*%%EOF\n", QRegularExpression::DotMatchesEverythingOption), "<new>");
        if (errors.contains(kKilled)) // what it was writing stays behind
            after.removeIf([](const QString& entry) { return entry.startsWith("t/."); });
        QCOMPARE(after, written.isEmpty() ? before
                                          : written.replaceInStrings(QRegularExpression("^f"), "t/f." + ext));
        if (!errors.isEmpty())
            return;
        // The old file's bits and owner, or those the user's mask gives a new file.
        struct stat info {};
        QVERIFY(::stat(QFile::encodeName(path).constData(), &info) == 0);
        QCOMPARE(info.st_mode & 07777, kind.endsWith("regular") ? uint(mode) & 0777 : 0644u);
        if (kind.endsWith("regular") && ::geteuid() == 0)
            QCOMPARE(QString("%1:%2").arg(info.st_uid).arg(info.st_gid),
                     user == "owner" ? QString("65534:65534") : QString("4321:4322"));
    }
};

int main(int argc, char** argv) {
    // Under a fault, the picture; the reason goes through the C library's own write(), which no fault hits.
    if (QString why; argc == 3 && qstrcmp(argv[1], "--write") == 0)
        return !CPictureWriter().WritePicture(Picture(640, 480), QFile::decodeName(argv[2]), &why) &&
               std::fputs(why.toUtf8().constData(), stdout) >= 0;
    QCoreApplication app(argc, argv);
    TestSafeFile test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_safefile.moc"
