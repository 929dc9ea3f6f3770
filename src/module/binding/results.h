// The shake records -> Python values: the results module functions answer and the views of the
// preparation record. A result may reuse objects its argument was read from (readers.h).
#pragma once

#include <string>
#include <vector>

#include "core/records.h"
#include "module/binding/readers.h"
#include "pyhost/py_ref.h"

namespace trembla::ext {

// Python views of the records: samples as 6-tuples of floats, frame records as dicts
// int -> sample, channel records as dicts str -> list of floats, ranges as lists of (int, int).
py::PyRef text_to_python(const std::string& text);
py::PyRef numbers_to_python(const std::vector<double>& values);
py::PyRef sample_to_python(const Sample& sample);
// `keys`, when it holds one object per frame of `record`, supplies the dict's keys: the caller
// vouches that keys[i] is an int equal to record.frames[i].
py::PyRef frame_record_to_python(const FrameRecord& record, const ObjectRefs* keys = nullptr);
// `source` is the channel record `anim` was computed from: where the channel names line up, its name
// objects become the keys; with `keep_lists`, a channel whose values are exactly those of its source
// list (an exact list of floats) is given that list itself.
py::PyRef channel_anim_to_python(const ChannelAnim& anim, const ChannelObjects* source = nullptr,
                                 bool keep_lists = false);
py::PyRef ranges_to_python(const Ranges& ranges);

}  // namespace trembla::ext
