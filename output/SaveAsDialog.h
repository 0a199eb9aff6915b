// SPDX-License-Identifier: MIT
#pragma once

#include <QString>
#include <optional>

class QWidget;

// The save dialog of Save As: bitmap files, then PNG files; it opens with bitmap files chosen. A name typed
// without an extension gets the chosen type's ("bmp" or "png"); the dialog asks before an existing file is
// chosen.
class CSaveAsDialog {
public:
    // The name the dialog proposes for the picture name: the name followed by ".bmp", unless it already
    // ends in ".bmp" or ".png".
    static QString InitialFileName(const QString& pictureName);
    // The folder the dialog opens in: the current folder, or when it has gone (or cannot be named) its
    // nearest parent that is there, or the home folder.
    static QString StartFolder();
    // The chosen file's absolute path, or nothing when the user cancelled.
    static std::optional<QString> Ask(const QString& pictureName, QWidget* pParent);
};
