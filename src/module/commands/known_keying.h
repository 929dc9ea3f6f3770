// What the window's last keyings wrote, remembered by record: the undo history keeps of a step's
// keyed values only those its controls would not key again, and an update has just told it which
// those are. Without this each step would compute the whole keying once more to find out.
#pragma once

#include <array>
#include <optional>

#include "core/records.h"
#include "core/settings.h"
#include "module/state.h"

namespace trembla::ext {

using KeyedChannels = std::array<bool, kChannelCount>;

// `record` holds, as its keyed_values and keyed_shake, what compute_shake_keying(record, controls)
// keys on each channel of `written`, and that keying writes no other channel.
void note_known_keying(const PreparedRecord& record, const ShakeControls& controls, const KeyedChannels& written);

// Whether the two key the same: what compute_shake_keying reads of the controls is every setting
// and the bypass switch; the camera and source fields play no part.
bool same_keying(const ShakeControls& a, const ShakeControls& b);

// The channels noted for this very record (a record never changes once installed) and controls
// keying the same; nothing when not known, and the keying must be computed.
std::optional<KeyedChannels> known_keying(const Prepared& record, const ShakeControls& controls);

}  // namespace trembla::ext
