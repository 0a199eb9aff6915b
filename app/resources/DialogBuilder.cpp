// SPDX-License-Identifier: MIT
#include "app/resources/DialogBuilder.h"

#include "app/resources/Resources.h"
#include "res/DialogTemplates.h"

#include <QDialog>
#include <QLabel>
#include <QPixmap>
#include <QPushButton>
#include <QSlider>
#include <vector>

namespace {

int MulDiv(int n, int numerator, int denominator) {
    const long long product = static_cast<long long>(n) * numerator;
    // Rounds half away from zero like the platform's dialog-unit conversion.
    return static_cast<int>(product >= 0 ? (product + denominator / 2) / denominator
                                         : -((-product + denominator / 2) / denominator));
}

QWidget* CreateControl(QDialog& dialog, const DialogControl& control) {
    const QString text = QString::fromUtf8(control.text);
    switch (control.kind) {
    case ControlKind::PushButton:
    case ControlKind::DefPushButton: {
        auto* pButton = new QPushButton(text, &dialog);
        // Enter presses the focused button; only a default push button takes Enter from elsewhere.
        pButton->setAutoDefault(false);
        pButton->setDefault(control.kind == ControlKind::DefPushButton);
        pButton->setFocusPolicy((control.style & kStyleTabStop) != 0 ? Qt::StrongFocus : Qt::ClickFocus);
        return pButton;
    }
    case ControlKind::StaticText: {
        auto* pLabel = new QLabel(&dialog);
        if ((control.style & kStyleNoPrefix) != 0) {
            pLabel->setText(text);
        } else {
            pLabel->setText(QString(text).remove(QLatin1Char('&')));
        }
        pLabel->setAlignment(Qt::AlignLeft | Qt::AlignTop);
        pLabel->setWordWrap(true);
        return pLabel;
    }
    case ControlKind::StaticIcon: {
        auto* pLabel = new QLabel(&dialog);
        pLabel->setPixmap(CResources::LoadIcon(text.toInt()).pixmap(32, 32));
        pLabel->setAlignment(Qt::AlignLeft | Qt::AlignTop);
        return pLabel;
    }
    case ControlKind::StaticBitmap: {
        auto* pLabel = new QLabel(&dialog);
        pLabel->setPixmap(QPixmap::fromImage(CResources::LoadBitmap(text.toInt())));
        pLabel->setAlignment(Qt::AlignLeft | Qt::AlignTop);
        return pLabel;
    }
    case ControlKind::Slider: {
        auto* pSlider = new QSlider(Qt::Horizontal, &dialog);
        // A new trackbar runs from 0 to 100.
        pSlider->setRange(0, 100);
        pSlider->setTickPosition((control.style & kStyleSliderNoTicks) != 0 ? QSlider::NoTicks
                                                                            : QSlider::TicksBothSides);
        pSlider->setFocusPolicy((control.style & kStyleTabStop) != 0 ? Qt::StrongFocus : Qt::ClickFocus);
        return pSlider;
    }
    }
    return nullptr;
}

// The template's heights suit the original font; a substitute with taller lines would cut the bottom
// of a text off, so a label grows downwards until its text fits.
void KeepTextUnclipped(QWidget* pWidget) {
    auto* pLabel = qobject_cast<QLabel*>(pWidget);
    if (pLabel == nullptr || pLabel->text().isEmpty()) {
        return;
    }
    const int nNeeded =
        pLabel->hasHeightForWidth() ? pLabel->heightForWidth(pLabel->width()) : pLabel->sizeHint().height();
    if (nNeeded > pLabel->height()) {
        pLabel->resize(pLabel->width(), nNeeded);
    }
}

// A trackbar shows no text: the label just left of it on its line names it, as a person reads the dialog.
// The label then answers for it to assistive technologies.
void TieSlidersToLabels(const DialogTemplate& tmpl, const std::vector<QWidget*>& widgets) {
    for (int i = 0; i < tmpl.nControls; ++i) {
        const DialogControl& slider = tmpl.controls[i];
        if (slider.kind != ControlKind::Slider) {
            continue;
        }
        QLabel* pNearest = nullptr;
        int nNearestX = 0;
        for (int k = 0; k < tmpl.nControls; ++k) {
            const DialogControl& label = tmpl.controls[k];
            const bool bOnItsLine = label.y < slider.y + slider.cy && slider.y < label.y + label.cy;
            if (label.kind == ControlKind::StaticText && bOnItsLine && label.x < slider.x &&
                (pNearest == nullptr || label.x > nNearestX)) {
                pNearest = qobject_cast<QLabel*>(widgets[k]);
                nNearestX = label.x;
            }
        }
        if (pNearest != nullptr) {
            pNearest->setBuddy(widgets[i]);
        }
    }
}

QString ControlName(int nID) {
    return QStringLiteral("control%1").arg(nID);
}

} // namespace

QRect CDialogBuilder::MapDialogRect(int x, int y, int cx, int cy) {
    const int left = MulDiv(x, kBaseUnitX, 4);
    const int top = MulDiv(y, kBaseUnitY, 8);
    const int right = MulDiv(x + cx, kBaseUnitX, 4);
    const int bottom = MulDiv(y + cy, kBaseUnitY, 8);
    return QRect(left, top, right - left, bottom - top);
}

QFont CDialogBuilder::DialogFont(const DialogTemplate& tmpl) {
    QFont font(QString::fromUtf8(tmpl.fontName));
    font.setPointSize(tmpl.nPointSize);
    return font;
}

std::map<int, QWidget*> CDialogBuilder::Build(QDialog& dialog, const DialogTemplate& tmpl) {
    Qt::WindowFlags flags = Qt::Dialog;
    if ((tmpl.style & kStyleCaption) == kStyleCaption) {
        flags |= Qt::CustomizeWindowHint | Qt::WindowTitleHint;
        if ((tmpl.style & kStyleSysMenu) != 0) {
            flags |= Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint;
        }
    } else {
        flags |= Qt::FramelessWindowHint;
    }
    dialog.setWindowFlags(flags);
    dialog.setWindowTitle(QString::fromUtf8(tmpl.caption));
    dialog.setFont(DialogFont(tmpl));
    const QRect client = MapDialogRect(0, 0, tmpl.cx, tmpl.cy);
    dialog.setFixedSize(client.size());

    std::map<int, QWidget*> controls;
    std::vector<QWidget*> widgets;
    QWidget* pPrevious = nullptr;
    for (int i = 0; i < tmpl.nControls; ++i) {
        const DialogControl& control = tmpl.controls[i];
        QWidget* pWidget = CreateControl(dialog, control);
        widgets.push_back(pWidget);
        pWidget->setGeometry(MapDialogRect(control.x, control.y, control.cx, control.cy));
        KeepTextUnclipped(pWidget);
        if (control.nID != IDC_STATIC) {
            pWidget->setObjectName(ControlName(control.nID));
            controls.emplace(control.nID, pWidget);
        }
        if (pWidget->focusPolicy() != Qt::NoFocus) {
            if (pPrevious != nullptr) {
                QWidget::setTabOrder(pPrevious, pWidget);
            }
            pPrevious = pWidget;
        }
    }
    TieSlidersToLabels(tmpl, widgets);
    return controls;
}

QWidget* CDialogBuilder::FindControl(const QWidget& dialog, int nID) {
    return dialog.findChild<QWidget*>(ControlName(nID), Qt::FindDirectChildrenOnly);
}
