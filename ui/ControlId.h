#pragma once
// Control ids of dialog items. Dialogs address their controls by fixed numbers
// (a static with id 213, a link with id 600); a widget carries its id as a
// property so that a dialog can find it again and a control can look up
// resources by its own id.

class QWidget;

namespace qx {

void SetControlId(QWidget* widget, int id);
// The widget's id, 0 when it has none (as for a window that is no dialog item).
int ControlId(const QWidget* widget);
// The first descendant of parent with that id, or null.
QWidget* FindControl(const QWidget* parent, int id);

}  // namespace qx
