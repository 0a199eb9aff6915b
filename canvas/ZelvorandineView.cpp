// SPDX-License-Identifier: MIT
#include "canvas/ZelvorandineView.h"

#include "app/framework/FrameWnd.h"
#include "app/framework/Resources.h"
#include "app/framework/WinApp.h"
#include "background/BackgroundDlg.h"
#include "background/ColorSettings.h"
#include "background/ColorSettingsDlg.h"
#include "background/ShapeGenerator.h"
#include "background/SplashDlg.h"
#include "canvas/Compositor.h"
#include "canvas/ImageSurface.h"
#include "output/PictureWriter.h"
#include "output/SafeFile.h"
#include "output/SaveAsDialog.h"
#include "res/ResourceIds.h"

#include <QAbstractButton>
#include <QDir>
#include <QFileInfo>
#include <QMessageBox>
#include <QMouseEvent>
#include <QPaintEvent>
#include <QPainter>
#include <QPointer>
#include <QPrinter>
#include <QTimer>

IMPLEMENT_DYNCREATE(CZelvorandineView, CView)

BEGIN_MESSAGE_MAP(CZelvorandineView, CView)
ON_COMMAND(ID_FILE_NEW, OnFileNew)
ON_COMMAND(ID_BACKGROUND_SETTINGS, OnBackgroundSettings)
ON_COMMAND(ID_APP_EXIT, OnAppExit)
ON_COMMAND(ID_FILE_SAVE, OnFileSave)
ON_COMMAND(ID_FILE_SAVE_AS, OnFileSaveAs)
ON_COMMAND(ID_PEN_FINE, OnPenFine)
ON_COMMAND(ID_PEN_MEDIUM, OnPenMedium)
ON_COMMAND(ID_PEN_BOLD, OnPenBold)
ON_COMMAND(ID_PEN_COVER, OnPenCover)
END_MESSAGE_MAP()

bool CZelvorandineView::s_bFirstPaintDone = false;

namespace {

constexpr int kMaxAttempts = 100;
constexpr int kPrintScale = 10;

enum BackgroundChoice { kRedraw = 0, kUseThis = 1, kSettings = 2, kQuit = 3 };

QImage BlackLayer(int nWidth, int nHeight) {
    QImage layer(nWidth, nHeight, QImage::Format_RGB32);
    layer.fill(Qt::black);
    return layer;
}

} // namespace

CZelvorandineView::CZelvorandineView() : m_strName(QString::fromUtf8("名称未決定")) {
    setObjectName(QStringLiteral("zelvorandineView"));
    setAttribute(Qt::WA_OpaquePaintEvent);
    setAttribute(Qt::WA_NoSystemBackground);
    setMouseTracking(true);
    setWhatsThis(CResources::LoadString(IDS_VIEW_WHATS_THIS));
}

CZelvorandineView::~CZelvorandineView() = default;

int CZelvorandineView::OnCreate() {
    m_hCursor = CResources::LoadCursor(IDC_PEN_CURSOR);
    return 0;
}

// ---- the window surface ------------------------------------------------------------------------

void CZelvorandineView::ResizeSurface(const QSize& size) {
    if (size == m_surface.size()) {
        return;
    }
    QImage surface(size.expandedTo(QSize(0, 0)), QImage::Format_RGB32);
    surface.fill(palette().color(QPalette::Window));
    if (!m_surface.isNull() && !surface.isNull()) {
        CCompositor::Copy(surface, QPoint(0, 0), m_surface, m_surface.rect());
    }
    m_surface = surface;
}

void CZelvorandineView::resizeEvent(QResizeEvent* e) {
    ResizeSurface(e->size());
    CView::resizeEvent(e);
}

void CZelvorandineView::paintEvent(QPaintEvent* e) {
    m_rcToShow = QRect();
    ResizeSurface(size());
    OnDraw(e->rect());
    QPainter painter(this);
    painter.drawImage(e->rect(), m_surface, e->rect());
}

