// SPDX-License-Identifier: MIT
#pragma once

#include <QObject>

class QDialog;
class QPrintDialog;

// Looks at the output file a print dialog names when the user presses its print button, before the toolkit
// opens that file to see whether it can be written: opening a pipe waits for a reader, for ever if none
// comes. A name the program would not print into is refused with the message printing gives, and the dialog
// stays open for another.
class CPrintFileCheck : public QObject {
    Q_OBJECT
public:
    // Checks the print dialog dialog or, for a print preview, the print dialog its print button opens.
    static void Install(QDialog& dialog);

protected:
    bool eventFilter(QObject* pWatched, QEvent* e) override;

private:
    explicit CPrintFileCheck(QDialog& preview);
    static void CheckOnAccept(QPrintDialog& dialog);
    // False, after the message, when the dialog's output file is refused.
    static bool AcceptsOutputFile(QPrintDialog& dialog);
};
