// Python values <-> the shake records, with the argument checks every module function makes
// before it touches the host. `name` is the argument's name as the caller wrote it; messages
// name it (and the offending key or position inside it).
// Wrong types throw ArgumentTypeError (TypeError), wrong shapes and values std::invalid_argument
// (ValueError). Exceptions raised by the caller's own objects (a __float__ that fails) stay intact
// unless they are TypeError, ValueError or OverflowError, which are renamed to point at the argument.
//
// Frame numbers inside containers (frame lists, record keys, range pairs) must be Python ints;
// scalar frame arguments accept any real number.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "core/records.h"
#include "scene/py_ref.h"

namespace trembla::ext {

std::string text_arg(PyObject* obj, const std::string& name);
double number_arg(PyObject* obj, const std::string& name);
bool truth_arg(PyObject* obj);
// An int, or a float holding a whole number inside the 64-bit range.
Frame whole_frame_arg(PyObject* obj, const std::string& name);
// A number used to look up a frame key, as a Python dict would: nothing when it cannot equal any
// whole frame (10.5, nan, 2**70).
std::optional<Frame> frame_key_arg(PyObject* obj, const std::string& name);

std::vector<double> numbers_arg(PyObject* obj, const std::string& name);
std::vector<Frame> frames_arg(PyObject* obj, const std::string& name);
Sample sample_arg(PyObject* obj, const std::string& name);
AxisTriple axis_triple_arg(PyObject* obj, const std::string& name);
FrameRecord frame_record_arg(PyObject* obj, const std::string& name);
ChannelAnim channel_anim_arg(PyObject* obj, const std::string& name);
Ranges ranges_arg(PyObject* obj, const std::string& name);

// Python views of the records: samples as 6-tuples of floats, frame records as dicts
// int -> sample, channel records as dicts str -> list of floats, ranges as lists of (int, int).
py::PyRef text_to_python(const std::string& text);
py::PyRef numbers_to_python(const std::vector<double>& values);
py::PyRef sample_to_python(const Sample& sample);
py::PyRef frame_record_to_python(const FrameRecord& record);
py::PyRef channel_anim_to_python(const ChannelAnim& anim);
py::PyRef ranges_to_python(const Ranges& ranges);

}  // namespace trembla::ext
