// SPDX-License-Identifier: MIT
#include "app/framework/View.h"

#include "res/ResourceIds.h"

#include <QPaintEngine>
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

void CView::OnFilePrint() {
    QPrinter& printer = m_printer();
    QPrintDialog dialog(&printer, window());
    OnPrintDialog(dialog);
    if (dialog.exec() == QDialog::Accepted) {
        m_bLastPrintOk = PrintTo(printer);
    }
}

void CView::OnFilePrintDirect() {
    m_bLastPrintOk = PrintTo(m_printer());
}

void CView::OnFilePrintPreview() {
    QPrinter& printer = m_printer();
    QPrintPreviewDialog preview(&printer, window());
    OnPrintDialog(preview);
    connect(&preview, &QPrintPreviewDialog::paintRequested, this, [this](QPrinter* pPrinter) {
        // The preview's own print button asks for the pages on the real printer: print them as 印刷 does.
        if (pPrinter->paintEngine()->type() != QPaintEngine::Picture) {
            m_bLastPrintOk = PrintTo(*pPrinter);
            return;
        }
        QPainter painter(pPrinter);
        OnPrint(painter, *pPrinter);
    });
    preview.exec();
}
