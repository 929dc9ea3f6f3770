#include "module/state.h"

#include <stdexcept>
#include <utility>

#include "module/faces/prepared_view.h"
#include "module/registry.h"
#include "scene/suspension.h"

namespace trembla::ext {

namespace {

constexpr const char* kPrepared = "_prepared";
constexpr const char* kWindow = "_window";
constexpr const char* kOriginalEvalMode = "_original_eval_mode";
// True once the host refused to key a curve in one call: later commands key per key.
constexpr const char* kPerKeyOnly = "_per_key_only";

// The bridge's cache across commands. Deliberately never freed: its Python objects must not be
// released after the interpreter is gone.
std::shared_ptr<py::BridgeCache>& bridge_cache() {
    static auto* const cache = new std::shared_ptr<py::BridgeCache>(std::make_shared<py::BridgeCache>());
    return *cache;
}

void bind_import(PyObject* module, const char* attribute, const char* module_name) {
    py::PyRef imported = py::checked(PyImport_ImportModule(module_name));
    set_module_attr(module, attribute, imported.get());
}

// `_original_eval_mode` when it holds a non-empty str; anything else means "nothing saved".
std::optional<std::string> saved_eval_mode(PyObject* module) {
    py::PyRef value = module_attr(module, kOriginalEvalMode);
    std::string mode;
    if (!py::is_text(value.get())) {
        return std::nullopt;
    }
    if (!py::text_to_utf8(value.get(), mode)) {
        py::throw_python_error();
    }
    if (mode.empty()) {
        return std::nullopt;
    }
    return mode;
}

void store_eval_mode(PyObject* module, const std::string& mode) {
    py::PyRef value = py::checked(py::text(mode));
    set_module_attr(module, kOriginalEvalMode, value.get());
}

}  // namespace

void bind_host_modules(PyObject* module) {
    bind_import(module, "cmds", "maya.cmds");
    bind_import(module, "mel", "maya.mel");
    bind_import(module, "omui", "maya.OpenMayaUI");
    bind_import(module, "json", "json");
    bind_import(module, "os", "os");
    bind_import(module, "sys", "sys");
    bind_import(module, "traceback", "traceback");
}

void reset_module_state(PyObject* module) {
    py::PyRef view = make_prepared_view(std::make_shared<const Prepared>());
    set_module_attr(module, kPrepared, view.get());
    set_module_attr(module, kWindow, Py_None);
    set_module_attr(module, kOriginalEvalMode, Py_None);
    set_module_attr(module, kPerKeyOnly, Py_False);
    // A host that still holds the old cache keeps it until it is done.
    bridge_cache() = std::make_shared<py::BridgeCache>();
}

py::PythonHost host_for(PyObject* module) {
    py::HostModules modules;
    modules.cmds = module_attr(module, "cmds");
    modules.mel = module_attr(module, "mel");
    modules.omui = module_attr(module, "omui");
    // The module itself is kept, not its attribute: a script or reset_state() may replace it.
    const py::PyRef owner = py::PyRef::borrow(module);
    py::KeyPathState key_path;
    key_path.per_key_only = [owner] {
        const py::PyRef value = module_attr(owner.get(), kPerKeyOnly);
        const int truth = PyObject_IsTrue(value.get());
        if (truth < 0) py::throw_python_error();
        return truth != 0;
    };
    key_path.keep_per_key = [owner] { set_module_attr(owner.get(), kPerKeyOnly, Py_True); };
    return py::PythonHost(std::move(modules), std::move(key_path), bridge_cache());
}

PreparedRecord current_prepared(PyObject* module) {
    py::PyRef view = module_attr(module, kPrepared);
    PreparedRecord record = prepared_of(view.get());
    if (!record) {
        throw std::runtime_error("trembla_tool._prepared has been replaced; call reset_state() to restore it");
    }
    return record;
}

bool replace_prepared(PyObject* module, const PreparedRecord& expected, Prepared next) {
    py::PyRef view = module_attr(module, kPrepared);
    return replace_prepared_of(view.get(), expected, std::make_shared<const Prepared>(std::move(next)));
}

void suspend_viewport(PyObject* module, Host& host) {
    std::optional<std::string> saved;
    try {
        suspend(host, saved);
    } catch (...) {
        if (saved) {
            store_eval_mode(module, *saved);
        }
        throw;
    }
    if (saved) {
        store_eval_mode(module, *saved);
    } else {
        // The mode could not be read and was left alone: an older saved mode must not be restored.
        set_module_attr(module, kOriginalEvalMode, Py_None);
    }
}

void resume_viewport(PyObject* module, Host& host) { unsuspend(host, saved_eval_mode(module)); }

}  // namespace trembla::ext
