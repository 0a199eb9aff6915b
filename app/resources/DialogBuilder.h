// SPDX-License-Identifier: MIT
#pragma once

#include <QFont>
#include <QRect>
#include <map>

struct DialogTemplate;
class QDialog;
class QWidget;

// Builds a dialog's controls from a template whose geometry is in dialog units.
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
};
