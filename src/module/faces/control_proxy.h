// The window's controls as Python sees them: small proxy objects that hold a QPointer to the Qt
// object and offer the calls scripts make on the controls (text/setText, value/setValue,
// isChecked/setChecked, click, currentItem, ...). Setting goes through the control's ordinary Qt
// setter, so its signals fire as for a user's change; the window's handlers report their own
// errors. A call on a control that Qt has deleted raises RuntimeError instead of touching freed
// memory. Proxies never own their control. One file per family of controls (control_face.h).
#pragma once

#include <string>

#include "pyhost/py_ref.h"

class QObject;
class QListWidget;
class QListWidgetItem;

namespace trembla::ext {

// Loading step: readies the proxy types and binds the slider row's type as `SliderRow`.
void register_control_types(PyObject* module);

// A new proxy of the type matching the control's class; None for nullptr.
py::PyRef control_proxy(QObject* control);

// The list entry a ListItem proxy stands for; nullptr for None. TypeError for any other object,
// RuntimeError when the entry has left its list since (a refresh rebuilds the list).
QListWidgetItem* list_item_arg(PyObject* obj, const std::string& name);

}  // namespace trembla::ext
