// SPDX-License-Identifier: MIT
#include "app/framework/View.h"

#include "output/PdfStructure.h"
#include "app/resources/Resources.h"
#include "files/StagedFile.h"
#include "files/SystemError.h"
#include "app/framework/WinApp.h"
#include "res/ResourceIds.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QPaintEngine>
#include <QPainter>
#include <QPrintDialog>
#include <QPrintPreviewDialog>
#include <QPrinter>

#include <cerrno>

BEGIN_MESSAGE_MAP(CView, CCmdTarget)
ON_COMMAND(ID_FILE_PRINT, OnFilePrint)
ON_COMMAND(ID_FILE_PRINT_DIRECT, OnFilePrintDirect)
ON_COMMAND(ID_FILE_PRINT_PREVIEW, OnFilePrintPreview)
END_MESSAGE_MAP()

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

} // namespace

CView::CView(QWidget* parent) : QWidget(parent) {}

CView::~CView() = default;

void CView::OnInitialUpdate() {
    update();
}

void CView::OnPrint(QPainter&, QPrinter&) {}

bool CView::PrintTo(QPrinter& printer) {
    m_bLastPrintOk = printer.outputFileName().isEmpty() ? PrintOnPrinter(printer) : PrintIntoFile(printer);
    return m_bLastPrintOk;
}

CView::PrintResult CView::PrintPages(QPrinter& printer) {
    QPainter painter;
    if (!painter.begin(&printer)) {
        return PrintResult::NotStarted;
    }
    OnPrint(painter, printer);
    return painter.end() ? PrintResult::Done : PrintResult::Broken;
}

bool CView::PrintOnPrinter(QPrinter& printer) {
    const QString name = printer.printerName();
    switch (PrintPages(printer)) {
    case PrintResult::Done:
        return true;
    case PrintResult::NotStarted:
        AfxMessageBox(name.isEmpty() ? CResources::LoadString(IDS_NO_PRINTER)
                                     : CResources::Format(IDS_PRINTER_NOT_FOUND, name));
        return false;
    case PrintResult::Broken:
        AfxMessageBox(CResources::Format(IDS_PRINT_FAILED, name));
        return false;
    }
    return false;
}

// The pages go into a temporary file beside the target, which takes the target's place only once it is
// whole: a full disk or a size limit must not leave a broken file where a good one was.
bool CView::PrintIntoFile(QPrinter& printer) {
    const QString target = printer.outputFileName();
    QString reason;
    CStagedFile file;
    bool bDone = file.Create(target, &reason);
    if (bDone) {
        QPrinter filePrinter(QPrinter::HighResolution);
        SetUpLike(printer, file.GetTemporaryPath(), filePrinter);
        const PrintResult nResult = PrintPages(filePrinter);
        bDone = nResult == PrintResult::Done && IsCompletePdf(file.GetTemporaryPath());
        if (!bDone) {
            reason = nResult == PrintResult::NotStarted ? CSystemError::Text(EIO)
                                                        : CResources::LoadString(IDS_ERROR_INCOMPLETE_WRITE);
        }
        bDone = bDone && file.Commit(&reason);
    }
    if (!bDone) {
        AfxMessageBox(CResources::Format(IDS_PRINT_TO_FILE_FAILED,
                                         QDir::toNativeSeparators(QFileInfo(target).absoluteFilePath()),
                                         reason),
                      QMessageBox::Critical);
    }
    return bDone;
}

void CView::OnFilePrint() {
    QPrinter& printer = AfxGetApp()->GetPrinter();
    QPrintDialog dialog(&printer, window());
    if (dialog.exec() == QDialog::Accepted) {
        PrintTo(printer);
    }
}

void CView::OnFilePrintDirect() {
    PrintTo(AfxGetApp()->GetPrinter());
}

void CView::OnFilePrintPreview() {
    QPrinter& printer = AfxGetApp()->GetPrinter();
    QPrintPreviewDialog preview(&printer, window());
    connect(&preview, &QPrintPreviewDialog::paintRequested, this, [this](QPrinter* pPrinter) {
        // The preview's own print button asks for the pages on the real printer: print them as 印刷 does.
        if (pPrinter->paintEngine()->type() != QPaintEngine::Picture) {
            PrintTo(*pPrinter);
            return;
        }
        QPainter painter(pPrinter);
        OnPrint(painter, *pPrinter);
    });
    preview.exec();
}
