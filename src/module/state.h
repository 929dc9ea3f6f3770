// The module's state lives in module attributes, as scripts see it: the host modules (`cmds`,
// `mel`, `omui`), `_prepared`, `_window` and `_original_eval_mode`. These helpers are how C++ code
// reads and writes it, so that a script's view and the tool's never disagree.
#pragma once

#include <memory>
#include <optional>
#include <string>

#include "pyhost/python_host.h"
#include "scene/prepared.h"

namespace trembla::ext {

// Loading step 1: maya.cmds as `cmds`, maya.mel as `mel`, maya.OpenMayaUI as `omui`, then the
// standard modules json, os, sys, traceback. A missing host module fails the import with its
// ImportError.
void bind_host_modules(PyObject* module);

// `_prepared` (a fresh record with its initial values), `_window` = None,
// `_original_eval_mode` = None, `_per_key_only` = False (see py::KeyPathState). Loading and the state reset both do exactly this; the old record
// is dropped, not emptied, so whoever still holds it keeps it.
void reset_module_state(PyObject* module);

// The host for one top-level call, over the module's current `cmds`, `mel` and `omui`.
py::PythonHost host_for(PyObject* module);

// The record behind `_prepared` as it is now; RuntimeError when a script has put something else
// there. The record never changes: hold it across host calls and Python code as long as needed.
using PreparedRecord = std::shared_ptr<const Prepared>;
PreparedRecord current_prepared(PyObject* module);

// Installs `next` behind `_prepared` if `expected` is still the record there. False, and nothing
// changed, when something installed another meanwhile (a command nested in a host callback,
// show(), reset_state()): the caller worked from a record that is no longer current.
bool replace_prepared(PyObject* module, const PreparedRecord& expected, Prepared next);

// suspend() / unsuspend() with the saved evaluation mode kept in `_original_eval_mode`: suspending
// stores it (also when suspending redraw then fails); resuming restores it only when it is a
// non-empty str.
void suspend_viewport(PyObject* module, Host& host);
void resume_viewport(PyObject* module, Host& host);

}  // namespace trembla::ext
