// The extension module's entry point: creates `trembla_tool` and runs each part of loading in order.
// Beside it, registry (how parts add themselves) and state (the module attributes scripts share with
// the tool); below it functions/ (module-level functions and constants), faces/ (Python types of C++
// objects), commands/ (what the window's controls run) and binding/ (C-API plumbing and conversion
// under all of them). The CMakeLists says what each folder holds.
#include "module/binding/errors.h"
#include "module/binding/qt_binding.h"
#include "module/commands/progress_timing.h"
#include "module/faces/control_proxy.h"
#include "module/faces/prepared_view.h"
#include "module/faces/window_type.h"
#include "module/functions/clip_functions.h"
#include "module/functions/entry_functions.h"
#include "module/functions/main_window_access.h"
#include "module/functions/preset_functions.h"
#include "module/functions/shake_functions.h"
#include "module/functions/suspension_functions.h"
#include "module/functions/theme_constants.h"
#include "module/registry.h"
#include "module/state.h"

namespace {

using namespace trembla::ext;

constexpr const char* kModuleDoc =
    "Trembla Tool v2.1\n"
    "\n"
    "Generates a follow-with-lag effect for a camera from a source object's movement, in a compact\n"
    "tabbed interface.\n"
    "\n"
    "Hosts: Maya 2019-2026 (Python 2.7 / 3.x, PySide2 / PySide6).";

// Loading order: each part may rely on the names bound by the parts before it. New units add
// their register function here, at the place loading should reach them.
// Importing opens nothing: no window and no Qt application are made before show().
const ModulePart kLoadingOrder[] = {
    bind_host_modules,              // cmds, mel, omui, json, os, sys, traceback
    register_qt_binding,            // QtCore, QtGui, QtWidgets, wrapInstance, PYSIDE_VERSION
    register_preset_functions,      // the preset-file functions
    register_clip_functions,        // the clip-file functions
    register_theme_constants,       // COLORS, STYLESHEET
    register_prepared_view,         //
    reset_module_state,             // _prepared, _window, _original_eval_mode
    register_progress_timing,       // _progress_delay, _progress_interval
    register_main_window_access,    // get_maya_main_window
    register_suspension_functions,  // suspend, unsuspend
    register_shake_functions,       // the computation functions
    register_control_types,         // SliderRow (and the other controls' faces)
    register_window_type,           // TremblaToolWindow
    register_entry_functions,       // reset_state, show
};

#if TREMBLA_PY3
PyModuleDef g_module_def = {
    PyModuleDef_HEAD_INIT, "trembla_tool", kModuleDoc, -1, nullptr, nullptr, nullptr, nullptr, nullptr,
};
#endif

trembla::py::PyRef create_module() {
#if TREMBLA_PY3
    return trembla::py::checked(PyModule_Create(&g_module_def));
#else
    // Python 2 lends the module (sys.modules holds it); the entry point wants a reference of its own.
    PyObject* module = Py_InitModule3("trembla_tool", nullptr, kModuleDoc);
    if (module == nullptr) {
        trembla::py::throw_python_error();
    }
    return trembla::py::PyRef::borrow(module);
#endif
}

}  // namespace

TREMBLA_MODULE_INIT(trembla_tool) {
    return guarded([] {
        trembla::py::PyRef module = create_module();
        for (ModulePart part : kLoadingOrder) {
            part(module.get());
        }
        return module.release();
    });
}
