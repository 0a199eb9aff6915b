// SPDX-License-Identifier: MIT
#pragma once

#include "app/framework/RuntimeClass.h"
#include "app/framework/View.h"

#include <QCursor>
#include <QImage>
#include <QPoint>
#include <QString>
#include <optional>

// The drawing area. It holds the picture as two layers of equal size: the colour layer (the accepted
// background) and the cover layer (black, etched by the user). The screen always shows cover AND colour.
//
// What the window shows is kept in a window surface, an image of the client area's size: drawing
// "onto the window" draws there, paintEvent copies it to the screen, and the picture writer reads it.
class CZelvorandineView : public CView {
    Q_OBJECT
    DECLARE_DYNCREATE(CZelvorandineView, CView)
public:
    CZelvorandineView();
    ~CZelvorandineView() override;

    int OnCreate() override;
    // Paints the client area's rectangle clip into the window surface.
    void OnDraw(const QRect& clip);
    // cover := cover AND colour over rect (clipped to the layers), then shown on the window.
    void Compose(const QRect& rect);
    void Compose();
    void OnPrint(QPainter& painter, QPrinter& printer) override;
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

    const QImage& WindowSurface() const { return m_surface; }

    // Set once the first paint of the process has started the title splash and background choice.
    static bool s_bFirstPaintDone;

    QImage m_bmpColor; // null while there is no colour layer
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
    void mousePressEvent(QMouseEvent* e) override;
    void mouseMoveEvent(QMouseEvent* e) override;
    void mouseReleaseEvent(QMouseEvent* e) override;

private:
    void ResizeSurface(const QSize& size);
    void RunFirstPaintSequence();
    void SelectTool(int nCursorID, int nPenWidth, int bReveal);
    // Shows m_hCursor over the view.
    void SetPenCursor();
    // Draws into the cover layer with the current pen, then recomposes what changed.
    template <class Draw> void DrawOnCover(Draw draw);
    bool SavePicture(const QString& fileName);
    // Also the caption's modified mark of the frame showing the view.
    void SetModifiedFlag(bool bModified);

    QImage m_surface;
    bool m_bHaveLast = false;
    bool m_bHaveDown = false;
    QRect m_rcToShow; // changed on the window since the last paint
    bool m_bModified = false;
    bool m_bNameConfirmed = false; // m_strName was chosen in Save As

    DECLARE_MESSAGE_MAP(CZelvorandineView)
};
