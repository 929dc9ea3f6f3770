// Telling, without reading any key, whether an animation curve was edited: a count of the host's
// anim curve edited messages (maya.api's MAnimMessage), kept while a window listens.
#pragma once

#include <cstdint>
#include <optional>

namespace trembla::py {

// Starts listening when nobody did; every call is paired with one stop_listening_to_curve_edits.
// A host without the API, or one that refuses the callback, leaves nobody listening: no mark.
// Needs the GIL; never throws, and leaves no Python error set.
void listen_to_curve_edits() noexcept;
void stop_listening_to_curve_edits() noexcept;

// The count of curve-edited messages while listening, nothing otherwise. Each start and stop of
// listening moves it too, so a mark from before a pause never matches one after it.
std::optional<std::uint64_t> curve_edit_mark() noexcept;

}  // namespace trembla::py
