// SPDX-License-Identifier: MIT
// The bridge from the string table and artwork of res/ to Qt objects: texts, images, icons, cursors.
#pragma once

#include <QCursor>
#include <QIcon>
#include <QImage>
#include <QString>

class CResources {
public:
    // The whole text of string `nID`, empty when the table has none.
    static QString LoadString(int nID);
    static bool HasString(int nID);
    // The status-bar prompt and the tooltip of a command string ("prompt\ntooltip").
    static QString Prompt(int nID);
    static QString Tooltip(int nID);
    // Field `nField` of a document string, fields separated by line breaks.
    static QString DocString(int nID, int nField);
    // LoadString with %1, %2 replaced in order; control characters in them show as escapes (\n, \t, \x1b).
    static QString Format(int nID, const QString& a1, const QString& a2 = QString());

    static QImage LoadBitmap(int nID);
    static QImage LoadImageFile(const char* path);
    static QIcon LoadIcon(int nID);
    static QCursor LoadCursor(int nID);
    static QString LoadHelpPage();

private:
    static void EnsureRegistered();
};
