// SPDX-License-Identifier: MIT
#include "output/PicturePrinter.h"

#include "app/resources/Resources.h"
#include "files/FileReplacer.h"
#include "files/RegularFile.h"
#include "files/SystemError.h"
#include "output/PdfStructure.h"
#include "res/ResourceIds.h"

#include <QDir>
#include <QFile>
#include <QPainter>
#include <QPrinter>

#include <cerrno>

namespace {

// A printer set up like from that prints into fileName. Each print into a file gets a new one: the toolkit's
// PDF writer stays broken after one failed write and would leave every later file empty.
void SetUpLike(const QPrinter& from, const QString& fileName, QPrinter& printer) {
    printer.setOutputFormat(QPrinter::PdfFormat);
    printer.setOutputFileName(fileName);
    printer.setPdfVersion(from.pdfVersion());
    printer.setResolution(from.resolution());
    printer.setPageLayout(from.pageLayout());
    printer.setFullPage(from.fullPage());
    printer.setColorMode(from.colorMode());
    printer.setPrintRange(from.printRange());
    printer.setFromTo(from.fromPage(), from.toPage());
    printer.setPageOrder(from.pageOrder());
    printer.setCopyCount(from.copyCount());
    printer.setCollateCopies(from.collateCopies());
    printer.setDocName(from.docName());
    printer.setCreator(from.creator());
}

bool IsCompletePdf(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) && CPdfStructure::IsComplete(file.readAll());
}

QString CannotPrintInto(const QString& pathName, const QString& reason) {
    return CResources::Format(IDS_PRINT_TO_FILE_FAILED,
                              QDir::toNativeSeparators(CFileReplacer::AbsolutePath(pathName)), reason);
}

} // namespace

CPicturePrinter::CPicturePrinter(DrawPage drawPage) : m_drawPage(std::move(drawPage)) {}

bool CPicturePrinter::Print(QPrinter& printer, QString* pMessage) const {
    const QString target = printer.outputFileName();
    if (target.isEmpty()) {
        return PrintOnPrinter(printer, pMessage);
    }
    QString reason;
    if (PrintIntoFile(printer, &reason)) {
        return true;
    }
    *pMessage = CannotPrintInto(target, reason);
    return false;
}

QString CPicturePrinter::CheckOutputFile(const QString& pathName) {
    const int nError = CRegularFile::CheckWriteTarget(pathName);
    return nError == 0 ? QString() : CannotPrintInto(pathName, CSystemError::Text(nError));
}

CPicturePrinter::Result CPicturePrinter::PrintPages(QPrinter& printer) const {
    QPainter painter;
    if (!painter.begin(&printer)) {
        return Result::NotStarted;
    }
    m_drawPage(painter, printer);
    return painter.end() ? Result::Done : Result::Broken;
}

bool CPicturePrinter::PrintOnPrinter(QPrinter& printer, QString* pMessage) const {
    const QString name = printer.printerName();
    switch (PrintPages(printer)) {
    case Result::Done:
        return true;
    case Result::NotStarted:
        *pMessage = name.isEmpty() ? CResources::LoadString(IDS_NO_PRINTER)
                                   : CResources::Format(IDS_PRINTER_NOT_FOUND, name);
        return false;
    case Result::Broken:
        *pMessage = CResources::Format(IDS_PRINT_FAILED, name);
        return false;
    }
    return false;
}

// The pages go into a temporary file, which takes the target's place only once it is whole: a full disk or
// a size limit must not leave a broken file where a good one was.
bool CPicturePrinter::PrintIntoFile(const QPrinter& printer, QString* pReason) const {
    CFileReplacer file(printer.outputFileName());
    if (file.Open() && PrintPdf(printer, file.GetTemporaryPath(), pReason) && file.Commit(IsCompletePdf)) {
        return true;
    }
    if (file.Error() != 0) {
        *pReason = file.ErrorText();
    }
    return false;
}

bool CPicturePrinter::PrintPdf(const QPrinter& printer, const QString& fileName, QString* pReason) const {
    QPrinter filePrinter(QPrinter::HighResolution);
    SetUpLike(printer, fileName, filePrinter);
    const Result nResult = PrintPages(filePrinter);
    if (nResult == Result::Done) {
        return true;
    }
    *pReason = CSystemError::Text(nResult == Result::NotStarted ? EIO : CSystemError::kIncompleteWrite);
    return false;
}
