// Python values -> the shake records, with the argument checks every module function makes
// before it touches the host (results.h builds the way back). `name` is the argument's name as the
// caller wrote it; messages name it (and the offending key or position inside it).
// Wrong types throw ArgumentTypeError (TypeError), wrong shapes and values std::invalid_argument
// (ValueError). Exceptions raised by the caller's own objects (a __float__ that fails) stay intact
// unless they are TypeError, ValueError or OverflowError, which are renamed to point at the argument.
//
// Frame numbers inside containers (frame lists, record keys, range pairs) must be Python ints;
// scalar frame arguments accept any real number.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "core/records.h"
#include "pyhost/py_ref.h"

namespace trembla::ext {

std::string text_arg(PyObject* obj, std::string_view name);
double number_arg(PyObject* obj, std::string_view name);
bool truth_arg(PyObject* obj);
// An int, or a float holding a whole number inside the 64-bit range.
Frame whole_frame_arg(PyObject* obj, std::string_view name);
// A number used to look up a frame key, as a Python dict would: nothing when it cannot equal any
// whole frame (10.5, nan, 2**70).
std::optional<Frame> frame_key_arg(PyObject* obj, std::string_view name);

// Owned references to objects an argument was read from, kept so that a result can reuse them
// instead of building equal ones: the frame keys of a record, the channel names and value lists of a
// channel record. Filled only when every object read is of the exact built-in type the result would
// hold; left empty otherwise (a result then builds its own).
using ObjectRefs = std::vector<py::PyRef>;
struct ChannelObjects {
    ObjectRefs names;  // aligned with the returned ChannelAnim
    ObjectRefs lists;  // the value lists, aligned likewise
};

std::vector<double> numbers_arg(PyObject* obj, std::string_view name);
// `keys`, when given and filled, holds the list's int objects, one per returned frame.
std::vector<Frame> frames_arg(PyObject* obj, std::string_view name, ObjectRefs* keys = nullptr);
Sample sample_arg(PyObject* obj, std::string_view name);
AxisTriple axis_triple_arg(PyObject* obj, std::string_view name);
// `keys`, when given and filled, holds the record's key objects aligned with the returned frames.
FrameRecord frame_record_arg(PyObject* obj, std::string_view name, ObjectRefs* keys = nullptr);
ChannelAnim channel_anim_arg(PyObject* obj, std::string_view name, ChannelObjects* objects = nullptr);
Ranges ranges_arg(PyObject* obj, std::string_view name);

}  // namespace trembla::ext
