// PythonHost, the host's interface: the evaluation mode and viewport refresh, MEL, messages to
// the animator (in-view, warnings, the script output), the user's script folder, the main window
// and the main progress bar.
#include "pyhost/python_host_calls.h"

namespace trembla::py {

std::string PythonHost::evaluation_mode() {
    const Names& n = names();
    PyRef answer = call(Command::EvaluationManager, {}, {{n.q, Py_True}, {n.mode, Py_True}});
    // The host answers a list holding the mode's name; a plain text answer is the name itself
    // (its first item would be its first letter).
    if (is_text(answer.get())) {
        return answer_text(answer.get());
    }
    return answer_text(answer_item(answer.get(), 0).get());
}

void PythonHost::set_evaluation_mode(const std::string& mode) {
    PyRef mode_obj = make_text(mode);
    call(Command::EvaluationManager, {}, {{names().mode, mode_obj.get()}});
}

void PythonHost::refresh_suspend(bool suspended) {
    call(Command::Refresh, {}, {{names().suspend, suspended ? Py_True : Py_False}});
}

void PythonHost::mel_eval(const std::string& command_text) {
    PyRef command_obj = make_text(command_text);
    call(Command::MelEval, {command_obj.get()});
}

void PythonHost::in_view_message(const std::string& message) {
    const Names& n = names();
    PyRef text_obj = make_text(message);
    PyRef position = make_text("midCenter");
    call(Command::InViewMessage, {}, {{n.amg, text_obj.get()}, {n.pos, position.get()}, {n.fade, Py_True}});
}

void PythonHost::warning(const std::string& message) {
    PyRef text_obj = make_text(message);
    call(Command::Warning, {text_obj.get()});
}

std::string PythonHost::user_script_dir() {
    return answer_text(call(Command::InternalVar, {}, {{names().userScriptDir, Py_True}}).get());
}

std::optional<std::uintptr_t> PythonHost::main_window() {
    PyRef pointer = call(Command::MainWindow, {});
    if (pointer.get() == Py_None) {
        return std::nullopt;
    }
    // int() on Python 3, long() on Python 2: both keep every bit of a 64-bit address.
    PyRef address = checked(PyNumber_Long(pointer.get()));
#if !TREMBLA_PY3
    if (PyInt_Check(address.get())) {  // long() may hand back a plain int on Python 2
        address = checked(PyLong_FromLong(PyInt_AS_LONG(address.get())));
    }
#endif
    static_assert(sizeof(unsigned long long) >= sizeof(std::uintptr_t), "address must fit");
    const unsigned long long value = PyLong_AsUnsignedLongLong(address.get());
    if (value == static_cast<unsigned long long>(-1) && PyErr_Occurred()) {
        throw_python_error();
    }
    return static_cast<std::uintptr_t>(value);
}

void PythonHost::print_line(const std::string& message) {
    // sys.stdout.write rather than PySys_WriteStdout, which cuts output at 1000 bytes.
    PyObject* stream = PySys_GetObject(const_cast<char*>("stdout"));
    if (stream == nullptr || stream == Py_None) {
        PyErr_SetString(PyExc_RuntimeError, "lost sys.stdout");
        throw_python_error();
    }
    PyRef keep = PyRef::borrow(stream);
    PyRef write = checked(PyObject_GetAttr(stream, names().write));
    PyRef line = checked(stream_text(message + "\n"));
    checked(PyObject_CallFunctionObjArgs(write.get(), line.get(), nullptr));
}

// The main progress bar is a MEL global; reading it through an assignment gives its value, as the
// progressBar reference's own example does ($gMainProgressBar, "Python examples",
// https://docs.huihoo.com/autodesk/maya/2017/english/CommandsPython/progressBar.html).
std::string PythonHost::main_progress_bar() {
    PyRef command_obj = make_text("$tmp = $gMainProgressBar");
    return answer_text(call(Command::MelEval, {command_obj.get()}).get());
}

// progressBar (same page): beginProgress "Only valid for the main progress bar. Shows the main
// progress bar (normally in the Help Line)" (its PyMel page, https://docs.huihoo.com/autodesk/maya/
// 2017/chinese/PyMel/generated/functions/pymel.core.windows/pymel.core.windows.progressBar.html);
// isInterruptable lets Esc cancel, status is the text shown with the gauge and maxValue its
// "ending" value (these flags progressBar shares with progressWindow, worded in
// https://docs.huihoo.com/autodesk/maya/2017/english/CommandsPython/progressWindow.html).
void PythonHost::begin_progress(const std::string& bar, const std::string& status, int max_value, bool interruptible) {
    const Names& n = names();
    PyRef bar_obj = make_text(bar);
    PyRef status_obj = make_text(status);
    PyRef max_obj = make_int(max_value);
    call(Command::ProgressBar, {bar_obj.get()},
         {{n.edit, Py_True},
          {n.beginProgress, Py_True},
          {n.isInterruptable, interruptible ? Py_True : Py_False},
          {n.status, status_obj.get()},
          {n.maxValue, max_obj.get()}});
}

// progress: the amount shown, which the host keeps within minValue and maxValue.
void PythonHost::set_progress(const std::string& bar, int value) {
    const Names& n = names();
    PyRef bar_obj = make_text(bar);
    PyRef value_obj = make_int(value);
    call(Command::ProgressBar, {bar_obj.get()}, {{n.edit, Py_True}, {n.progress, value_obj.get()}});
}

// isCancelled, a query only: "Returns true if the user has tried to cancel the operation".
bool PythonHost::progress_cancelled(const std::string& bar) {
    const Names& n = names();
    PyRef bar_obj = make_text(bar);
    return answer_truth(call(Command::ProgressBar, {bar_obj.get()}, {{n.q, Py_True}, {n.isCancelled, Py_True}}).get());
}

// endProgress: hides the bar again; "No other flags can be used at the same time" (edit is the
// mode, as in the reference's example).
void PythonHost::end_progress(const std::string& bar) {
    const Names& n = names();
    PyRef bar_obj = make_text(bar);
    call(Command::ProgressBar, {bar_obj.get()}, {{n.edit, Py_True}, {n.endProgress, Py_True}});
}

}  // namespace trembla::py
