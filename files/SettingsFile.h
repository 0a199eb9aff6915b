// SPDX-License-Identifier: MIT
#pragma once

#include <QString>
#include <functional>
#include <memory>

class QSettings;

// The per-user settings file, looked at before QSettings reads it: reading a pipe would wait forever, a huge
// file would fill the memory. A file that cannot be used is left alone, neither read nor written, for the
// rest of the run.
class CSettingsFile {
public:
    enum Problem { NotRead, NotWritten };
    // Told once per problem: the file's path and, when it cannot be read, why.
    using Reporter = std::function<void(Problem nProblem, const QString& path, const QString& reason)>;

    // The file QSettings keeps for this organisation and application.
    CSettingsFile(const QString& organisation, const QString& application, Reporter report);

    const QString& GetPath() const { return m_path; }
    // The settings as the file holds them, or nullptr while the file is left alone.
    std::unique_ptr<QSettings> Open();
    // Lets change() alter the settings and writes them out.
    void Write(const std::function<void(QSettings&)>& change);

private:
    QString m_path;
    Reporter m_report;
    bool m_bUsable = true;
    bool m_bWriteReported = false;
};
