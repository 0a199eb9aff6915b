// SPDX-License-Identifier: MIT
#pragma once

// Helpers for tests that run the whole application object offscreen.

#include "app/ZelvorandineApp.h"
#include "app/framework/FrameWnd.h"
#include "app/framework/RecentFileList.h"
#include "canvas/ZelvorandineView.h"
#include "tests/background/DialogDriver.h"

#include <QApplication>
#include <QLineEdit>
#include <QMessageBox>
#include <QSettings>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <QWindow>

#include <functional>
#include <memory>

namespace apptest {

// Arm just before a call: drive (default: close) gets the modal window it opens; notes its class[: message],
// and when it does not belong to the main window.
inline std::shared_ptr<QString> DriveNextModal(std::function<void(QWidget*)> drive = &QWidget::close) {
    auto seen = std::make_shared<QString>();
    QTimer::singleShot(0, qApp, [seen, drive] {
        if (QWidget* w = QApplication::activeModalWidget()) {
            auto* box = qobject_cast<QMessageBox*>(w);
            *seen = QString(w->metaObject()->className()) + (box != nullptr ? ": " + box->text() : "");
            if (AfxGetMainWnd() != nullptr && !CDialogDriver::BelongsTo(w, AfxGetMainWnd()))
                *seen += " not over the main window";
            drive(w);
        }
    });
    return seen;
}

// A fresh settings folder for this test program (the settings file lives below XDG_CONFIG_HOME).
inline std::unique_ptr<QTemporaryDir> IsolateSettings() {
    auto dir = std::make_unique<QTemporaryDir>();
    qputenv("XDG_CONFIG_HOME", QFile::encodeName(dir->path()));
    return dir;
}

inline bool StartApp(const QStringList& arguments) {
    CZelvorandineView::s_bFirstPaintDone = true; // no splash and background choice on the first paint
    theApp.SetArguments(arguments);
    return theApp.InitInstance();
}

inline void StopApp() {
    theApp.ExitInstance();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
}

inline CFrameWnd* Frame() {
    return AfxGetMainWnd();
}

inline CZelvorandineView* View() {
    return qobject_cast<CZelvorandineView*>(Frame()->GetActiveView());
}

// The caption as the window system shows it, the toolkit's "[*]" mark resolved.
inline QString Caption() {
    return Frame()->windowHandle()->title();
}

// Types into the save dialog's name field and ends the dialog with key, as a person does.
inline void TypeName(QDialog* pDialog, const QString& typed, Qt::Key key = Qt::Key_Return) {
    auto* pEdit = pDialog->findChild<QLineEdit*>("fileNameEdit");
    QApplication::setActiveWindow(pDialog); // offscreen, nothing activates it
    pEdit->setFocus(Qt::OtherFocusReason);
    pEdit->setText(typed);
    QTest::keyClick(pEdit, key);
}

} // namespace apptest
