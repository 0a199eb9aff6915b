// SPDX-License-Identifier: MIT
#include "frame/ToolBar.h"

#include "app/framework/FrameWnd.h"
#include "app/resources/Resources.h"
#include "res/ToolbarTable.h"

#include <QAction>
#include <QActionEvent>
#include <QHoverEvent>
#include <QIcon>
#include <QImage>
#include <QLayout>
#include <QMouseEvent>
#include <QPixmap>
#include <QRegularExpression>
#include <QStyle>
#include <QStyleOptionToolBar>
#include <QToolButton>

#include <algorithm>

namespace {

// Light grey is the button face of the strip: it becomes transparent so the style's face shows.
QPixmap ButtonImage(const QImage& strip, int nIndex, int cx, int cy) {
    QImage image = strip.copy(nIndex * cx, 0, cx, cy).convertToFormat(QImage::Format_ARGB32);
    for (int y = 0; y < image.height(); ++y) {
        auto* row = reinterpret_cast<QRgb*>(image.scanLine(y));
        for (int x = 0; x < image.width(); ++x) {
            if ((row[x] & 0xFFFFFF) == 0xC0C0C0) {
                row[x] = 0;
            }
        }
    }
    return QPixmap::fromImage(image);
}

// A command's name as its menu item says it, without the mnemonic "(&N)", the keys after the tab and the
// dots that promise a dialog.
QString CommandName(const QString& menuText) {
    QString name = menuText.section(QLatin1Char('\t'), 0, 0);
    name.remove(QRegularExpression(QStringLiteral("\\(&.\\)"))).remove(QLatin1Char('&'));
    if (name.endsWith(QLatin1String("..."))) {
        name.chop(3);
    }
    return name.trimmed();
}

// Names a toolbar or a button from the table; false when the table has nothing for nID.
bool SetAccessibleText(QWidget* pWidget, int nID) {
    for (const AccessibleText& text : g_toolbarAccessibleTexts) {
        if (text.nID == nID) {
            pWidget->setAccessibleName(CResources::LoadString(text.nName));
            pWidget->setAccessibleDescription(CResources::LoadString(text.nDescription));
            return true;
        }
    }
    return false;
}

} // namespace

CToolBar::CToolBar(CFrameWnd* pFrame, const QString& objectName) : QToolBar(pFrame), m_pFrame(pFrame) {
    setObjectName(objectName);
    setMovable(true);
    setFloatable(true);
    setAllowedAreas(Qt::AllToolBarAreas);
    setToolButtonStyle(Qt::ToolButtonIconOnly);
    connect(this, &QToolBar::topLevelChanged, this, &CToolBar::OnTopLevelChanged);
    // The toolkit turns a bar that floats off to lie across: it starts again in one line.
    connect(this, &QToolBar::orientationChanged, this, [this] {
        if (isFloating()) {
            m_nLineLength = INT_MAX;
            FitFloating();
        }
    });
}

void CToolBar::OnTopLevelChanged(bool bFloating) {
    // Docked, the toolkit's layout puts the items in one row or column; floating, the bar's own lines do.
    layout()->setEnabled(!bFloating);
    ShowCloseBox(bFloating);
    if (bFloating) {
        // The least size the toolkit's layout set for the docked line holds no longer.
        setMinimumSize(0, 0);
        m_nLineLength = INT_MAX;
        FitFloating();
    } else {
        layout()->invalidate();
        layout()->activate();
    }
}

void CToolBar::ShowCloseBox(bool bFloating) {
    // A floating bar is a small window of its own; like any window it can be closed, which hides it.
    if (m_pCloseAction == nullptr) {
        m_pCloseAction = addAction(style()->standardIcon(QStyle::SP_TitleBarCloseButton), QString());
        m_pCloseAction->setObjectName(QStringLiteral("closeFloatingBar"));
        connect(m_pCloseAction, &QAction::triggered, this, &QWidget::hide);
    }
    m_pCloseAction->setVisible(bFloating);
}

bool CToolBar::LoadToolBar(const ToolbarResource& resource) {
    const QImage strip = CResources::LoadImageFile(resource.bitmap);
    if (strip.isNull()) {
        return false;
    }
    setIconSize(QSize(resource.nImageWidth, resource.nImageHeight));
    SetAccessibleText(this, resource.nID);
    int nImage = 0;
    for (int i = 0; i < resource.nItems; ++i) {
        const int nID = resource.items[i];
        if (nID == ID_TOOLBAR_SEPARATOR) {
            addSeparator();
            continue;
        }
        QAction* action = m_pFrame->GetCommandAction(nID);
        action->setIcon(ButtonImage(strip, nImage++, resource.nImageWidth, resource.nImageHeight));
        action->setIconVisibleInMenu(false);
        addAction(action);
        // Only for assistive technologies: the buttons keep their tooltips (or none) and show no text.
        if (QWidget* pButton = widgetForAction(action);
            pButton != nullptr && !SetAccessibleText(pButton, nID)) {
            pButton->setAccessibleName(CommandName(action->text()));
        }
    }
    return true;
}

