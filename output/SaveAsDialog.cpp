// SPDX-License-Identifier: MIT
#include "output/SaveAsDialog.h"

#include <QDir>
#include <QFileDialog>

QString CSaveAsDialog::InitialFileName(const QString& pictureName) {
    if (pictureName.endsWith(QLatin1String(".bmp"), Qt::CaseInsensitive)) {
        return pictureName;
    }
    return pictureName + QLatin1String(".bmp");
}

std::optional<QString> CSaveAsDialog::Ask(const QString& pictureName, QWidget* pParent) {
    QFileDialog dialog(pParent);
    dialog.setObjectName(QStringLiteral("saveAsDialog"));
    dialog.setOption(QFileDialog::DontUseNativeDialog);
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setFileMode(QFileDialog::AnyFile);
    dialog.setDefaultSuffix(QStringLiteral("bmp"));
    dialog.setNameFilter(QString::fromUtf8("ビットマップファイル (*.bmp)"));
    dialog.setDirectory(QDir::current());
    dialog.selectFile(InitialFileName(pictureName));
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) {
        return std::nullopt;
    }
    return dialog.selectedFiles().constFirst();
}
