#include "ControlId.h"

#include <QVariant>
#include <QWidget>

namespace qx {

namespace {
constexpr const char* kProperty = "qxControlId";
}

void SetControlId(QWidget* widget, int id) {
    if (widget != nullptr)
        widget->setProperty(kProperty, id);
}

int ControlId(const QWidget* widget) {
    if (widget == nullptr)
        return 0;
    const QVariant id = widget->property(kProperty);
    return id.isValid() ? id.toInt() : 0;
}

QWidget* FindControl(const QWidget* parent, int id) {
    if (parent == nullptr)
        return nullptr;
    const auto children = parent->findChildren<QWidget*>();
    for (QWidget* child : children)
        if (ControlId(child) == id)
            return child;
    return nullptr;
}

}  // namespace qx
