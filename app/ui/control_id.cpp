#include "app/ui/control_id.h"

#include <QVariant>

namespace zo::quintel {
namespace {

constexpr const char* kProperty = "quintelControlId";

}  // namespace

void SetControlId(QWidget& control, int id) {
    control.setProperty(kProperty, id);
}

int ControlId(const QObject& control) {
    return control.property(kProperty).toInt();
}

QWidget* FindControl(const QWidget& dialog, int id) {
    for (QWidget* control : dialog.findChildren<QWidget*>()) {
        if (ControlId(*control) == id) {
            return control;
        }
    }
    return nullptr;
}

}  // namespace zo::quintel