void CZelvorandineView::OnDraw(const QRect& clip) {
    if (!s_bFirstPaintDone) {
        s_bFirstPaintDone = true;
        CImageSurface(m_surface).FillBlack(0, 0, m_surface.width(), m_surface.height());
        // No nested event loop inside a paint: the splash and the choice run right after it.
        QTimer::singleShot(0, this, &CZelvorandineView::RunFirstPaintSequence);
        return;
    }
    const QRect area = clip & QRect(0, 0, m_nLayerWidth, m_nLayerHeight);
    if (!m_bmpCover.isNull() && !m_bmpColor.isNull()) {
        CCompositor::AndInto(m_bmpCover, m_bmpColor, area);
        CCompositor::Copy(m_surface, area.topLeft(), m_bmpCover, area);
    } else if (!m_bmpColor.isNull()) {
        // The choice dialog is open: the offered background shows.
        CCompositor::Copy(m_surface, area.topLeft(), m_bmpColor, area);
    }
}

void CZelvorandineView::RunFirstPaintSequence() {
    QPointer<CZelvorandineView> self(this);
    {
        CSplashDlg splash;
        splash.DoModal();
    }
    if (self) {
        GenerateBackground();
    }
}

void CZelvorandineView::Compose(const QRect& rect) {
    SetPenCursor();
    if (m_bReady != 1 || m_bmpCover.isNull() || m_bmpColor.isNull()) {
        return;
    }
    const QRect area = rect & QRect(0, 0, m_nLayerWidth, m_nLayerHeight);
    if (area.isEmpty()) {
        return;
    }
    CCompositor::AndInto(m_bmpCover, m_bmpColor, area);
    CCompositor::Copy(m_surface, area.topLeft(), m_bmpCover, area);
    // Moves that come faster than paints would pile up their rectangles in the toolkit's dirty region,
    // each one costing more than the last; one growing rectangle keeps it a single rectangle.
    m_rcToShow |= area;
    update(m_rcToShow);
}

void CZelvorandineView::Compose() {
    Compose(QRect(0, 0, m_nLayerWidth, m_nLayerHeight));
}

// ---- background choice -------------------------------------------------------------------------

void CZelvorandineView::GenerateBackground() {
    QPointer<CZelvorandineView> self(this);
    bool bQuit = false;
    m_bmpCover = QImage();
    m_bmpColor = QImage();
    SetModifiedFlag(false);

    CBackgroundDlg dialog;
    for (int nAttempt = 1;; ++nAttempt) {
        ResizeSurface(size());
        CImageSurface windowDC(m_surface);
        g_generator.Draw(windowDC);
        m_nLayerWidth = width();
        m_nLayerHeight = height();
        m_bmpColor = m_surface.copy();
        update();

        const int nResult = dialog.DoModal();
        if (!self) {
            return;
        }
        if (nResult == kUseThis) {
            break;
        }
        if (nResult == kSettings) {
            OnBackgroundSettings();
            if (!self) {
                return;
            }
        } else if (nResult == kQuit) {
            bQuit = true;
            break;
        }
        if (nAttempt >= kMaxAttempts) {
            break;
        }
    }

    m_bmpCover = BlackLayer(m_nLayerWidth, m_nLayerHeight);
    ResizeSurface(size());
    CCompositor::Copy(m_surface, QPoint(0, 0), m_bmpCover, m_bmpCover.rect());
    update();
    m_bReady = 1;

    if (bQuit) {
        OnAppExit();
    }
}

void CZelvorandineView::OnBackgroundSettings() {
    CColorSettingsDlg dialog;
    dialog.m_nRedPos = g_colorSettings.nRed;
    dialog.m_nGreenPos = g_colorSettings.nGreen;
    dialog.m_nBluePos = g_colorSettings.nBlue;
    dialog.m_nContrastPos = g_colorSettings.nContrast;
    if (dialog.DoModal() == IDOK) {
        g_colorSettings.nRed = dialog.m_nRedPos;
        g_colorSettings.nGreen = dialog.m_nGreenPos;
        g_colorSettings.nBlue = dialog.m_nBluePos;
        g_colorSettings.nContrast = dialog.m_nContrastPos;
    }
    g_generator.m_nRed = g_colorSettings.nRed;
    g_generator.m_nGreen = g_colorSettings.nGreen;
    g_generator.m_nBlue = g_colorSettings.nBlue;
    g_generator.m_nContrast = g_colorSettings.nContrast;
}

void CZelvorandineView::OnAppExit() {
    // The frame may be gone when close() returns: nothing may follow it here.
    if (CFrameWnd* pMainWnd = AfxGetMainWnd()) {
        pMainWnd->close();
    }
}

// ---- printing ----------------------------------------------------------------------------------

