// SPDX-License-Identifier: MIT
#pragma once

#include <QString>
#include <optional>

class QWidget;

// The save dialog of Save As: one filter for bitmap files, "bmp" added to a name typed without an
// extension, a question before an existing file is chosen.
class CSaveAsDialog {
public:
    // The name the dialog proposes for the picture name: the name followed by ".bmp", unless it already
    // ends in ".bmp".
    static QString InitialFileName(const QString& pictureName);
    // The chosen file's absolute path, or nothing when the user cancelled.
    static std::optional<QString> Ask(const QString& pictureName, QWidget* pParent);
};
