// SPDX-License-Identifier: MIT
#pragma once

#include "app/framework/CmdTarget.h"

#include <QWidget>

class CDocument;
class QPainter;
class QPrinter;

// A window showing a document inside a frame. Printing and print preview go through OnPrint.
class CView : public QWidget, public CCmdTarget {
    Q_OBJECT
public:
    explicit CView(QWidget* parent = nullptr);
    ~CView() override;

    CDocument* GetDocument() const { return m_pDocument; }
    void SetDocument(CDocument* pDocument) { m_pDocument = pDocument; }

    // Called when the document was created or opened; the default asks for a repaint.
    virtual void OnInitialUpdate();
    // Called once after the view was created as the frame's client window; 0 or -1 on failure.
    virtual int OnCreate() { return 0; }

    // Draws one printed page onto painter, which is open on printer.
    virtual void OnPrint(QPainter& painter, QPrinter& printer);

    // Prints on printer without asking; false, after a message, when the printer could not be opened or the
    // pages did not get through whole. A printer with an output file name prints into that file.
    bool PrintTo(QPrinter& printer);
    bool LastPrintSucceeded() const { return m_bLastPrintOk; }

    void OnFilePrint();
    void OnFilePrintDirect();
    void OnFilePrintPreview();

private:
    enum class PrintResult { Done, NotStarted, Broken };
    PrintResult PrintPages(QPrinter& printer);
    bool PrintOnPrinter(QPrinter& printer);
    bool PrintIntoFile(QPrinter& printer);

    CDocument* m_pDocument = nullptr;
    bool m_bLastPrintOk = true;

    DECLARE_MESSAGE_MAP(CView)
};
