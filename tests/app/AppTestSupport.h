#pragma once

// Helpers for tests that run the whole application object offscreen.

#include "app/ZelvorandineApp.h"
#include "app/framework/FrameWnd.h"
#include "app/framework/RecentFileList.h"
#include "app/framework/StatusBar.h"
#include "canvas/ZelvorandineView.h"

#include <QAbstractButton>
#include <QApplication>
#include <QElapsedTimer>
#include <QMessageBox>
#include <QPointer>
#include <QSettings>
#include <QStringList>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <QWindow>

#include <functional>
#include <memory>

namespace apptest {

inline const char* kIdleText = "ﾍﾙﾌﾟを表示するには [F1] を押してください。";

// What a modal watch saw: the first modal window shown after it started.
struct ModalSeen {
    bool bSeen = false;
    QString objectName;
    QString className;
    QString title;
    QString text; // a message box's text
};

// Calls drive() on the first application-modal window that shows up within timeoutMs. Runs from the
// event loop, so it must be armed before the call that opens the window.
inline std::shared_ptr<ModalSeen> DriveNextModal(std::function<void(QWidget*)> drive, int timeoutMs = 5000) {
    auto seen = std::make_shared<ModalSeen>();
    auto* timer = new QTimer(qApp);
    timer->setInterval(5);
    auto elapsed = std::make_shared<QElapsedTimer>();
    elapsed->start();
    QObject::connect(timer, &QTimer::timeout, timer, [timer, seen, elapsed, timeoutMs, drive] {
        QWidget* w = QApplication::activeModalWidget();
        if (w != nullptr && w->isVisible()) {
            timer->stop();
            timer->deleteLater();
            seen->bSeen = true;
            seen->objectName = w->objectName();
            seen->className = QString::fromLatin1(w->metaObject()->className());
            seen->title = w->windowTitle();
            if (auto* box = qobject_cast<QMessageBox*>(w)) {
                seen->text = box->text();
            }
            drive(w);
        } else if (elapsed->elapsed() > timeoutMs) {
            timer->stop();
            timer->deleteLater();
        }
    });
    timer->start();
    return seen;
}

// Presses the OK button of a message box (or rejects any other dialog).
inline void Dismiss(QWidget* w) {
    if (auto* box = qobject_cast<QMessageBox*>(w)) {
        if (QAbstractButton* ok = box->button(QMessageBox::Ok)) {
            ok->click();
            return;
        }
    }
    if (auto* dialog = qobject_cast<QDialog*>(w)) {
        dialog->reject();
    } else {
        w->close();
    }
}

inline QList<QWidget*> VisibleTopLevels() {
    QList<QWidget*> result;
    for (QWidget* w : QApplication::topLevelWidgets()) {
        if (w->isVisible() && !w->inherits("QTipLabel")) {
            result << w;
        }
    }
    return result;
}

// Points the per-user settings at a fresh folder for the life of the test program.
inline std::unique_ptr<QTemporaryDir> IsolateSettings() {
    auto dir = std::make_unique<QTemporaryDir>();
    QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, dir->path());
    QSettings::setPath(QSettings::IniFormat, QSettings::UserScope, dir->path());
    return dir;
}

inline bool StartApp(const QStringList& arguments) {
    // The splash and the background choice of the first paint are not part of these tests.
    CZelvorandineView::s_bFirstPaintDone = true;
    theApp.SetArguments(arguments);
    return theApp.InitInstance();
}

inline void StopApp() {
    theApp.ExitInstance();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    QCoreApplication::processEvents();
}

inline CFrameWnd* Frame() {
    return AfxGetMainWnd();
}

// Without a window manager nothing gives the activation back to the main window when a dialog closes;
// keyboard shortcuts need it.
inline bool ActivateFrame() {
    Frame()->activateWindow();
    return QTest::qWaitForWindowActive(Frame());
}

inline CZelvorandineView* View() {
    return Frame() != nullptr ? qobject_cast<CZelvorandineView*>(Frame()->GetActiveView()) : nullptr;
}

// The caption as the window system shows it (the toolkit's "[*]" mark already resolved).
inline QString Caption() {
    QWidget* frame = Frame();
    return frame != nullptr && frame->windowHandle() != nullptr ? frame->windowHandle()->title() : QString();
}

inline QString Pane0() {
    return Frame()->GetMessageBar()->GetPaneText(0);
}

inline QStringList RecentFiles() {
    QStringList files;
    if (CRecentFileList* list = theApp.GetRecentFileList()) {
        for (int i = 0; i < list->GetSize(); ++i) {
            files << (*list)[i];
        }
    }
    return files;
}

} // namespace apptest
