// SPDX-License-Identifier: MIT
#include "app/framework/RecentFileList.h"

#include <QDir>
#include <QFileInfo>
#include <QSettings>

namespace {

constexpr int kMaxMenuPathLength = 48;

QString EntryKey(const QString& format, int nIndex) {
    return format.arg(nIndex + 1);
}

bool IsPlainAbsolutePath(const QString& path) {
    if (path.isEmpty() || !QDir::isAbsolutePath(path)) {
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

QString CRecentFileList::GetMenuText(int nIndex) const {
    QString path = QDir::toNativeSeparators(m_files.at(nIndex));
    if (path.size() > kMaxMenuPathLength) {
        const QString name = QFileInfo(path).fileName();
        const int nKeep = qMax(0, kMaxMenuPathLength - static_cast<int>(name.size()) - 4);
        const QString shortened = path.left(nKeep) + QStringLiteral("...") + QDir::separator() + name;
        // With a long file name the folders left are too few to save anything.
        if (shortened.size() < path.size()) {
            path = shortened;
        }
    }
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
        const QString path = QDir::cleanPath(value.toString());
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
