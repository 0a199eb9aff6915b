// SPDX-License-Identifier: MIT
#include "app/framework/RecentFileList.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QFontMetrics>
#include <QSettings>

#include <climits>

namespace {

// The menu's usual width, in average characters of its font.
constexpr int kMenuPathChars = 40;

QString EntryKey(const QString& format, int nIndex) {
    return format.arg(nIndex + 1);
}

// An entry is taken as it stands or not at all: one that is not already a clean absolute path, that the
// system could not take whole, or that the file system's encoding cannot hold would name another file.
bool IsPlainAbsolutePath(const QString& path) {
    if (path.isEmpty() || !QDir::isAbsolutePath(path) || QDir::cleanPath(path) != path) {
        return false;
    }
    const QByteArray encoded = QFile::encodeName(path);
    if (encoded.size() >= PATH_MAX || QFile::decodeName(encoded) != path) {
        return false;
    }
    for (QChar c : path) {
        if (c.category() == QChar::Other_Control) {
            return false;
        }
    }
    return true;
}

} // namespace

CRecentFileList::CRecentFileList(int nMaxSize, const QString& section, const QString& entryFormat)
    : m_nMaxSize(nMaxSize), m_section(section), m_entryFormat(entryFormat) {}

void CRecentFileList::Add(const QString& pathName) {
    const QString path = QDir::cleanPath(QFileInfo(pathName).absoluteFilePath());
    m_files.removeAll(path);
    m_files.prepend(path);
    while (m_files.size() > m_nMaxSize) {
        m_files.removeLast();
    }
}

void CRecentFileList::Remove(int nIndex) {
    if (nIndex >= 0 && nIndex < m_files.size()) {
        m_files.removeAt(nIndex);
    }
}

QString CRecentFileList::GetMenuText(int nIndex, const QFontMetrics& metrics) const {
    QString path = metrics.elidedText(QDir::toNativeSeparators(m_files.at(nIndex)), Qt::ElideMiddle,
                                      metrics.averageCharWidth() * kMenuPathChars);
    path.replace(QLatin1Char('&'), QStringLiteral("&&"));
    return QStringLiteral("&%1 %2").arg(nIndex + 1).arg(path);
}

void CRecentFileList::ReadList(QSettings& settings) {
    m_files.clear();
    settings.beginGroup(m_section);
    for (int i = 0; i < m_nMaxSize; ++i) {
        const QVariant value = settings.value(EntryKey(m_entryFormat, i));
        if (value.typeId() != QMetaType::QString) {
            continue;
        }
        const QString path = value.toString();
        if (IsPlainAbsolutePath(path) && !m_files.contains(path)) {
            m_files.append(path);
        }
    }
    settings.endGroup();
}

void CRecentFileList::WriteList(QSettings& settings) const {
    settings.beginGroup(m_section);
    settings.remove(QString());
    for (int i = 0; i < m_files.size(); ++i) {
        settings.setValue(EntryKey(m_entryFormat, i), m_files.at(i));
    }
    settings.endGroup();
}