QWidget* CToolBar::GetButton(int nID) const {
    QAction* action = m_pFrame->GetCommandAction(nID);
    return widgetForAction(action);
}

bool CToolBar::IsOnHandle(const QPoint& pos) const {
    if (!isMovable() || isFloating()) {
        return false;
    }
    QStyleOptionToolBar option;
    initStyleOption(&option);
    return style()->subElementRect(QStyle::SE_ToolBarHandle, &option, this).contains(pos);
}

// ---- a floating bar's lines --------------------------------------------------------------------

namespace {

// A floating bar keeps this much room at its right and bottom edges for the user to take them.
constexpr int kEdgeGrip = 4;

// Extents along and across a bar's lines, which run along its orientation.
int Along(Qt::Orientation o, const QSize& size) {
    return o == Qt::Horizontal ? size.width() : size.height();
}
int Across(Qt::Orientation o, const QSize& size) {
    return o == Qt::Horizontal ? size.height() : size.width();
}
int AlongEnd(Qt::Orientation o, const QRect& rect) {
    return o == Qt::Horizontal ? rect.right() + 1 : rect.bottom() + 1;
}
QRect Place(Qt::Orientation o, int nAlong, int nAcross, int nLength, int nThickness) {
    return o == Qt::Horizontal ? QRect(nAlong, nAcross, nLength, nThickness)
                               : QRect(nAcross, nAlong, nThickness, nLength);
}

} // namespace

CToolBar::SFlow CToolBar::Flow(int nLineLength) const {
    QStyleOptionToolBar option;
    initStyleOption(&option);
    const QStyle* pStyle = style();
    const int nMargin = pStyle->pixelMetric(QStyle::PM_ToolBarItemMargin, &option, this) +
                        pStyle->pixelMetric(QStyle::PM_ToolBarFrameWidth, &option, this);
    const int nSpacing = pStyle->pixelMetric(QStyle::PM_ToolBarItemSpacing, &option, this);
    const int nHandle = pStyle->pixelMetric(QStyle::PM_ToolBarHandleExtent, &option, this);
    const Qt::Orientation o = orientation();
    const auto length = [o, this](QAction* pAction) {
        return Along(o, widgetForAction(pAction)->sizeHint());
    };

    // Items fill a line until the next one would pass nLineLength; a separator neither starts nor ends one.
    std::vector<std::vector<QAction*>> lines(1);
    int nLength = 0;
    for (QAction* pAction : actions()) {
        if (widgetForAction(pAction) == nullptr || !pAction->isVisible()) {
            continue;
        }
        if (!lines.back().empty() && nLength + nSpacing + length(pAction) > nLineLength) {
            lines.emplace_back();
        }
        if (lines.back().empty()) {
            nLength = -nSpacing;
            if (pAction->isSeparator()) {
                continue;
            }
        }
        nLength += nSpacing + length(pAction);
        lines.back().push_back(pAction);
    }

    SFlow flow;
    int nAcross = nMargin;
    for (std::vector<QAction*>& line : lines) {
        while (!line.empty() && line.back()->isSeparator()) {
            line.pop_back();
        }
        int nThickness = 0;
        for (QAction* pAction : line) {
            nThickness = std::max(nThickness, Across(o, widgetForAction(pAction)->sizeHint()));
        }
        int nAlong = nMargin + nHandle;
        for (QAction* pAction : line) {
            flow.places.emplace_back(widgetForAction(pAction),
                                     Place(o, nAlong, nAcross, length(pAction), nThickness));
            nAlong += length(pAction) + nSpacing;
        }
        flow.nLongest = std::max(flow.nLongest, nAlong - nSpacing - nMargin - nHandle);
        nAcross += nThickness + nSpacing;
    }
    const int nAlongSize = nMargin + nHandle + flow.nLongest + nMargin + kEdgeGrip;
    const int nAcrossSize = nAcross - nSpacing + nMargin + kEdgeGrip;
    flow.size = o == Qt::Horizontal ? QSize(nAlongSize, nAcrossSize) : QSize(nAcrossSize, nAlongSize);
    return flow;
}

