// SPDX-License-Identifier: MIT
#pragma once

#include "app/framework/CmdTarget.h"
#include "app/framework/RuntimeClass.h"

#include <QMainWindow>
#include <QPointer>
#include <map>
#include <vector>

class CDocument;
class CKeyboardIndicators;
class CSettingsFile;
class CStatusBar;
class CView;
class QAction;
class QMenu;
class QMouseEvent;
class QSessionManager;

struct CCreateContext {
    const CRuntimeClassT<CView>* m_pNewViewClass = nullptr;
    CDocument* m_pCurrentDoc = nullptr;
    CSettingsFile* m_pSettingsFile = nullptr; // where the frame keeps its place between runs
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

    CView* GetActiveView() const { return m_pActiveView; }
    CDocument* GetActiveDocument() const;

    bool OnCmdMsg(int nID, CmdCode code, CCmdUI* pCmdUI) override;
    // Routes a command as a menu pick does, then refreshes the state of every item.
    void SendCommand(int nID);
    // Asks the road whether command nID is enabled, and its check state (-1 when nobody set one).
    bool IsCommandEnabled(int nID, int* pCheck = nullptr);
    void UpdateCommandUI();

    // The one action of a command: shared by its menu item, toolbar button and accelerators.
    QAction* GetCommandAction(int nID);
    QAction* FindCommandAction(int nID) const;
    QMenu* GetMenu(int nIndex) const;

    // Control bars in the order of their creation: the View toggles act on the first with the id.
    void RegisterControlBar(QWidget* pBar, int nControlID);
    QWidget* GetControlBar(int nControlID) const;
    void ShowControlBar(QWidget* pBar, bool bShow, bool bDelay);

    void SetStatusBar(CStatusBar* pStatusBar);
    CStatusBar* GetMessageBar() const { return m_pStatusBar; }
    void SetMessageText(const QString& text);
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
    void OnUpdateKeyIndicator(CCmdUI* pCmdUI);
    void OnHelp();
    void OnHelpFinder();
    void OnContextHelp();

    void UpdateIndicators();

protected:
    bool event(QEvent* e) override;
    void closeEvent(QCloseEvent* e) override;
    bool eventFilter(QObject* watched, QEvent* e) override;
    QMenu* createPopupMenu() override { return nullptr; }

private:
    void BuildMenu();
    void BuildAccelerators();
    void UpdateMenu(QMenu* pMenu);
    void ApplyUpdate(QAction* pAction, int nID);
    void OnCommitDataRequest(QSessionManager& manager);
    // A drag that starts on the frame's own background keeps going to the widget pressed; its moves over the
    // view are given to the view too, so that the drag etches once it gets there.
    void ForwardDragToView(QWidget* pWidget, QMouseEvent* e);
    bool IsBackground(QWidget* pWidget, const QPointF& globalPos) const;

    CView* m_pActiveView = nullptr;
    CStatusBar* m_pStatusBar = nullptr;
    std::map<int, QAction*> m_actions;
    std::vector<QMenu*> m_menus;
    std::vector<std::pair<QPointer<QWidget>, int>> m_controlBars;
    CKeyboardIndicators* m_pIndicators = nullptr;
    QPointer<QWidget> m_pHelpWindow;
    // The frame's background widget that took the left button's press, while the button is held.
    QPointer<QWidget> m_pDragSource;
    bool m_bHelpMode = false;

    DECLARE_MESSAGE_MAP(CFrameWnd)
};
