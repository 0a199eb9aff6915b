// SPDX-License-Identifier: MIT
#include "output/PrintFileCheck.h"

#include "files/FileReplacer.h"
#include "output/PicturePrinter.h"

#include <QChildEvent>
#include <QDialogButtonBox>
#include <QGuiApplication>
#include <QLineEdit>
#include <QMessageBox>
#include <QPrintDialog>

void CPrintFileCheck::Install(QDialog& dialog) {
    if (auto* pPrintDialog = qobject_cast<QPrintDialog*>(&dialog)) {
        CheckOnAccept(*pPrintDialog);
        return;
    }
    // The preview makes its print dialog, as its child, when its print button is first pressed.
    dialog.installEventFilter(new CPrintFileCheck(dialog));
}

CPrintFileCheck::CPrintFileCheck(QDialog& preview) : QObject(&preview) {}

bool CPrintFileCheck::eventFilter(QObject*, QEvent* e) {
    if (e->type() == QEvent::ChildPolished) {
        if (auto* pDialog = qobject_cast<QPrintDialog*>(static_cast<QChildEvent*>(e)->child())) {
            CheckOnAccept(*pDialog);
        }
    }
    return false;
}

void CPrintFileCheck::CheckOnAccept(QPrintDialog& dialog) {
    // The print button's box hands the acceptance to the dialog's own check of its fields, which opens the
    // file; ours goes first.
    auto* pButtons = dialog.findChild<QDialogButtonBox*>(QString(), Qt::FindDirectChildrenOnly);
    if (pButtons == nullptr || !disconnect(pButtons, SIGNAL(accepted()), &dialog, SLOT(_q_checkFields()))) {
        return;
    }
    connect(pButtons, &QDialogButtonBox::accepted, &dialog, [pDialog = &dialog] {
        if (AcceptsOutputFile(*pDialog)) {
            QMetaObject::invokeMethod(pDialog, "_q_checkFields");
        }
    });
}

bool CPrintFileCheck::AcceptsOutputFile(QPrintDialog& dialog) {
    // The dialog's own field for the file name takes input only while the output goes into a file.
    const auto* pName = dialog.findChild<QLineEdit*>(QStringLiteral("filename"));
    if (pName == nullptr || !pName->isEnabled()) {
        return true;
    }
    // The name as the dialog's own check opens it: a bare name from the current folder. (The dialog then
    // prints into it from the home folder, where printing looks at it again.)
    const QString problem = CPicturePrinter::CheckOutputFile(CFileReplacer::AbsolutePath(pName->text()));
    if (problem.isEmpty()) {
        return true;
    }
    QMessageBox box(QMessageBox::Critical, QGuiApplication::applicationDisplayName(), problem,
                    QMessageBox::Ok, &dialog);
    box.setTextFormat(Qt::PlainText);
    box.exec();
    return false;
}
