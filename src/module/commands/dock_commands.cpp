#include "module/commands/dock_commands.h"

#include <initializer_list>
#include <stdexcept>
#include <string>
#include <utility>

#include <QPointer>
#include <QWidget>

#include "module/binding/error_report.h"
#include "module/binding/qt_application.h"
#include "module/binding/qt_binding.h"
#include "module/commands/window_command.h"
#include "module/functions/main_window_access.h"
#include "pyhost/py_ref.h"
#include "pyhost/python_error.h"
#include "ui/main_window.h"

namespace trembla::ext {

using py::checked;
using py::PyRef;

const char* const kDockControlName = "tremblaToolPySideWorkspaceControl";
const char* const kDockRestoreScript = "import trembla_tool\ntrembla_tool.restore_docked()";

namespace {

QPointer<TremblaToolWindow>& docking() {
    static QPointer<TremblaToolWindow> window;
    return window;
}

// Marks `window` as the one being docked for the life of the scope (nested docks keep the outer).
class DockingScope {
public:
    explicit DockingScope(TremblaToolWindow& window) : outer_(docking()) { docking() = &window; }
    ~DockingScope() { docking() = outer_; }
    DockingScope(const DockingScope&) = delete;
    DockingScope& operator=(const DockingScope&) = delete;

private:
    QPointer<TremblaToolWindow> outer_;
};

using Keyword = std::pair<const char*, PyRef>;

// maya.cmds.workspaceControl(kDockControlName, **keywords).
PyRef workspace_control(std::initializer_list<Keyword> keywords) {
    PyRef cmds = checked(PyImport_ImportModule("maya.cmds"));
    PyRef function = checked(PyObject_GetAttrString(cmds.get(), "workspaceControl"));
    PyRef name = checked(py::text(kDockControlName));
    PyRef args = checked(PyTuple_Pack(1, name.get()));
    PyRef kwargs = checked(PyDict_New());
    for (const Keyword& keyword : keywords) {
        if (PyDict_SetItemString(kwargs.get(), keyword.first, keyword.second.get()) < 0) {
            py::throw_python_error();
        }
    }
    return checked(PyObject_Call(function.get(), args.get(), kwargs.get()));
}

PyRef truth(bool value) { return PyRef::borrow(value ? Py_True : Py_False); }

bool control_exists() {
    PyRef answer = workspace_control({{"exists", truth(true)}});
    const int exists = PyObject_IsTrue(answer.get());
    if (exists < 0) py::throw_python_error();
    return exists == 1;
}

// retain=False: closing the control deletes it, so a closed panel leaves nothing behind in the
// workspace. Docked on the main window's right side, tabbed with what is docked there.
void create_control() {
    PyRef side = checked(Py_BuildValue("(sO)", "right", Py_True));
    workspace_control({{"label", checked(py::text(TremblaToolWindow::WINDOW_TITLE))},
                       {"retain", truth(false)},
                       {"uiScript", checked(py::text(kDockRestoreScript))},
                       {"initialWidth", checked(py::integer(TremblaToolWindow::kColumnWidth))},
                       {"dockToMainWindow", std::move(side)}});
}

void close_control() {
    if (control_exists()) workspace_control({{"edit", truth(true)}, {"close", truth(true)}});
}

void dock(PyObject* module, TremblaToolWindow& target) {
    const QPointer<TremblaToolWindow> window(&target);
    const DockingScope scope(target);
    // The host may run the uiScript as it makes the control; that docks this window already.
    if (!control_exists()) create_control();
    QWidget* container = dock_container(module);
    if (window.isNull()) throw WindowGone();
    if (window->parentWidget() != container || window->isWindow()) window->_place_in_dock(container);
}

// Out of the dock first: the control, deleted on close, would delete the window inside it.
void undock(PyObject* module, TremblaToolWindow& target, bool visible) {
    const QPointer<TremblaToolWindow> window(&target);
    QWidget* parent = host_main_window_widget(module);
    if (window.isNull()) throw WindowGone();
    window->_place_floating(parent, visible);
    close_control();
}

}  // namespace

TremblaToolWindow* window_being_docked() { return docking().data(); }

QWidget* dock_container(PyObject*) {
    PyRef open_maya_ui = checked(PyImport_ImportModule("maya.OpenMayaUI"));
    PyRef util = checked(PyObject_GetAttrString(open_maya_ui.get(), "MQtUtil"));
    PyRef find_control = checked(PyObject_GetAttrString(util.get(), "findControl"));
    PyRef name = checked(py::text(kDockControlName));
    PyRef pointer = checked(PyObject_CallFunctionObjArgs(find_control.get(), name.get(), nullptr));
    if (pointer.get() == Py_None) {
        throw std::runtime_error(std::string("the host has no widget for the workspace control ") + kDockControlName);
    }
    return application_widget_at(address_from_python(pointer.get()));
}

void install_dock_commands(WindowContext& context, PyObject* module) {
    context.toggle_dock = [module](TremblaToolWindow& window) {
        GilHold gil;
        if (window._is_docked()) {
            undock(module, window, true);
        } else {
            dock(module, window);
        }
    };
    context.close_dock = [module](TremblaToolWindow& window) {
        GilHold gil;
        undock(module, window, false);
    };
}

}  // namespace trembla::ext
