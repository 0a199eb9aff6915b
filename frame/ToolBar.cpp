// SPDX-License-Identifier: MIT
#include "frame/ToolBar.h"

#include "app/framework/FrameWnd.h"
#include "app/resources/Resources.h"
#include "res/ToolbarTable.h"

#include <QAction>
#include <QIcon>
#include <QImage>
#include <QPixmap>
#include <QRegularExpression>
#include <QStyle>
#include <QStyleOptionToolBar>

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
    connect(this, &QToolBar::topLevelChanged, this, &CToolBar::ShowCloseBox);
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
