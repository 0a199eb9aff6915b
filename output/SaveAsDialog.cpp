// SPDX-License-Identifier: MIT
#include "output/SaveAsDialog.h"

#include "app/resources/Resources.h"
#include "files/FileReplacer.h"
#include "files/RegularFile.h"
#include "output/PictureWriter.h"
#include "res/ResourceIds.h"

#include <QDir>
#include <QFileDialog>

QString CSaveAsDialog::InitialFileName(const QString& pictureName) {
    if (pictureName.endsWith(QLatin1String(".bmp"), Qt::CaseInsensitive) ||
        CPictureWriter::IsPngName(pictureName)) {
        return pictureName;
    }
    return pictureName + QLatin1String(".bmp");
}

QString CSaveAsDialog::StartFolder() {
    for (QString folder = CFileReplacer::CurrentFolder(); !folder.isEmpty();
         folder = QFileInfo(folder).path()) {
        if (CRegularFile::IsRepresentable(folder) && QFileInfo(folder).isDir()) {
            return folder;
        }
        if (QFileInfo(folder).isRoot()) {
            break;
        }
    }
    return QDir::homePath();
}

std::optional<QString> CSaveAsDialog::Ask(const QString& pictureName, QWidget* pParent) {
    const QString bmpFilter = CResources::LoadString(IDS_FILTER_BMP);
    const QString pngFilter = CResources::LoadString(IDS_FILTER_PNG);
    QFileDialog dialog(pParent);
    dialog.setObjectName(QStringLiteral("saveAsDialog"));
    dialog.setOption(QFileDialog::DontUseNativeDialog);
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setFileMode(QFileDialog::AnyFile);
    dialog.setNameFilters({bmpFilter, pngFilter});
    dialog.selectNameFilter(bmpFilter);
    dialog.setDefaultSuffix(QStringLiteral("bmp"));
    QObject::connect(
        &dialog, &QFileDialog::filterSelected, &dialog, [&dialog, pngFilter](const QString& filter) {
            dialog.setDefaultSuffix(filter == pngFilter ? QStringLiteral("png") : QStringLiteral("bmp"));
        });
    dialog.setDirectory(StartFolder());
    dialog.selectFile(InitialFileName(pictureName));
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) {
        return std::nullopt;
    }
    return dialog.selectedFiles().constFirst();
}
