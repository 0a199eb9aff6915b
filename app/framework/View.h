// SPDX-License-Identifier: MIT
#pragma once

#include "app/framework/CmdTarget.h"

#include <QWidget>
#include <functional>

class CDocument;
class QDialog;
class QPainter;
class QPrinter;

// A window showing a document inside a frame. The print commands run the toolkit's print dialog and print
// preview on the printer it is given; the pages are the view's drawing for the printer (OnPrint), and
// putting them onto the printer or into a file is the view's own work (PrintTo).
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

    // The printer that the print commands print on, which the application shares with its printer set-up.
    void SetPrinter(std::function<QPrinter&()> printer) { m_printer = std::move(printer); }

    // Draws one printed page onto painter, which is open on printer.
    virtual void OnPrint(QPainter& painter, QPrinter& printer) = 0;
    // Called with the print dialog, or the print preview, before it runs.
    virtual void OnPrintDialog(QDialog& dialog) = 0;
    // Prints on printer without asking; false, after a message, when the pages did not get through whole.
    virtual bool PrintTo(QPrinter& printer) = 0;
    bool LastPrintSucceeded() const { return m_bLastPrintOk; }

    void OnFilePrint();
    void OnFilePrintDirect();
    void OnFilePrintPreview();

private:
    CDocument* m_pDocument = nullptr;
    std::function<QPrinter&()> m_printer;
    bool m_bLastPrintOk = true;

    DECLARE_MESSAGE_MAP(CView)
};
