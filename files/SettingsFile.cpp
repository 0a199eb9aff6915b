// SPDX-License-Identifier: MIT
#include "files/SettingsFile.h"

#include "files/RegularFile.h"
#include "files/SystemError.h"

#include <QSettings>
#include <QStandardPaths>

#include <cerrno>

namespace {

// Far more than the settings take: a larger file is no settings file of ours.
constexpr qint64 kMaxSize = 1024 * 1024;

} // namespace

CSettingsFile::CSettingsFile(const QString& organisation, const QString& application, Reporter report)
    : m_path(QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation) + QLatin1Char('/') +
             organisation + QLatin1Char('/') + application + QLatin1String(".conf")),
      m_report(std::move(report)) {}

std::unique_ptr<QSettings> CSettingsFile::Open() {
    if (!m_bUsable) {
        return nullptr;
    }
    const int nError = CRegularFile::CheckReadable(m_path, kMaxSize);
    // A file we cannot read is not ours to overwrite either. (None at all is a first start.)
    if (nError != 0 && nError != ENOENT) {
        m_bUsable = false;
        m_report(NotRead, m_path, CSystemError::ReadingText(nError));
        return nullptr;
    }
    return std::make_unique<QSettings>(m_path, QSettings::NativeFormat);
}

void CSettingsFile::Write(const std::function<void(QSettings&)>& change) {
    const auto reader = Open();
    if (reader == nullptr) {
        return;
    }
    // QSettings reads past a line it cannot use, but keeps only the first error it meets: that FormatError
    // would hide how the write went. The file is read whole here; the object that writes it shares what was
    // read, as all objects on one file do, and so meets no such line.
    reader->allKeys();
    QSettings writer(m_path, QSettings::NativeFormat);
    change(writer);
    writer.sync();
    if (writer.status() != QSettings::NoError && !m_bWriteReported) {
        m_bWriteReported = true;
        m_report(NotWritten, m_path, QString());
    }
}
