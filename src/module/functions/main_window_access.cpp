#include "module/functions/main_window_access.h"

#include <cstdint>
#include <optional>

#include <QWidget>

#include "module/binding/error_report.h"
#include "module/binding/errors.h"
#include "module/binding/qt_application.h"
#include "module/binding/qt_binding.h"
#include "module/registry.h"
#include "module/state.h"

namespace trembla::ext {

namespace {

// The one warning of a failed lookup. A host that cannot even warn makes the script function
// fail with that error; the window constructor drops it and opens unparented.
void warn_lookup_failed(PyObject* module, const std::exception_ptr& error) {
    host_for(module).warning("Trembla: Could not get Maya main window: " + error_text(error));
}

PyObject* py_get_maya_main_window(PyObject* module, PyObject*) {
    return guarded([&]() -> PyObject* {
        try {
            const std::optional<std::uintptr_t> address = host_for(module).main_window();
            if (!address) {
                Py_RETURN_NONE;
            }
            py::PyRef widget = wrap_address(module, *address, "QWidget");
            return widget ? widget.release() : address_to_python(*address).release();
        } catch (...) {
            warn_lookup_failed(module, std::current_exception());
            Py_RETURN_NONE;
        }
    });
}

PyMethodDef kMainWindowFunctions[] = {
    {"get_maya_main_window", py_get_maya_main_window, METH_NOARGS,
     "get_maya_main_window()\n\n"
     "The host's main window: wrapInstance(address, QtWidgets.QWidget) of the pointer that\n"
     "maya.OpenMayaUI.MQtUtil.mainWindow() answers, keeping all of its bits. None in batch mode.\n"
     "Where the Qt binding is not importable (QtWidgets or wrapInstance is None) the address\n"
     "itself, as an int, stands for the widget. On any failure: the warning\n"
     "'Trembla: Could not get Maya main window: <error>' and None."},
    {nullptr, nullptr, 0, nullptr},
};

}  // namespace

void register_main_window_access(PyObject* module) { add_functions(module, kMainWindowFunctions); }

QWidget* host_main_window_widget(PyObject* module) noexcept {
    if (!Py_IsInitialized()) {
        return nullptr;
    }
    GilHold gil;
    try {
        try {
            const std::optional<std::uintptr_t> address = host_for(module).main_window();
            return address ? application_widget_at(*address) : nullptr;
        } catch (...) {
            warn_lookup_failed(module, std::current_exception());
        }
    } catch (...) {
        PyErr_Clear();
    }
    return nullptr;
}

}  // namespace trembla::ext
