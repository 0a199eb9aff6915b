// SPDX-License-Identifier: MIT
#include "canvas/ZelvorandineView.h"

#include "app/framework/FrameWnd.h"
#include "app/framework/WinApp.h"
#include "app/resources/Resources.h"
#include "background/BackgroundDlg.h"
#include "background/ColorSettings.h"
#include "background/ColorSettingsDlg.h"
#include "background/ShapeGenerator.h"
#include "background/SplashDlg.h"
#include "canvas/surface/Compositor.h"
#include "canvas/surface/ImageSurface.h"
#include "files/FileReplacer.h"
#include "files/SystemError.h"
#include "output/PicturePrinter.h"
#include "output/PictureWriter.h"
#include "output/PrintFileCheck.h"
#include "output/SaveAsDialog.h"
#include "res/ResourceIds.h"

#include <QAbstractButton>
#include <QApplication>
#include <QDir>
#include <QFileInfo>
#include <QMessageBox>
#include <QMouseEvent>
#include <QPaintEvent>
#include <QPainter>
#include <QPointer>
#include <QPrinter>
#include <QRegion>
#include <QScreen>
#include <QTimer>
#include <QTimerEvent>

#include <cerrno>
#include <cmath>
#include <cstring>

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

constexpr double kFallbackRefreshRate = 60;

// Null when size is empty, and also when the memory for it could not be had.
QImage NewLayer(const QSize& size) {
    return size.isEmpty() ? QImage() : QImage(size, QImage::Format_RGB32);
}

bool LayerMissing(const QImage& layer, const QSize& size) {
    return layer.isNull() && !size.isEmpty();
}

// Whether layer differs over rect from before, a copy of its rcBefore taken earlier; a rect beyond that
// copy counts as changed.
bool Changed(const QImage& layer, const QImage& before, const QRect& rcBefore, const QRect& rect) {
    if (!rcBefore.contains(rect)) {
        return true;
    }
    const size_t nBytes = size_t(rect.width()) * 4;
    for (int y = rect.top(); y <= rect.bottom(); ++y) {
        const uchar* pNow = layer.constScanLine(y) + 4 * rect.left();
        const uchar* pThen = before.constScanLine(y - rcBefore.top()) + 4 * (rect.left() - rcBefore.left());
        if (std::memcmp(pNow, pThen, nBytes) != 0) {
            return true;
        }
    }
    return false;
}

} // namespace

CZelvorandineView::CZelvorandineView() : m_strName(QString::fromUtf8("名称未決定")) {
    setObjectName(QStringLiteral("zelvorandineView"));
    setAttribute(Qt::WA_OpaquePaintEvent);
    setAttribute(Qt::WA_NoSystemBackground);
    setMouseTracking(true);
    setWhatsThis(CResources::LoadString(IDS_VIEW_WHATS_THIS));
    setAccessibleName(CResources::LoadString(IDS_ACC_VIEW_NAME));
    setAccessibleDescription(CResources::LoadString(IDS_ACC_VIEW_DESCRIPTION));
}

CZelvorandineView::~CZelvorandineView() {
    CompressMovesAgain();
}

int CZelvorandineView::OnCreate() {
    m_hCursor = CResources::LoadCursor(IDC_PEN_CURSOR);
    return 0;
}

// ---- what the window shows --------------------------------------------------------------------

const QImage* CZelvorandineView::ShownLayer() const {
    if (!m_bmpColor.isNull()) {
        return m_bmpCover.isNull() ? &m_bmpColor : &m_bmpCover;
    }
    return nullptr;
}

QRect CZelvorandineView::LayerRect() const {
    const QImage* pShown = ShownLayer();
    return pShown ? QRect(0, 0, m_nLayerWidth, m_nLayerHeight) & pShown->rect() : QRect();
}

void CZelvorandineView::resizeEvent(QResizeEvent* e) {
    // What the window loses of the black stays lost, as on a window that keeps what it shows.
    m_rcBlack &= QRect(QPoint(0, 0), e->size());
    CView::resizeEvent(e);
}

void CZelvorandineView::paintEvent(QPaintEvent* e) {
    QPainter painter(this);
    OnDraw(painter, e->rect());
}

void CZelvorandineView::OnDraw(QPainter& dc, const QRect& clip) {
    if (!s_bFirstPaintDone) {
        s_bFirstPaintDone = true;
        m_rcBlack = rect();
        // No nested event loop inside a paint: the splash and the choice run right after it.
        QTimer::singleShot(0, this, &CZelvorandineView::RunFirstPaintSequence);
    }
    // Every change to the cover is composed at once: the cover is the picture.
    const QRect area = clip & LayerRect();
    if (!area.isEmpty()) {
        dc.drawImage(area.topLeft(), *ShownLayer(), area);
    }
    const QRegion rest = QRegion(clip).subtracted(area);
    for (const QRect& black : rest.intersected(m_rcBlack)) {
        dc.fillRect(black, Qt::black);
    }
    const QColor window = palette().color(QPalette::Window);
    for (const QRect& other : rest.subtracted(m_rcBlack)) {
        dc.fillRect(other, window);
    }
}

