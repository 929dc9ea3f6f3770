#include "module/functions/entry_functions.h"

#include "module/binding/errors.h"
#include "module/commands/undo_follow.h"
#include "module/faces/window_type.h"
#include "module/registry.h"
#include "module/state.h"
#include "ui/main_window.h"

namespace trembla::ext {

namespace {

PyObject* py_show(PyObject* module, PyObject*) {
    return guarded([&] {
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
        live_window(window.get()).reset_btn->setEnabled(current_prepared(module)->ready);
        live_window(window.get()).show();
        return window.release();
    });
}

PyObject* py_reset_state(PyObject* module, PyObject*) {
    return guarded([&] {
        reset_module_state(module);
        forget_undo_history();
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
    {"show", py_show, METH_NOARGS,
     "show()\n\n"
     "Show the Trembla Tool window.\n\n"
     "Marks the preparation not ready, builds a new window under the host main window (closing any\n"
     "earlier one), keeps it in _window, shows it non-modal and returns it."},
    {nullptr, nullptr, 0, nullptr},
};

}  // namespace

void register_entry_functions(PyObject* module) { add_functions(module, kEntryFunctions); }

}  // namespace trembla::ext
