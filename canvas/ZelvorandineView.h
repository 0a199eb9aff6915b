// SPDX-License-Identifier: MIT
#pragma once

#include "app/framework/RuntimeClass.h"
#include "app/framework/View.h"

#include <QBasicTimer>
#include <QCursor>
#include <QImage>
#include <QPoint>
#include <QRect>
#include <QString>
#include <optional>

class CFrameWnd;
class QPainter;

// The drawing area. It holds the picture as two layers of equal size: the colour layer (the accepted
// background) and the cover layer (black, etched by the user). The screen always shows cover AND colour.
//
// Nothing but the layers is kept: what the window shows is worked out from them whenever it is needed,
// for a paint and, row by row, for the picture writer. Over the layers' rectangle it is the cover (or,
// while a background is on offer, the colour layer); outside it the window's own colour, or black where
// the first paint blacked the window out before any layer existed.
class CZelvorandineView : public CView {
    Q_OBJECT
    DECLARE_DYNCREATE(CZelvorandineView, CView)
public:
    CZelvorandineView();
    ~CZelvorandineView() override;

    int OnCreate() override;
    // Paints the client area's rectangle clip.
    void OnDraw(QPainter& dc, const QRect& clip);
    // cover := cover AND colour over rect (clipped to the layers), then shown on the window.
    void Compose(const QRect& rect);
    void Compose();
    void OnPrint(QPainter& painter, QPrinter& printer) override;
    void OnPrintDialog(QDialog& dialog) override;
    bool PrintTo(QPrinter& printer) override;
    // Where and how large the composed picture lands on a page whose printable area is pageRect
    // (device units): one picture pixel to ten device units, scaled down to fit.
    static QRect PrintRect(const QSize& picture, const QRect& pageRect);

    void GenerateBackground();
    void OnBackgroundSettings();
    void OnAppExit();
    // Both true once the picture is written; Save As also when the user confirmed a name.
    bool OnFileSave();
    bool OnFileSaveAs();

    // Asks before a new background replaces the picture.
    void OnFileNew();
    // Etched since its background was chosen or it was last written.
    bool IsModified() const { return m_bModified; }
    // Before the picture is discarded: a modified one is offered for saving. False when the user cancelled
    // or the save did not happen; the picture must then stay.
    bool SaveModified();

    void OnPenFine();
    void OnPenMedium();
    void OnPenBold();
    void OnPenCover();

    void OnLButtonDown(Qt::KeyboardModifiers flags, const QPoint& point);
    void OnMouseMove(Qt::MouseButtons buttons, const QPoint& point);
    void OnLButtonUp(Qt::KeyboardModifiers flags, const QPoint& point);

    // Set once the first paint of the process has started the title splash and background choice.
    static bool s_bFirstPaintDone;
    // The largest layer side, whatever the window's size; beyond it the window shows its own colour.
    static constexpr int kMaxLayerSide = 16384;

    QImage m_bmpColor; // null while there is none; RGB32 while on offer, three bytes a pixel once accepted
    QImage m_bmpCover; // null while there is no cover layer
    QString m_strName;
    QCursor m_hCursor;
    int m_bReady = 0;
    int m_nLayerWidth = 0;
    int m_nLayerHeight = 0;
    QPoint m_ptLast;
    QPoint m_ptDown;
    int m_nPenWidth = 1;
    int m_bReveal = 1;

protected:
    void paintEvent(QPaintEvent* e) override;
    void resizeEvent(QResizeEvent* e) override;
    void timerEvent(QTimerEvent* e) override;
    void enterEvent(QEnterEvent* e) override;
    void leaveEvent(QEvent* e) override;
    void mousePressEvent(QMouseEvent* e) override;
    void mouseMoveEvent(QMouseEvent* e) override;
    void mouseReleaseEvent(QMouseEvent* e) override;

private:
    void RunFirstPaintSequence();
    // The layer that shows over the layers' rectangle: the cover, the colour layer during the choice, or
    // none.
    const QImage* ShownLayer() const;
    QRect LayerRect() const;
    // Row nY of what the client area shows, as 3 x width() bytes blue, green, red.
    void StoreShownRow(int nY, unsigned char* pBgr) const;
    // Draws the offered background into a colour layer of the client's size. False when that layer could
    // not be made.
    bool PaintBackground();
    // Both layers gone after one could not be made: the view shows black again, and the user is told.
    void DropLayersAfterFailure();
    // Repaints rect on the screen, at most once per display frame: changes that come faster wait for the
    // next frame, gathered into one rectangle.
    void ShowLater(const QRect& rect);
    void ShowGathered();
    void CompressMovesAgain();
    void SelectTool(int nCursorID, int nPenWidth, int bReveal);
    // Shows m_hCursor over the view.
    void SetPenCursor();
    // Draws into the cover layer with the current pen, then recomposes what changed. The figure lies within
    // the pen's width around rcReach; the picture is marked modified when a pixel of it changed.
    template <class Draw> void DrawOnCover(const QRect& rcReach, Draw draw);
    bool SavePicture(const QString& fileName);
    // Also the caption's modified mark of the frame showing the view.
    void SetModifiedFlag(bool bModified);
    // The frame the view shows in, which is the main window; nullptr for a view on its own.
    CFrameWnd* GetParentFrame() const;

    bool m_bHaveLast = false;
    bool m_bHaveDown = false;
    QRect m_rcBlack;                   // blacked out by the first paint, until the first layer exists
    QRect m_rcToShow;                  // changed since the last repaint was asked for
    QBasicTimer m_frameTimer;          // runs while changes come within a frame of each other
    bool m_bMovesUncompressed = false; // the toolkit's merging of pointer moves was switched off here
    bool m_bModified = false;
    bool m_bNameConfirmed = false; // m_strName was chosen in Save As

    DECLARE_MESSAGE_MAP(CZelvorandineView)
};