void CZelvorandineView::StoreShownRow(int nY, unsigned char* pBgr) const {
    const QRect layers = LayerRect();
    int nShown = 0;
    if (nY < layers.height()) {
        nShown = qMin(layers.width(), width());
        const QImage* pShown = ShownLayer();
        CCompositor::StoreBgr(pBgr, *pShown, pShown == &m_bmpCover ? &m_bmpColor : nullptr, nY, nShown);
    }
    const int nBlack = nY < m_rcBlack.height() ? qMax(m_rcBlack.width() - nShown, 0) : 0;
    CCompositor::FillBgr(pBgr + 3 * nShown, qRgb(0, 0, 0), nBlack);
    const int nWindow = width() - nShown - nBlack;
    CCompositor::FillBgr(pBgr + 3 * (nShown + nBlack), palette().color(QPalette::Window).rgb(), nWindow);
}

// ---- showing changes ---------------------------------------------------------------------------

void CZelvorandineView::ShowLater(const QRect& rect) {
    // Moves that come faster than paints would pile up their rectangles in the toolkit's dirty region,
    // each one costing more than the last; one growing rectangle keeps it a single rectangle.
    m_rcToShow |= rect;
    if (!m_frameTimer.isActive()) {
        ShowGathered(); // the first change after a pause shows at once
    }
}

void CZelvorandineView::ShowGathered() {
    if (m_rcToShow.isEmpty()) {
        m_frameTimer.stop(); // a frame without changes: nothing runs until the next one
        return;
    }
    update(m_rcToShow);
    m_rcToShow = QRect();
    const QScreen* pScreen = screen();
    const double rate =
        pScreen && pScreen->refreshRate() >= 1 ? pScreen->refreshRate() : kFallbackRefreshRate;
    m_frameTimer.start(int(std::ceil(1000 / rate)), Qt::PreciseTimer, this);
}

void CZelvorandineView::timerEvent(QTimerEvent* e) {
    if (e->timerId() == m_frameTimer.timerId()) {
        ShowGathered();
        return;
    }
    CView::timerEvent(e);
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
    ShowLater(area);
}

void CZelvorandineView::Compose() {
    Compose(QRect(0, 0, m_nLayerWidth, m_nLayerHeight));
}

// ---- background choice -------------------------------------------------------------------------