QSize CToolBar::sizeHint() const {
    // Asked for by the toolkit too, which sizes a bar that floats off by it.
    return isFloating() ? Flow(m_nLineLength).size : QToolBar::sizeHint();
}

void CToolBar::FitFloating() {
    const QSize size = Flow(m_nLineLength).size;
    if (size != this->size()) {
        resize(size); // arranged when the resize arrives
    } else {
        ArrangeFloating();
    }
}

void CToolBar::ArrangeFloating() {
    const SFlow flow = Flow(m_nLineLength);
    // Whatever gets no place (a separator at a line's end, the toolkit's extension button) is hidden.
    for (QWidget* pChild : findChildren<QWidget*>(Qt::FindDirectChildrenOnly)) {
        const auto it = std::find_if(flow.places.begin(), flow.places.end(),
                                     [pChild](const auto& place) { return place.first == pChild; });
        if (it == flow.places.end()) {
            pChild->hide();
        } else {
            pChild->setGeometry(it->second);
            pChild->show();
        }
    }
}

Qt::Edges CToolBar::EdgesAt(const QPoint& pos) const {
    Qt::Edges edges;
    if (isFloating()) {
        if (pos.x() >= width() - kEdgeGrip) {
            edges |= Qt::RightEdge;
        }
        if (pos.y() >= height() - kEdgeGrip) {
            edges |= Qt::BottomEdge;
        }
    }
    return edges;
}

void CToolBar::Reshape(const QSize& requested, Qt::Edges edges) {
    const Qt::Orientation o = orientation();
    const SFlow oneLine = Flow(INT_MAX);
    if (oneLine.places.empty()) {
        return;
    }
    if (edges & (o == Qt::Horizontal ? Qt::RightEdge : Qt::BottomEdge)) {
        m_nLineLength = std::max(1, Along(o, requested) - (Along(o, oneLine.size) - oneLine.nLongest));
    } else {
        // The shortest lines whose bar still fits across; where the items of one line end are the lengths to
        // try.
        m_nLineLength = oneLine.nLongest;
        const QRect first = oneLine.places.front().second;
        const int nStart = AlongEnd(o, first) - Along(o, first.size());
        for (const auto& place : oneLine.places) {
            const int nLength = AlongEnd(o, place.second) - nStart;
            if (Across(o, Flow(nLength).size) <= Across(o, requested)) {
                m_nLineLength = nLength;
                break;
            }
        }
    }
    FitFloating();
}

bool CToolBar::event(QEvent* e) {
    const bool bResult = QToolBar::event(e);
    // The toolkit shows the moving cursor on the grip and none elsewhere; the edges show theirs.
    if (e->type() == QEvent::HoverMove && m_resizing == Qt::Edges()) {
        const Qt::Edges edges = EdgesAt(static_cast<QHoverEvent*>(e)->position().toPoint());
        if (edges == (Qt::RightEdge | Qt::BottomEdge)) {
            setCursor(Qt::SizeFDiagCursor);
        } else if (edges != Qt::Edges()) {
            setCursor(edges == Qt::RightEdge ? Qt::SizeHorCursor : Qt::SizeVerCursor);
        }
    }
    return bResult;
}

void CToolBar::actionEvent(QActionEvent* e) {
    QToolBar::actionEvent(e);
    if (isFloating()) {
        FitFloating();
    }
}

void CToolBar::resizeEvent(QResizeEvent* e) {
    QToolBar::resizeEvent(e);
    if (isFloating()) {
        ArrangeFloating();
    }
}

void CToolBar::mousePressEvent(QMouseEvent* e) {
    m_resizing = e->button() == Qt::LeftButton ? EdgesAt(e->position().toPoint()) : Qt::Edges();
    if (m_resizing == Qt::Edges()) {
        QToolBar::mousePressEvent(e);
        return;
    }
    m_ptResizeFrom = e->globalPosition().toPoint();
    m_sizeResizeFrom = size();
}

void CToolBar::mouseMoveEvent(QMouseEvent* e) {
    if (m_resizing == Qt::Edges()) {
        QToolBar::mouseMoveEvent(e);
        return;
    }
    const QPoint delta = e->globalPosition().toPoint() - m_ptResizeFrom;
    Reshape(m_sizeResizeFrom + QSize(m_resizing & Qt::RightEdge ? delta.x() : 0,
                                     m_resizing & Qt::BottomEdge ? delta.y() : 0),
            m_resizing);
}

void CToolBar::mouseReleaseEvent(QMouseEvent* e) {
    m_resizing = Qt::Edges();
    QToolBar::mouseReleaseEvent(e);
}
