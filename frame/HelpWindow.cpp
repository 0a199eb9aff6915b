// SPDX-License-Identifier: MIT
#include "frame/HelpWindow.h"

#include "app/resources/Resources.h"
#include "res/ResourceIds.h"

#include <QDialogButtonBox>
#include <QPushButton>
#include <QTextBrowser>
#include <QVBoxLayout>

CHelpWindow::CHelpWindow(QWidget* parent) : QDialog(parent, Qt::Window) {
    setObjectName(QStringLiteral("helpWindow"));
    setWindowTitle(CResources::LoadString(IDS_HELP_TITLE));
    auto* pBrowser = new QTextBrowser(this);
    pBrowser->setOpenExternalLinks(false);
    pBrowser->setHtml(CResources::LoadHelpPage());
    auto* pButtons = new QDialogButtonBox(QDialogButtonBox::Close, this);
    connect(pButtons, &QDialogButtonBox::rejected, this, &QDialog::close);
    auto* pLayout = new QVBoxLayout(this);
    pLayout->addWidget(pBrowser);
    pLayout->addWidget(pButtons);
    resize(600, 520);
}