void CZelvorandineView::GenerateBackground() {
    QPointer<CZelvorandineView> self(this);
    bool bQuit = false;
    // The colour layer stays only to have the next background drawn over it.
    m_bmpCover = QImage();
    SetModifiedFlag(false);

    CBackgroundDlg dialog;
    for (int nAttempt = 1;; ++nAttempt) {
        if (!PaintBackground()) {
            DropLayersAfterFailure();
            return;
        }
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

    // From now on the colour layer only ever shows through the cover: it is kept in three bytes a pixel
    // (when that copy can be had), which makes room for the cover.
    if (QImage packed = CCompositor::Packed(m_bmpColor); !packed.isNull()) {
        m_bmpColor = packed;
    }
    const QSize layerSize(m_nLayerWidth, m_nLayerHeight);
    m_bmpCover = NewLayer(layerSize);
    if (LayerMissing(m_bmpCover, layerSize)) {
        DropLayersAfterFailure();
        if (!self) {
            return;
        }
    } else {
        m_bmpCover.fill(Qt::black);
        update();
    }
    m_bReady = 1;

    if (bQuit) {
        OnAppExit();
    }
}

bool CZelvorandineView::PaintBackground() {
    const QSize layerSize = size().boundedTo(QSize(kMaxLayerSide, kMaxLayerSide));
    if (m_bmpColor.size() != layerSize || m_bmpColor.format() != QImage::Format_RGB32) {
        m_bmpColor = QImage(); // the old one goes before the new one is asked for
        m_bmpColor = NewLayer(layerSize);
        if (LayerMissing(m_bmpColor, layerSize)) {
            return false;
        }
    }
    m_rcBlack = QRect();
    // The generator paints the whole layer: nothing of an earlier background stays.
    CImageSurface windowDC(m_bmpColor);
    g_generator.Draw(windowDC);
    m_nLayerWidth = layerSize.width();
    m_nLayerHeight = layerSize.height();
    return true;
}

void CZelvorandineView::DropLayersAfterFailure() {
    m_bmpCover = QImage();
    m_bmpColor = QImage();
    m_rcBlack = rect();
    update();
    AfxMessageBox(CResources::Format(IDS_LAYER_FAILED, CSystemError::Text(ENOMEM)), QMessageBox::Critical,
                  window());
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
    if (CFrameWnd* pFrame = GetParentFrame()) {
        pFrame->close();
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

void CZelvorandineView::OnPrintDialog(QDialog& dialog) {
    CPrintFileCheck::Install(dialog);
}

bool CZelvorandineView::PrintTo(QPrinter& printer) {
    const CPicturePrinter pages(
        [this](QPainter& painter, QPrinter& pagePrinter) { OnPrint(painter, pagePrinter); });
    QString message;
    if (pages.Print(printer, &message)) {
        return true;
    }
    AfxMessageBox(message, printer.outputFileName().isEmpty() ? QMessageBox::Warning : QMessageBox::Critical,
                  window());
    return false;
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

template <class Draw> void CZelvorandineView::DrawOnCover(const QRect& rcReach, Draw draw) {
    if (m_bmpCover.isNull()) {
        return;
    }
    // Whether the picture changes shows only once the stroke is composed: what it may reach is kept to
    // compare, until the picture is marked.
    const int nMargin = m_nPenWidth + 1;
    const QRect rcKept =
        m_bModified ? QRect() : rcReach.adjusted(-nMargin, -nMargin, nMargin, nMargin) & m_bmpCover.rect();
    const QImage before = rcKept.isEmpty() ? QImage() : m_bmpCover.copy(rcKept);
    const PackedColor color = m_bReveal == 1 ? kWhite : kBlack;
    CImageSurface dc(m_bmpCover);
    dc.SelectPen(CPenSpec{m_nPenWidth, color});
    dc.SelectBrush(color);
    draw(dc, color);
    const QRect rcDrawn = dc.TakeDirtyRect();
    Compose(rcDrawn);
    if (!m_bModified && !rcDrawn.isEmpty() && Changed(m_bmpCover, before, rcKept, rcDrawn)) {
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
    DrawOnCover(QRect(from, point).normalized(), [&](CImageSurface& dc, PackedColor) {
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
    DrawOnCover(QRect(point, QSize(m_nPenWidth, m_nPenWidth)), [&](CImageSurface& dc, PackedColor color) {
        if (m_nPenWidth == 1) {
            dc.SetPixel(point.x(), point.y(), color);
        }
        dc.Rectangle(point.x(), point.y(), point.x() + m_nPenWidth, point.y() + m_nPenWidth);
    });
}

void CZelvorandineView::enterEvent(QEnterEvent* e) {
    // The toolkit merges pointer moves that queue up while it is busy; over the view every one of them
    // belongs in the stroke. Switched off on entering: a press and the moves right after it may reach
    // the toolkit together, before the press reaches the view.
    if (!m_bMovesUncompressed && QCoreApplication::testAttribute(Qt::AA_CompressHighFrequencyEvents)) {
        QCoreApplication::setAttribute(Qt::AA_CompressHighFrequencyEvents, false);
        m_bMovesUncompressed = true;
    }
    CView::enterEvent(e);
}

void CZelvorandineView::leaveEvent(QEvent* e) {
    CompressMovesAgain();
    CView::leaveEvent(e);
}

void CZelvorandineView::CompressMovesAgain() {
    if (m_bMovesUncompressed) {
        QCoreApplication::setAttribute(Qt::AA_CompressHighFrequencyEvents, true);
        m_bMovesUncompressed = false;
    }
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
    QString reason;
    CPictureWriter writer;
    const CPictureWriter::RowSource rows = [this](int nY, unsigned char* pBgr) { StoreShownRow(nY, pBgr); };
    if (writer.WritePicture(width(), height(), rows, fileName, &reason)) {
        SetModifiedFlag(false);
        return true;
    }
    AfxMessageBox(CResources::Format(IDS_SAVE_FAILED,
                                     QDir::toNativeSeparators(CFileReplacer::AbsolutePath(fileName)), reason),
                  QMessageBox::Critical, window());
    return false;
}

bool CZelvorandineView::OnFileSave() {
    return SavePicture(m_strName);
}

bool CZelvorandineView::OnFileSaveAs() {
    const std::optional<QString> chosen = CSaveAsDialog::Ask(m_strName, window());
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
    if (CFrameWnd* pFrame = GetParentFrame()) {
        pFrame->SetWindowText(m_strName);
    }
    return true;
}

// ---- before the picture is discarded -----------------------------------------------------------

CFrameWnd* CZelvorandineView::GetParentFrame() const {
    return qobject_cast<CFrameWnd*>(window());
}

void CZelvorandineView::SetModifiedFlag(bool bModified) {
    // Strokes mark an already marked picture at every move: the caption is touched once.
    if (bModified == m_bModified) {
        return;
    }
    m_bModified = bModified;
    if (CFrameWnd* pFrame = GetParentFrame()) {
        pFrame->setWindowModified(bModified);
    }
}

bool CZelvorandineView::SaveModified() {
    if (!m_bModified) {
        return true;
    }
    const std::unique_ptr<QMessageBox> box =
        AfxCreateMessageBox(CResources::Format(IDS_ASK_TO_SAVE, m_strName), QMessageBox::Warning,
                            QMessageBox::Save | QMessageBox::Discard | QMessageBox::Cancel, window());
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
