// SPDX-License-Identifier: MIT
#pragma once

#include "app/framework/CmdTarget.h"
#include "app/framework/RuntimeClass.h"
#include "app/resources/CommandActions.h"

#include <QMainWindow>
#include <QPointer>
#include <vector>

class CDocument;
class CSettingsFile;
class CView;
class QAction;
class QMenu;
class QSessionManager;

struct CCreateContext {
    const CRuntimeClassT<CView>* m_pNewViewClass = nullptr;
    CDocument* m_pCurrentDoc = nullptr;
    CSettingsFile* m_pSettingsFile = nullptr; // where the frame keeps its place between runs
    CCmdTarget* m_pApp = nullptr;             // offered the commands that no window takes
};

// A top-level window with a menu, accelerators, control bars and one view. Commands from its menu,
// accelerators and toolbars are offered to the active view, its document, the frame and the application.
class CFrameWnd : public QMainWindow, public CCmdTarget {
    Q_OBJECT
public:
    CFrameWnd();
    ~CFrameWnd() override;

    // Loads menu, accelerators, icon and caption of resource nIDResource and creates the window's
    // contents through OnCreate. False when OnCreate failed.
    bool LoadFrame(int nIDResource, CCreateContext* pContext);
    virtual bool PreCreateWindow() { return true; }
    // Creates the view; derived frames add their bars. 0 on success, -1 on failure.
    virtual int OnCreate(CCreateContext* pContext);

    // After the document was created or opened: the caption, the view's initial update, then the window shown
    // when bMakeVisible.
    void InitialUpdateFrame(bool bMakeVisible);

    CView* GetActiveView() const { return m_pActiveView; }
    CDocument* GetActiveDocument() const;

    bool OnCmdMsg(int nID, CmdCode code, CCmdUI* pCmdUI) override;
    // Routes a command as a menu pick does, then refreshes the state of every item.
    void SendCommand(int nID);
    // Asks the road whether command nID is enabled, and its check state (-1 when nobody set one).
    bool IsCommandEnabled(int nID, int* pCheck = nullptr);
    void UpdateCommandUI();

    // The one action of a command: shared by its menu item, toolbar button and accelerators.
    QAction* GetCommandAction(int nID) { return m_actions.Get(nID); }
    QAction* FindCommandAction(int nID) const { return m_actions.Find(nID); }
    QMenu* GetMenu(int nIndex) const;

    // Control bars in the order of their creation: the View toggles act on the first with the id.
    void RegisterControlBar(QWidget* pBar, int nControlID);
    QWidget* GetControlBar(int nControlID) const;
    void ShowControlBar(QWidget* pBar, bool bShow, bool bDelay);

    // Shows text in the message pane of the frame's status bar.
    virtual void SetMessageText(const QString& text) = 0;
    // What the message pane shows while no item is under the pointer.
    QString GetIdleText() const;

    // The document's title and the application's name; a modified window marks the title.
    void OnUpdateFrameTitle();
    // Sets the whole caption; the text is shown as it is, marked while the window is modified.
    void SetWindowText(const QString& text);

    // The desktop session is about to end: true lets it end, false (the user cancelled) keeps it going.
    bool OnQueryEndSession();

    // The framework's handlers, bound by the frames that offer them.
    void OnBarCheck(int nID);
    void OnUpdateControlBarMenu(CCmdUI* pCmdUI);
    void OnContextHelp();

Q_SIGNALS:
    // The window closes for good: the document agreed.
    void Closing();

protected:
    bool event(QEvent* e) override;
    void closeEvent(QCloseEvent* e) override;
    QMenu* createPopupMenu() override { return nullptr; }

private:
    void UpdateMenu(QMenu* pMenu);
    void ApplyUpdate(QAction* pAction, int nID);
    void OnCommitDataRequest(QSessionManager& manager);

    CView* m_pActiveView = nullptr;
    CCmdTarget* m_pApp = nullptr;
    CCommandActions m_actions;
    std::vector<QMenu*> m_menus;
    std::vector<std::pair<QPointer<QWidget>, int>> m_controlBars;
    bool m_bHelpMode = false;

    DECLARE_MESSAGE_MAP(CFrameWnd)
};