QRect CZelvorandineView::PrintRect(const QSize& picture, const QRect& pageRect) {
    if (picture.isEmpty() || pageRect.isEmpty()) {
        return {};
    }
    const qint64 nWidth = qint64(picture.width()) * kPrintScale;
    const qint64 nHeight = qint64(picture.height()) * kPrintScale;
    if (nWidth <= pageRect.width() && nHeight <= pageRect.height()) {
        return QRect(pageRect.topLeft(), QSize(int(nWidth), int(nHeight)));
    }
    // Too large for the page: scaled down, proportions kept, rather than cut off.
    const double scale = std::min(double(pageRect.width()) / double(picture.width()),
                                  double(pageRect.height()) / double(picture.height()));
    const QSize fitted(qMax(1, int(picture.width() * scale)), qMax(1, int(picture.height() * scale)));
    return QRect(pageRect.topLeft(), fitted);
}

void CZelvorandineView::OnPrint(QPainter& painter, QPrinter& printer) {
    if (m_bmpCover.isNull() || m_bmpColor.isNull()) {
        return;
    }
    CCompositor::AndInto(m_bmpCover, m_bmpColor, m_bmpCover.rect());
    const QRect page(QPoint(0, 0), printer.pageLayout().paintRectPixels(printer.resolution()).size());
    painter.setRenderHint(QPainter::SmoothPixmapTransform, false);
    // Printing goes through PDF, where pictures are JPEG by default: that would bleed the colour of a thin
    // etched line into the black around it.
    painter.setRenderHint(QPainter::LosslessImageRendering, true);
    painter.drawImage(PrintRect(m_bmpCover.size(), page), m_bmpCover);
}

// ---- etching -----------------------------------------------------------------------------------

void CZelvorandineView::SetPenCursor() {
    // Setting the same cursor again would make the platform rebuild it on every mouse move.
    if (!testAttribute(Qt::WA_SetCursor) || cursor() != m_hCursor) {
        setCursor(m_hCursor);
    }
}

void CZelvorandineView::SelectTool(int nCursorID, int nPenWidth, int bReveal) {
    m_hCursor = CResources::LoadCursor(nCursorID);
    m_nPenWidth = nPenWidth;
    m_bReveal = bReveal;
}

void CZelvorandineView::OnPenFine() {
    SelectTool(IDC_PEN_CURSOR, 1, 1);
}
void CZelvorandineView::OnPenMedium() {
    SelectTool(IDC_PEN_CURSOR, 2, 1);
}
void CZelvorandineView::OnPenBold() {
    SelectTool(IDC_PEN_CURSOR, 4, 1);
}
void CZelvorandineView::OnPenCover() {
    SelectTool(IDC_COVER_CURSOR, 10, 0);
}

template <class Draw> void CZelvorandineView::DrawOnCover(Draw draw) {
    if (m_bmpCover.isNull()) {
        return;
    }
    const PackedColor color = m_bReveal == 1 ? kWhite : kBlack;
    CImageSurface dc(m_bmpCover);
    dc.SelectPen(CPenSpec{m_nPenWidth, color});
    dc.SelectBrush(color);
    draw(dc, color);
    const QRect rcDrawn = dc.TakeDirtyRect();
    Compose(rcDrawn);
    if (!rcDrawn.isEmpty()) {
        SetModifiedFlag(true);
    }
}

void CZelvorandineView::OnLButtonDown(Qt::KeyboardModifiers, const QPoint& point) {
    SetPenCursor();
    m_ptLast = point;
    m_ptDown = point;
    m_bHaveLast = true;
    m_bHaveDown = true;
}

void CZelvorandineView::OnMouseMove(Qt::MouseButtons buttons, const QPoint& point) {
    SetPenCursor();
    if (!(buttons & Qt::LeftButton)) {
        return;
    }
    // With the button held the toolkit keeps reporting moves outside the view: the stroke pauses there
    // and goes on from the last point seen inside.
    if (!rect().contains(point)) {
        return;
    }
    if (!m_bHaveLast) {
        m_ptLast = point;
        m_bHaveLast = true;
    }
    const QPoint from = m_ptLast;
    DrawOnCover([&](CImageSurface& dc, PackedColor) {
        dc.MoveTo(from.x(), from.y());
        dc.LineTo(point.x(), point.y());
        if (m_bReveal == 0) {
            const int h = m_nPenWidth / 2;
            dc.Ellipse(point.x() - h, point.y() - h, point.x() + h, point.y() + h);
        }
    });
    m_ptLast = point;
}

