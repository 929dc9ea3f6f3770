// PythonHost, the undo queue: the tool's own undo chunks (counted across every host), undoing,
// the queue's state and names, and the script jobs that follow the host's Undo and Redo.
#include "pyhost/python_host_calls.h"

namespace trembla::py {

namespace {

// The tool's own chunks, across every host made for a call: how deep they are open, the name of
// the outermost one, and how many outermost ones were closed (each is a step of the tool's on the
// host's queue, unless a caller's chunk held it or the queue was off).
struct ToolChunks {
    int depth = 0;
    std::string outer;
    std::size_t closed = 0;
    std::string last;
};

ToolChunks& tool_chunks() {
    static ToolChunks chunks;
    return chunks;
}

}  // namespace

std::size_t tool_steps_closed() { return tool_chunks().closed; }

const std::string& last_tool_step() { return tool_chunks().last; }

void PythonHost::open_undo_chunk(const std::string& name) {
    PyRef name_obj = make_text(name);
    call(Command::UndoInfo, {}, {{names().openChunk, Py_True}, {names().chunkName, name_obj.get()}});
    ToolChunks& chunks = tool_chunks();
    if (chunks.depth++ == 0) chunks.outer = name;
}

// Runs while a failure may be on its way out: a Python error still set is kept aside for the
// call and put back after it.
void PythonHost::close_undo_chunk() {
    PyObject *type = nullptr, *value = nullptr, *traceback = nullptr;
    PyErr_Fetch(&type, &value, &traceback);
    // Counted as closed also when the host refuses: the tool never asks to close it again, and a
    // count stuck above zero would hide every later step.
    ToolChunks& chunks = tool_chunks();
    if (chunks.depth > 0 && --chunks.depth == 0) {
        ++chunks.closed;
        chunks.last = chunks.outer;
    }
    try {
        call(Command::UndoInfo, {}, {{names().closeChunk, Py_True}});
    } catch (...) {
        PyErr_Restore(type, value, traceback);
        throw;
    }
    PyErr_Restore(type, value, traceback);
}

// undo(): "Takes the most recent command from the undo list and undoes it"
// (https://help.autodesk.com/cloudhelp/2018/ENU/Maya-Tech-Docs/Commands/undo.html).
void PythonHost::undo() { call(Command::Undo, {}); }

// undoInfo (https://docs.huihoo.com/autodesk/maya/2017/english/CommandsPython/undoInfo.html):
// state "Turns undo/redo on or off", an int in query mode; undoName "Returns what will be undone
// (if anything)", a string.
bool PythonHost::undo_enabled() {
    return answer_truth(call(Command::UndoInfo, {}, {{names().q, Py_True}, {names().state, Py_True}}).get());
}

std::string PythonHost::undo_name() {
    return answer_text(call(Command::UndoInfo, {}, {{names().q, Py_True}, {names().undoName, Py_True}}).get());
}

// Same page: redoName "Returns what will be redone (if anything)"; the query without flags
// answers "the number of items currently on the undo queue".
std::string PythonHost::redo_name() {
    return answer_text(call(Command::UndoInfo, {}, {{names().q, Py_True}, {names().redoName, Py_True}}).get());
}

long PythonHost::undo_count() {
    PyRef answer = call(Command::UndoInfo, {}, {{names().q, Py_True}});
    const long count = PyLong_AsLong(answer.get());
    if (count == -1 && PyErr_Occurred()) throw_python_error();
    return count;
}

// Same page: infinity "Set the queue length to infinity"; length "Specifies the maximum number of
// items in the undo queue. The infinity flag overrides this one."
std::optional<long> PythonHost::undo_limit() {
    if (answer_truth(call(Command::UndoInfo, {}, {{names().q, Py_True}, {names().infinity, Py_True}}).get())) {
        return std::nullopt;
    }
    PyRef answer = call(Command::UndoInfo, {}, {{names().q, Py_True}, {names().length, Py_True}});
    const long length = PyLong_AsLong(answer.get());
    if (length == -1 && PyErr_Occurred()) throw_python_error();
    return length;
}

// scriptJob (https://docs.huihoo.com/autodesk/maya/2017/english/CommandsPython/scriptJob.html):
// event=[name, script] attaches the script to the event and answers the job's number (nothing in
// batch mode, where "The scriptJob command does nothing"); kill=number "Kills the job with the
// specified job number".
std::optional<long> PythonHost::add_event_job(const std::string& event, PyObject* script) {
    PyRef name = make_text(event);
    PyRef pair = checked(PyList_New(2));
    Py_INCREF(name.get());
    PyList_SET_ITEM(pair.get(), 0, name.get());
    Py_INCREF(script);
    PyList_SET_ITEM(pair.get(), 1, script);
    PyRef answer = call(Command::ScriptJob, {}, {{names().event, pair.get()}});
    if (answer.get() == Py_None) return std::nullopt;
    const long number = PyLong_AsLong(answer.get());
    if (number == -1 && PyErr_Occurred()) throw_python_error();
    return number;
}

void PythonHost::kill_job(long number) {
    PyRef number_obj = make_int(number);
    call(Command::ScriptJob, {}, {{names().kill, number_obj.get()}});
}

}  // namespace trembla::py
