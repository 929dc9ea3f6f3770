// The readers' fast paths (readers.cpp). Reading the exact built-in types runs no Python code, so
// while every object read is one of them the argument cannot change under us and borrowed items are
// safe. A fast path that meets anything else (a subclass, a __float__, a bad value) gives up (false, no
// Python error set) before it has run any code of the caller's, and the general path then reads
// the argument from the start: same results, same errors. Internal to the binding.
#pragma once

#include <string>
#include <vector>

#include "core/records.h"
#include "module/binding/readers.h"
#include "pyhost/py_ref.h"

namespace trembla::ext {

bool fast_number(PyObject* obj, double& out);
// `count` numbers out of an exact list or tuple of exactly that many.
bool fast_numbers(PyObject* obj, double* out, Py_ssize_t count);
bool fast_number_list(PyObject* obj, std::vector<double>& out);
// `keys`, `objects`: filled as the general readers fill them (readers.h).
bool fast_frames(PyObject* obj, std::vector<Frame>& out, ObjectRefs* keys);
bool fast_frame_record(PyObject* obj, FrameRecord& out, ObjectRefs* keys);
bool fast_channel_anim(PyObject* obj, ChannelAnim& out, ChannelObjects* objects);
bool fast_ranges(PyObject* obj, Ranges& out);

}  // namespace trembla::ext
