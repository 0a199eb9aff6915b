// SPDX-License-Identifier: MIT
#pragma once

class QIODevice;

// The file a document is loaded from or stored into.
class CArchive {
public:
    enum Mode { load, store };
    CArchive(QIODevice* pFile, Mode mode) : m_pFile(pFile), m_mode(mode) {}

    bool IsLoading() const { return m_mode == load; }
    bool IsStoring() const { return m_mode == store; }
    QIODevice* GetFile() const { return m_pFile; }

private:
    QIODevice* m_pFile;
    Mode m_mode;
};
