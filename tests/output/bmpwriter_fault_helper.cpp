// Writes the test picture of the given size under the given name, so that the fault tests can run the writer
// under library-level fault injection.
//
//   bmpwriter_fault_helper <file> <width> <height>
//
// Exit status 0 when the writer says the picture is saved; 1 when it says it is not, with its reason on
// standard output; 2 on wrong arguments.

#include "output/BmpWriter.h"
#include "tests/output/BmpTestSupport.h"

#include <QFile>

#include <cstdio>

#ifdef Q_OS_LINUX
#include <sys/syscall.h>
#include <unistd.h>
#endif

namespace {

// The injected faults hit the C library's write(), so the reason goes around it.
void Report(const QByteArray& text) {
#ifdef Q_OS_LINUX
    const long n = syscall(SYS_write, 1, text.constData(), size_t(text.size()));
    Q_UNUSED(n);
#else
    std::fwrite(text.constData(), 1, size_t(text.size()), stdout);
#endif
}

} // namespace

int main(int argc, char** argv) {
    if (argc != 4)
        return 2;
    bool bWidth = false;
    bool bHeight = false;
    const int nWidth = QByteArray(argv[2]).toInt(&bWidth);
    const int nHeight = QByteArray(argv[3]).toInt(&bHeight);
    if (!bWidth || !bHeight || nWidth < 0 || nHeight < 0)
        return 2;

    QString reason;
    if (CBmpWriter().WritePicture(MakeTestPicture(nWidth, nHeight), QFile::decodeName(argv[1]), &reason))
        return 0;
    Report(reason.toUtf8());
    return 1;
}
