// SPDX-License-Identifier: MIT
#pragma once

#include <QString>
#include <QStringList>

class QFontMetrics;
class QSettings;

// The most recently opened files, newest first, kept in the per-user settings.
class CRecentFileList {
public:
    CRecentFileList(int nMaxSize, const QString& section, const QString& entryFormat);

    void Add(const QString& pathName);
    void Remove(int nIndex);
    int GetSize() const { return static_cast<int>(m_files.size()); }
    int GetMaxSize() const { return m_nMaxSize; }
    const QString& operator[](int nIndex) const { return m_files.at(nIndex); }
    // The text of the menu entry for nIndex: "&1 " and the path, shortened in the middle to the menu's usual
    // width in the menu's font.
    QString GetMenuText(int nIndex, const QFontMetrics& metrics) const;

    // Reads the list, dropping duplicates, the surplus and entries that are not plain absolute paths: not
    // clean, too long for the system, not valid in the file system's encoding or holding control characters.
    void ReadList(QSettings& settings);
    void WriteList(QSettings& settings) const;

private:
    int m_nMaxSize;
    QString m_section;
    QString m_entryFormat;
    QStringList m_files;
};
