// SPDX-License-Identifier: MIT
#pragma once

#include <QString>

#include <functional>

class QPainter;
class QPrinter;

// Prints the pages a drawing function gives onto a printer or, for a printer with an output file name,
// into a PDF file.
class CPicturePrinter {
public:
    // Draws one page onto painter, which is open on printer.
    using DrawPage = std::function<void(QPainter& painter, QPrinter& printer)>;

    explicit CPicturePrinter(DrawPage drawPage);

    // False, with the message for the user in *pMessage, when the printer could not be opened or the pages
    // did not get through whole; a file printed into then keeps its old bytes.
    bool Print(QPrinter& printer, QString* pMessage) const;

    // The message for the user when pathName names no file that can be printed into (a folder, a pipe, a
    // device, a socket, a file the user may not write); empty when it does. Nothing is opened.
    static QString CheckOutputFile(const QString& pathName);

private:
    enum class Result { Done, NotStarted, Broken };
    Result PrintPages(QPrinter& printer) const;
    bool PrintOnPrinter(QPrinter& printer, QString* pMessage) const;
    bool PrintIntoFile(const QPrinter& printer, QString* pReason) const;
    // Prints the pages as printer would into the new file fileName. False, with the reason, when the PDF
    // writer did not get through them (whether the file is whole is seen when it is read back).
    bool PrintPdf(const QPrinter& printer, const QString& fileName, QString* pReason) const;

    DrawPage m_drawPage;
};
