#include "module/functions/suspension_functions.h"

#include "module/binding/errors.h"
#include "module/registry.h"
#include "module/state.h"

namespace trembla::ext {

namespace {

PyObject* py_suspend(PyObject* module, PyObject*) {
    return guarded([&] {
        py::PythonHost host = host_for(module);
        suspend_viewport(module, host);
        Py_RETURN_NONE;
    });
}

PyObject* py_unsuspend(PyObject* module, PyObject*) {
    return guarded([&] {
        py::PythonHost host = host_for(module);
        resume_viewport(module, host);
        Py_RETURN_NONE;
    });
}

PyMethodDef kSuspensionFunctions[] = {
    {"suspend", py_suspend, METH_NOARGS,
     "suspend()\n\n"
     "Stops viewport redraw, hides the time slider and switches evaluation off, saving the\n"
     "evaluation mode in _original_eval_mode (None, and the mode left alone, when it cannot be read)."},
    {"unsuspend", py_unsuspend, METH_NOARGS,
     "unsuspend()\n\n"
     "Resumes viewport redraw, shows the time slider and switches the evaluation mode back to\n"
     "_original_eval_mode when one is saved."},
    {nullptr, nullptr, 0, nullptr},
};

}  // namespace

void register_suspension_functions(PyObject* module) { add_functions(module, kSuspensionFunctions); }

}  // namespace trembla::ext
