// SPDX-License-Identifier: MIT
#include "app/framework/View.h"

#include "app/framework/Resources.h"
#include "app/framework/WinApp.h"
#include "res/ResourceIds.h"

#include <QPainter>
#include <QPrintDialog>
#include <QPrintPreviewDialog>
#include <QPrinter>

BEGIN_MESSAGE_MAP(CView, CCmdTarget)
ON_COMMAND(ID_FILE_PRINT, OnFilePrint)
ON_COMMAND(ID_FILE_PRINT_DIRECT, OnFilePrintDirect)
ON_COMMAND(ID_FILE_PRINT_PREVIEW, OnFilePrintPreview)
END_MESSAGE_MAP()

CView::CView(QWidget* parent) : QWidget(parent) {}

CView::~CView() = default;

void CView::OnInitialUpdate() {
    update();
}

void CView::OnPrint(QPainter&, QPrinter&) {}

bool CView::PrintTo(QPrinter& printer) {
    QPainter painter;
    m_bLastPrintOk = painter.begin(&printer);
    if (!m_bLastPrintOk) {
        AfxMessageBox(CResources::Format(IDS_PRINTER_NOT_FOUND, printer.printerName()));
        return false;
    }
    OnPrint(painter, printer);
    m_bLastPrintOk = painter.end();
    return m_bLastPrintOk;
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
        QPainter painter(pPrinter);
        OnPrint(painter, *pPrinter);
    });
    preview.exec();
}
