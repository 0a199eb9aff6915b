#pragma once

#include "res/ResourceIds.h"

#include <QAbstractButton>
#include <QApplication>
#include <QDialog>
#include <QEvent>
#include <QPointer>
#include <QStringList>
#include <QTest>
#include <QTimer>
#include <QWidget>

#include <deque>
#include <functional>
#include <utility>

// Answers the modal dialogs that a call runs, one scripted step per dialog shown, the way a person would:
// clicks on buttons, keys to the focused control, the close box. A dialog object shown again (the
// choice dialog runs once per attempt) counts as a new showing. Dialogs beyond the script are ended at
// once and recorded, so that a loop that runs too long fails instead of hanging.
class CDialogDriver : public QObject {
public:
    using Step = std::function<void(QDialog*)>;

    CDialogDriver() { qApp->installEventFilter(this); }
    ~CDialogDriver() override { qApp->removeEventFilter(this); }

    // The next showing must be the dialog with objectName name; step answers it.
    void Expect(const QString& name, Step step) { m_steps.emplace_back(name, std::move(step)); }
    void Expect(const QString& name, int nTimes, const Step& step) {
        for (int i = 0; i < nTimes; ++i)
            Expect(name, step);
    }

    // The objectName of every modal dialog shown, in order.
    const QStringList& Seen() const { return m_seen; }
    int Count(const QString& name) const { return int(m_seen.count(name)); }
    // True once every step ran and nothing unexpected showed.
    bool Finished() const { return m_steps.empty() && m_faults.isEmpty(); }
    // Dialogs that came unexpected or in the wrong order; empty when the script was followed.
    const QStringList& Faults() const { return m_faults; }

    static QAbstractButton* Button(QDialog* pDialog, int nID) {
        return pDialog->findChild<QAbstractButton*>(QStringLiteral("control%1").arg(nID));
    }
    static Step Click(int nID) {
        return [nID](QDialog* pDialog) {
            QAbstractButton* pButton = Button(pDialog, nID);
            QVERIFY(pButton != nullptr);
            QTest::mouseClick(pButton, Qt::LeftButton);
        };
    }
    // A key goes to the control that has the focus, like a real key press.
    static Step Key(Qt::Key key) {
        return [key](QDialog* pDialog) { SendKey(pDialog, key); };
    }
    static void SendKey(QDialog* pDialog, Qt::Key key) {
        QWidget* pTarget = pDialog->focusWidget() != nullptr ? pDialog->focusWidget() : pDialog;
        QTest::keyClick(pTarget, key);
    }
    static Step CloseBox() {
        return [](QDialog* pDialog) { pDialog->close(); };
    }
    // Leaves the dialog alone (it ends by itself).
    static Step Wait() {
        return [](QDialog*) {};
    }

protected:
    bool eventFilter(QObject* pWatched, QEvent* e) override {
        if (e->type() == QEvent::Show && pWatched->isWidgetType()) {
            auto* pDialog = qobject_cast<QDialog*>(pWatched);
            if (pDialog != nullptr && pDialog->isWindow() && pDialog->isModal()) {
                // Answered from the dialog's own event loop, once it runs.
                QPointer<QDialog> guard(pDialog);
                QTimer::singleShot(0, this, [this, guard] {
                    if (guard && guard->isVisible())
                        Answer(guard);
                });
            }
        }
        return QObject::eventFilter(pWatched, e);
    }

private:
    void Answer(QDialog* pDialog) {
        const QString name = pDialog->objectName();
        m_seen.append(name);
        // Once off the script, every dialog is ended at once.
        if (!m_faults.isEmpty() || m_steps.empty() || m_steps.front().first != name) {
            m_faults.append(QStringLiteral("unexpected %1 as showing %2").arg(name).arg(m_seen.size()));
            End(pDialog);
            return;
        }
        const Step step = std::move(m_steps.front().second);
        m_steps.pop_front();
        QPointer<QDialog> guard(pDialog);
        step(pDialog);
        // A step that failed half-way must not leave its dialog waiting for ever.
        if (QTest::currentTestFailed() && guard && guard->isVisible())
            End(guard);
    }

    static void End(QDialog* pDialog) {
        QAbstractButton* pUseThis = Button(pDialog, IDC_USE_THIS);
        if (pDialog->objectName() == QLatin1String("backgroundDlg") && pUseThis != nullptr) {
            pUseThis->click();
        } else {
            pDialog->reject();
        }
    }

    std::deque<std::pair<QString, Step>> m_steps;
    QStringList m_seen;
    QStringList m_faults;
};
