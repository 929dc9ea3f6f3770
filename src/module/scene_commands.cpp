#include "module/scene_commands.h"

#include <exception>
#include <memory>
#include <optional>
#include <string>

#include <QPushButton>
#include <QString>

#include "module/error_report.h"
#include "module/registry.h"
#include "module/state.h"
#include "module/window_controls.h"
#include "scene/prepared.h"
#include "scene/python_error.h"
#include "scene/python_host.h"
#include "scene/workflow.h"
#include "ui/main_window.h"
#include "ui/theme.h"

namespace trembla::ext {

namespace {

constexpr const char* kOriginalEvalMode = "_original_eval_mode";

void set_prepare_button(QPushButton* button, const char* text, const char* style_class) {
    button->setText(QString::fromLatin1(text));
    change_style_class(button, style_class);
}

// `_original_eval_mode` when it holds a non-empty str; anything else means "nothing saved".
std::optional<std::string> read_saved_eval_mode(PyObject* module) {
    py::PyRef value = module_attr(module, kOriginalEvalMode);
    std::string mode;
    if (!py::is_text(value.get())) return std::nullopt;
    if (!py::text_to_utf8(value.get(), mode)) py::throw_python_error();
    if (mode.empty()) return std::nullopt;
    return mode;
}

void write_saved_eval_mode(PyObject* module, const std::optional<std::string>& mode) {
    if (!mode) return;
    py::PyRef value = py::checked(py::text(*mode));
    set_module_attr(module, kOriginalEvalMode, value.get());
}

// Runs `body(saved_mode)` with the module's saved evaluation mode and writes the mode back
// afterwards, also when the body throws: a suspend that saved the mode and then failed to stop
// the redraw has still replaced it, and the next unsuspend must find the new one.
template <class Body>
auto with_saved_eval_mode(PyObject* module, Body&& body) {
    std::optional<std::string> saved_mode = read_saved_eval_mode(module);
    try {
        auto result = body(saved_mode);
        write_saved_eval_mode(module, saved_mode);
        return result;
    } catch (...) {
        try {
            write_saved_eval_mode(module, saved_mode);
        } catch (...) {
            // The failure that brought us here is the one the caller needs to see.
        }
        throw;
    }
}

// Writes `text` to sys.stderr; the failure of the report itself is dropped (and cleared).
void write_stderr(const std::string& text) noexcept {
    PyObject* stream = PySys_GetObject(const_cast<char*>("stderr"));
    if (stream == nullptr || stream == Py_None) return;
    py::PyRef line = py::PyRef::steal(py::stream_text(text));
    if (!line || PyFile_WriteObject(line.get(), stream, Py_PRINT_RAW) != 0) PyErr_Clear();
}

// The traceback of a failed prepare, printed to sys.stderr the way traceback.print_exc() prints
// it. The error has already been reported as a warning and goes no further: no Python error is
// left set, whatever happens while printing.
void print_failure_traceback(PyObject* module, const std::exception_ptr& failure) noexcept {
    try {
        std::rethrow_exception(failure);
    } catch (const py::PythonError& error) {
        // Read, not restored: the exception object is shared with whoever still holds `failure`.
        PyObject* traceback_module = PyObject_GetAttrString(module, "traceback");
        PyObject* printed = nullptr;
        if (traceback_module != nullptr) {
            PyObject* traceback = error.traceback() != nullptr ? error.traceback() : Py_None;
            PyObject* value = error.value() != nullptr ? error.value() : Py_None;
            printed = PyObject_CallMethod(traceback_module, const_cast<char*>("print_exception"),
                                          const_cast<char*>("OOO"), error.type(), value, traceback);
        }
        if (printed == nullptr) {
            PyErr_Clear();
            write_stderr(std::string("Traceback unavailable: ") + error.what() + "\n");
        }
        Py_XDECREF(printed);
        Py_XDECREF(traceback_module);
    } catch (const std::exception& error) {
        // No Python frames to show: the failure came from the tool's own C++ code.
        write_stderr(std::string("Traceback (C++, no Python frames): ") + error.what() + "\n");
    } catch (...) {
        write_stderr("Traceback (C++, no Python frames): unknown error\n");
    }
}

// Every hook makes its host over the module's current `cmds`, `mel` and `omui` and takes the
// module's current record at call time: a state reset between two commands replaces the record,
// and the window must act on the new one. Qt may run a hook straight from the host's event loop,
// so each one holds the GIL for its whole run.
void install_selection_commands(WindowContext& context, PyObject* module) {
    context.set_camera = [module](TremblaToolWindow& window) {
        GilHold gil;
        py::PythonHost host = host_for(module);
        if (std::optional<std::string> name = set_camera(host)) {
            window.camera_field->setText(QString::fromStdString(*name));
        }
    };
    context.set_source = [module](TremblaToolWindow& window) {
        GilHold gil;
        py::PythonHost host = host_for(module);
        if (std::optional<std::string> name = set_source(host)) {
            window.source_field->setText(QString::fromStdString(*name));
        }
    };
}

void install_shake_commands(WindowContext& context, PyObject* module) {
    context.prepare_shake = [module](TremblaToolWindow& window) {
        GilHold gil;
        py::PythonHost host = host_for(module);
        std::shared_ptr<Prepared> record = current_prepared(module);
        const ShakeControls controls = read_controls(window);
        const FailureReporter report = [module](const std::exception_ptr& failure) {
            print_failure_traceback(module, failure);
        };
        const PrepareOutcome outcome = with_saved_eval_mode(module, [&](std::optional<std::string>& saved_mode) {
            return prepare_shake(host, *record, saved_mode, controls, report);
        });
        // A failed prepare still counts as a prepare for the button: the user sees it was run.
        if (outcome != PrepareOutcome::Rejected) set_prepare_button(window.prepare_btn, "Re-Prepare", "preparedBtn");
    };
    context.update_shake = [module](TremblaToolWindow& window) {
        GilHold gil;
        std::shared_ptr<Prepared> record = current_prepared(module);
        if (!record->ready) return;  // no host needed for doing nothing
        py::PythonHost host = host_for(module);
        update_shake(host, *record, read_controls(window));
    };
    context.reset_camera = [module](TremblaToolWindow& window) {
        GilHold gil;
        py::PythonHost host = host_for(module);
        std::shared_ptr<Prepared> record = current_prepared(module);
        if (reset_camera(host, *record)) set_prepare_button(window.prepare_btn, "Prepare Shake", "primaryBtn");
    };
    context.bake_to_layer = [module](TremblaToolWindow& window) {
        GilHold gil;
        py::PythonHost host = host_for(module);
        std::shared_ptr<Prepared> record = current_prepared(module);
        const ShakeControls controls = read_controls(window);
        // The button follows the record, also when the closing in-view message fails: by then
        // the layer is keyed and the preparation has ended, and the error still goes on.
        const bool was_ready = record->ready;
        const auto show_if_ended = [&] {
            if (was_ready && !record->ready) set_prepare_button(window.prepare_btn, "Prepare Shake", "primaryBtn");
        };
        try {
            with_saved_eval_mode(module, [&](std::optional<std::string>& saved_mode) {
                return bake_to_layer(host, *record, saved_mode, controls);
            });
        } catch (...) {
            show_if_ended();
            throw;
        }
        show_if_ended();
    };
}

}  // namespace

void install_scene_commands(WindowContext& context, PyObject* module) {
    install_selection_commands(context, module);
    install_shake_commands(context, module);
}

}  // namespace trembla::ext
