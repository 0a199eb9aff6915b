// SPDX-License-Identifier: MIT
#pragma once

#include "app/framework/Archive.h"
#include "app/framework/CmdTarget.h"

#include <QString>

class CFrameWnd;

// The data a frame and its view show; opening a file reads it through Serialize.
class CDocument : public CCmdTarget {
public:
    ~CDocument() override = default;

    virtual bool OnNewDocument();
    // Opens the file for reading, lets Serialize load from it and closes it. On failure returns false
    // and gives the system's reason.
    virtual bool OnOpenDocument(const QString& pathName, QString* pErrorText);
    virtual void Serialize(CArchive& ar);

    // The document itself is never changed by the program, so another file may always replace it.
    bool IsModified() const { return m_bModified; }
    bool SaveModified() const { return true; }
    // Asked before the frame showing the document closes, also when the desktop session ends; false keeps
    // the frame open. A program whose work lives in its view offers to save it here.
    virtual bool CanCloseFrame(CFrameWnd*) { return SaveModified(); }

    void SetPathName(const QString& pathName);
    const QString& GetPathName() const { return m_strPathName; }
    const QString& GetTitle() const { return m_strTitle; }
    void SetTitle(const QString& title) { m_strTitle = title; }

private:
    QString m_strPathName;
    QString m_strTitle;
    bool m_bModified = false;
};
