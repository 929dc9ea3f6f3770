#include "module/functions/entry_functions.h"

#include <QPointer>

#include "module/binding/errors.h"
#include "module/commands/dock_commands.h"
#include "module/commands/window_follow.h"
#include "module/faces/window_type.h"
#include "module/registry.h"
#include "module/state.h"
#include "ui/main_window.h"

namespace trembla::ext {

namespace {

// A new window, kept in _window and shown: in `container` (a dock) when there is one, floating
// otherwise.
PyObject* open_window(PyObject* module, const QPointer<QWidget>& container) {
    // A new window starts unprepared; the rest of the record stays for the next prepare.
    // Installed as a new record, so that a command still running on it can tell.
    const PreparedRecord record = current_prepared(module);
    if (record->ready) {
        Prepared next = *record;
        next.ready = false;
        replace_prepared(module, record, std::move(next));
    }
    py::PyRef window = create_window(module);
    set_module_attr(module, "_window", window.get());
    // Reset acts on the record: its button follows whether a shake is applied.
    live_window(window.get())._show_applied(current_prepared(module)->ready);
    if (container) {
        live_window(window.get())._place_in_dock(container.data());
    } else {
        live_window(window.get()).show();
    }
    return window.release();
}

PyObject* py_show(PyObject* module, PyObject*) {
    return guarded([&] {
        // A docked window is replaced in its dock: the panel keeps its place in the workspace.
        const QPointer<QWidget> container(TremblaToolWindow::_docked_container());
        return open_window(module, container);
    });
}

PyObject* py_restore_docked(PyObject* module, PyObject*) {
    return guarded([&]() -> PyObject* {
        const QPointer<QWidget> container(dock_container(module));
        // Run by the host while the dock button makes the control: that window goes in.
        if (TremblaToolWindow* docking = window_being_docked()) {
            if (docking->parentWidget() != container.data() || docking->isWindow()) {
                docking->_place_in_dock(container.data());
            }
            Py_RETURN_NONE;
        }
        return open_window(module, container);
    });
}

PyObject* py_reset_state(PyObject* module, PyObject*) {
    return guarded([&] {
        reset_module_state(module);
        forget_seen_scene();
        Py_RETURN_NONE;
    });
}

PyMethodDef kEntryFunctions[] = {
    {"reset_state", py_reset_state, METH_NOARGS,
     "reset_state()\n\n"
     "Reset global state. Useful when reloading the module.\n\n"
     "Forgets _prepared (a fresh record replaces it), _window, _original_eval_mode, the tool's\n"
     "steps on the host's undo queue and the host bridge's caches; closes no\n"
     "window and restores no evaluation mode."},
    {"restore_docked", py_restore_docked, METH_NOARGS,
     "restore_docked()\n\n"
     "What the tool's workspace control runs as its uiScript when the host restores its workspace:\n"
     "as show(), with the new window in that control (maya.OpenMayaUI.MQtUtil.findControl) rather\n"
     "than floating. Returns the window, or None when the dock button's own window went in."},
    {"show", py_show, METH_NOARGS,
     "show()\n\n"
     "Show the Trembla Tool window.\n\n"
     "Marks the preparation not ready, builds a new window under the host main window (closing any\n"
     "earlier one), keeps it in _window, shows it non-modal and returns it. While the tool is docked\n"
     "the new window takes the earlier one's place in the dock."},
    {nullptr, nullptr, 0, nullptr},
};

}  // namespace

void register_entry_functions(PyObject* module) { add_functions(module, kEntryFunctions); }

}  // namespace trembla::ext
