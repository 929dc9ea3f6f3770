// Inside PythonHost's own files only: the keyword and attribute names every call shares, interned
// once, and the readers of the host's answers. PythonHost is one class over several files, one per
// host concern (python_host_*.cpp); this is what they share beyond the class itself.
#pragma once

#include <string>
#include <string_view>

#include "pyhost/host_values.h"
#include "pyhost/python_host.h"

namespace trembla::py {

// Keyword and attribute names, interned once: building a call then costs no string creation for
// the flags. Deliberately never released (interned strings live as long as the interpreter).
struct Names {
    PyObject* selection;
    PyObject* type;
    PyObject* shapes;
    PyObject* q;
    PyObject* min;
    PyObject* max;
    PyObject* edit;
    PyObject* ws;
    PyObject* t;
    PyObject* ro;
    PyObject* attribute;
    PyObject* clear;
    PyObject* name;
    PyObject* force;
    PyObject* time;
    PyObject* value;
    PyObject* animLayer;
    PyObject* eval;
    PyObject* exists;
    PyObject* override_;
    PyObject* selected;
    PyObject* preferred;
    PyObject* findCurveForPlug;
    PyObject* mode;
    PyObject* suspend;
    PyObject* amg;
    PyObject* pos;
    PyObject* fade;
    PyObject* userScriptDir;
    PyObject* write;
    PyObject* openChunk;
    PyObject* closeChunk;
    PyObject* chunkName;
    PyObject* beginProgress;
    PyObject* isInterruptable;
    PyObject* status;
    PyObject* maxValue;
    PyObject* progress;
    PyObject* isCancelled;
    PyObject* endProgress;
    PyObject* skipSelect;
    PyObject* angle;
    PyObject* keyframeCount;
    PyObject* state;
    PyObject* undoName;
    PyObject* redoName;
    PyObject* infinity;
    PyObject* length;
    PyObject* event;
    PyObject* kill;
    PyObject* source;
    PyObject* outTangentType;
    PyObject* step;
    PyObject* destination;
    PyObject* plugs;
    PyObject* node;
    PyObject* longName;
    PyObject* dataType;
    PyObject* attributeType;
    PyObject* multi;
    PyObject* mute;
    PyObject* timeChange;
    PyObject* valueChange;
    PyObject* lock;
};

// `text` as an interned Python string, thrown as PythonError should the interpreter refuse.
PyObject* intern_or_throw(const char* text);

const Names& names();

std::string answer_text(PyObject* answer);
bool answer_truth(PyObject* answer);
// answer[index], as Python's subscript would read it.
PyRef answer_item(PyObject* answer, Py_ssize_t index);

// A rotate channel (rotateX/Y/Z, or its short name): its value is an angle.
inline bool is_angle_attribute(std::string_view attribute) {
    return attribute == "rotateX" || attribute == "rotateY" || attribute == "rotateZ" || attribute == "rx" ||
           attribute == "ry" || attribute == "rz";
}

inline bool is_angle_plug(std::string_view plug) {
    const std::size_t dot = plug.rfind('.');
    return dot != std::string_view::npos && is_angle_attribute(plug.substr(dot + 1));
}

}  // namespace trembla::py
