// SPDX-License-Identifier: MIT
#pragma once

#include <QStatusBar>
#include <vector>

class QLabel;

// A status bar of panes: pane 0 stretches and carries messages, the others are indicators as wide as
// their text.
class CStatusBar : public QStatusBar {
    Q_OBJECT
public:
    explicit CStatusBar(QWidget* parent);

    // Builds one pane per id; fails when an indicator has no text in the string table.
    bool SetIndicators(const int* pIDs, int nCount);

    int GetCount() const { return static_cast<int>(m_panes.size()); }
    int GetItemID(int nIndex) const { return m_ids.at(nIndex); }
    int CommandToIndex(int nID) const;
    QString GetPaneText(int nIndex) const;
    void SetPaneText(int nIndex, const QString& text);
    // Shows or blanks an indicator's text, keeping the pane's width.
    void SetIndicatorOn(int nID, bool bOn);
    QLabel* GetPane(int nIndex) const { return m_panes.at(nIndex); }

private:
    std::vector<int> m_ids;
    std::vector<QLabel*> m_panes;
};
