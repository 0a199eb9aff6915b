// SPDX-License-Identifier: MIT
#pragma once

#include "res/ResourceIds.h"

#include <QAbstractButton>
#include <QApplication>
#include <QPointer>
#include <QTest>
#include <QTimer>
#include <QWindow>

#include <deque>
#include <functional>

// Answers the modal dialogs a call runs, a scripted step per showing; one off the script is a fault and is
// ended at once, so that a runaway loop fails instead of hanging.
class CDialogDriver : public QObject {
public:
    using Step = std::function<void(QDialog*)>;

    CDialogDriver() { qApp->installEventFilter(this); }
    ~CDialogDriver() override { qApp->removeEventFilter(this); }

    void Expect(const QString& name, Step step) { m_steps.emplace_back(name, std::move(step)); }
    bool Finished() const { return m_steps.empty() && m_faults.isEmpty(); }
    const QStringList& Faults() const { return m_faults; }

    static QAbstractButton* Button(QDialog* pDialog, int nID) {
        return pDialog->findChild<QAbstractButton*>(QStringLiteral("control%1").arg(nID));
    }
    static Step Click(int nID) {
        return [nID](QDialog* pDialog) {
            QVERIFY(Button(pDialog, nID) != nullptr);
            QTest::mouseClick(Button(pDialog, nID), Qt::LeftButton);
        };
    }
    // The window system places a dialog over the window it belongs to: the main window, or the dialog that
    // opened it, which belongs to the main window.
    static bool BelongsTo(QWidget* pDialog, QWidget* pMain) {
        QWindow* pOwner = pDialog->windowHandle()->transientParent();
        while (pOwner != nullptr && pOwner != pMain->windowHandle())
            pOwner = pOwner->transientParent();
        return pOwner != nullptr;
    }
    static void SendKey(QDialog* pDialog, Qt::Key key) { // to the focused control, like a real key press
        QTest::keyClick(pDialog->focusWidget() != nullptr ? pDialog->focusWidget() : pDialog, key);
    }

protected:
    bool eventFilter(QObject* pWatched, QEvent* e) override {
        auto* pDialog = e->type() == QEvent::Show ? qobject_cast<QDialog*>(pWatched) : nullptr;
        if (pDialog != nullptr && pDialog->isWindow() && pDialog->isModal()) // answered from its own loop
            QTimer::singleShot(0, this, [this, guard = QPointer<QDialog>(pDialog)] { Answer(guard); });
        return false;
    }

private:
    void Answer(QPointer<QDialog> guard) {
        if (!guard || !guard->isVisible())
            return;
        const QString name = guard->objectName();
        for (QWidget* pWindow : QApplication::topLevelWidgets())
            if (pWindow->inherits("CFrameWnd") && pWindow->isVisible() && !BelongsTo(guard, pWindow))
                m_faults.append(name + QStringLiteral(" not over the main window"));
        const bool bOnScript = m_faults.isEmpty() && !m_steps.empty() && m_steps.front().first == name;
        if (bOnScript) {
            const Step step = std::move(m_steps.front().second);
            m_steps.pop_front();
            step(guard);
        }
        if (!bOnScript || QTest::currentTestFailed())
            m_faults.append(name + (bOnScript ? QStringLiteral(" failed") : QStringLiteral(" unexpected")));
        // Such a dialog is ended; the choice dialog is accepted, as rejecting it would open the settings.
        if (guard && guard->isVisible() && !m_faults.isEmpty())
            Button(guard, IDC_USE_THIS) != nullptr ? Button(guard, IDC_USE_THIS)->click() : guard->reject();
    }

    std::deque<std::pair<QString, Step>> m_steps;
    QStringList m_faults;
};
