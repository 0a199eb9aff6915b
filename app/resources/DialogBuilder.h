// SPDX-License-Identifier: MIT
// The bridge from the dialog templates of res/ to Qt widgets: a dialog's controls, placed in dialog units.
#pragma once

#include <QFont>
#include <QRect>
#include <map>

struct DialogTemplate;
class QDialog;
class QWidget;

class CDialogBuilder {
public:
    // Horizontal and vertical dialog base units, in logical pixels.
    static constexpr int kBaseUnitX = 7;
    static constexpr int kBaseUnitY = 12;

    static QRect MapDialogRect(int x, int y, int cx, int cy);
    static QFont DialogFont(const DialogTemplate& tmpl);

    // Sets caption, frame, font and size, and creates every control in template order (which is also
    // the tab order). Returns the controls by id; controls with id -1 are left out.
    static std::map<int, QWidget*> Build(QDialog& dialog, const DialogTemplate& tmpl);
    // The control that Build made for id nID, or nullptr.
    static QWidget* FindControl(const QWidget& dialog, int nID);
};