void CZelvorandineView::OnLButtonUp(Qt::KeyboardModifiers, const QPoint& point) {
    SetPenCursor();
    // A release that no press in the view went with (a dialog closed on its press) leaves no mark.
    if (!m_bHaveDown || point != m_ptDown) {
        return;
    }
    DrawOnCover([&](CImageSurface& dc, PackedColor color) {
        if (m_nPenWidth == 1) {
            dc.SetPixel(point.x(), point.y(), color);
        }
        dc.Rectangle(point.x(), point.y(), point.x() + m_nPenWidth, point.y() + m_nPenWidth);
    });
}

void CZelvorandineView::mousePressEvent(QMouseEvent* e) {
    if (e->button() == Qt::LeftButton) {
        OnLButtonDown(e->modifiers(), e->position().toPoint());
    }
    CView::mousePressEvent(e);
}

void CZelvorandineView::mouseMoveEvent(QMouseEvent* e) {
    OnMouseMove(e->buttons(), e->position().toPoint());
    CView::mouseMoveEvent(e);
}

void CZelvorandineView::mouseReleaseEvent(QMouseEvent* e) {
    if (e->button() == Qt::LeftButton) {
        OnLButtonUp(e->modifiers(), e->position().toPoint());
    }
    CView::mouseReleaseEvent(e);
}

// ---- saving ------------------------------------------------------------------------------------

bool CZelvorandineView::SavePicture(const QString& fileName) {
    ResizeSurface(size());
    QString reason;
    CPictureWriter writer;
    // A client area with no rows or no columns has no surface image, but its file still names its width
    // and height.
    const bool bWritten = m_surface.isNull()
                              ? writer.WritePicture(
                                    width(), height(), [](int, unsigned char*) {}, fileName, &reason)
                              : writer.WritePicture(m_surface, fileName, &reason);
    if (bWritten) {
        SetModifiedFlag(false);
        return true;
    }
    AfxMessageBox(CResources::Format(IDS_SAVE_FAILED,
                                     QDir::toNativeSeparators(CSafeFile::AbsolutePath(fileName)), reason),
                  QMessageBox::Critical);
    return false;
}

bool CZelvorandineView::OnFileSave() {
    return SavePicture(m_strName);
}

bool CZelvorandineView::OnFileSaveAs() {
    const std::optional<QString> chosen = CSaveAsDialog::Ask(m_strName, AfxGetMainWnd());
    if (!chosen) {
        // Cancelled: no file is written and neither the name nor the title changes.
        return false;
    }
    const QFileInfo file(*chosen);
    if (!SavePicture(*chosen)) {
        return false;
    }
    // Later saves write into the folder the user confirmed, under the chosen name.
    QDir::setCurrent(file.absolutePath());
    m_strName = file.fileName();
    m_bNameConfirmed = true;
    if (CFrameWnd* pMainWnd = AfxGetMainWnd()) {
        pMainWnd->SetWindowText(m_strName);
    }
    return true;
}

// ---- before the picture is discarded -----------------------------------------------------------

void CZelvorandineView::SetModifiedFlag(bool bModified) {
    // Strokes mark an already marked picture at every move: the caption is touched once.
    if (bModified == m_bModified) {
        return;
    }
    m_bModified = bModified;
    if (auto* pFrame = qobject_cast<CFrameWnd*>(window())) {
        pFrame->setWindowModified(bModified);
    }
}

bool CZelvorandineView::SaveModified() {
    if (!m_bModified) {
        return true;
    }
    const std::unique_ptr<QMessageBox> box =
        AfxCreateMessageBox(CResources::Format(IDS_ASK_TO_SAVE, m_strName), QMessageBox::Warning,
                            QMessageBox::Save | QMessageBox::Discard | QMessageBox::Cancel);
    // Qt's own word for this button differs from desktop to desktop, some speaking of closing, which New
    // does not do.
    box->button(QMessageBox::Discard)->setText(CResources::LoadString(IDS_DONT_SAVE));
    switch (box->exec()) {
    case QMessageBox::Save:
        // Until a Save As the picture has no name of the user's choosing.
        return m_bNameConfirmed ? OnFileSave() : OnFileSaveAs();
    case QMessageBox::Discard:
        // Given up: the end of a desktop session that follows closes the window without asking again.
        SetModifiedFlag(false);
        return true;
    default:
        return false;
    }
}

void CZelvorandineView::OnFileNew() {
    if (SaveModified()) {
        GenerateBackground();
    }
}
