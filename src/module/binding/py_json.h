// Python values <-> the preset file's JSON values, mapped as Python's json module maps them:
// dict <-> object, list (and tuple, on the way in) <-> array, text, int, float, True/False and
// None <-> null.
#pragma once

#include <string>

#include "presets/preset_json.h"
#include "pyhost/py_ref.h"

namespace trembla::ext {

// The JSON form of `obj`; the caller's object is only read. `name` names it in messages, which
// also say where inside it the bad value sits ("presets['shot']['settings']: ...").
// Throws ArgumentTypeError for what JSON cannot hold (a set, an arbitrary object, a key that is
// not text) and std::invalid_argument for an int outside the 64-bit range, text that is not valid
// Unicode, or nesting deeper than kMaxPresetNesting (which is also where a container that holds
// itself stops). Python errors raised while reading the object travel as PythonError.
PresetJson json_from_python(PyObject* obj, const std::string& name);

// A new Python value for `value`: dicts keep the member order, texts are the native str where
// they are ASCII (see py::text). Throws std::invalid_argument for binary values, which a
// parsed file never holds.
py::PyRef python_from_json(const PresetJson& value);

// What python_from_json(parse_preset_text(text)) gives, built straight from the parser without the
// JSON in between (loading a large preset file then takes about as long as Python's json). Throws
// what parse_preset_text throws for text that is not JSON, PythonError when Python cannot build a
// value.
py::PyRef python_from_json_text(const std::string& text);

}  // namespace trembla::ext
