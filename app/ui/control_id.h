#pragma once
// Every control of a dialog carries the numeric id of its place in the dialog's layout, as the
// dialog templates of the program name them; handlers and tests find a control by that id.

#include <QWidget>

namespace zo::quintel {

void SetControlId(QWidget& control, int id);

// The control's id, 0 when it has none.
int ControlId(const QObject& control);

// The first control below the dialog with the id, or null.
QWidget* FindControl(const QWidget& dialog, int id);

}  // namespace zo::quintel
