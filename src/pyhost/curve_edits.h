// Telling, without reading any key, whether an animation curve was edited: a count of the host's
// anim curve edited messages (maya.api's MAnimMessage), kept from the first window on.
#pragma once

#include <cstdint>
#include <optional>

namespace trembla::py {

// Starts listening unless already listening; once listening, for the rest of the session (the
// callback only counts, and removing it would be a host call while a window goes, when the
// host may be tearing it down). A host without the API, or one that refuses the callback, leaves
// nobody listening: no mark, and the next call tries again. Needs the GIL; never throws, and
// leaves no Python error set.
void listen_to_curve_edits() noexcept;

// The count of curve-edited messages while listening, nothing otherwise. A scene read (new, open,
// import, reference) counts as an edit of every curve.
std::optional<std::uint64_t> curve_edit_mark() noexcept;

// The count of scene reads alone, while the host tells them; nothing otherwise. The same count
// means the same scene in memory, not another one that holds nodes of the same names.
std::optional<std::uint64_t> scene_read_mark() noexcept;

}  // namespace trembla::py
