#pragma once
// The controls of the main window and where they sit: the channel editor on the left, the eight
// output buttons in a column beside it, the timing diagram with its time base on the right, and
// the lock check boxes in a column at the right edge. Every control carries its id (control_id.h,
// and as its object name); the diagram takes the space the window gains when it grows.

#include <QBoxLayout>
#include <QWidget>
#include <map>

namespace zo::quintel {

class CTimeWnd;

struct QuintelDlgControls {
    std::map<int, QWidget*> byId;
    CTimeWnd* diagram = nullptr;
    QBoxLayout* layout = nullptr;  // the dialog's own
};

// Builds the controls as children of `dialog`, in a layout set on it.
QuintelDlgControls BuildQuintelDlgControls(QWidget& dialog);

}  // namespace zo::quintel
