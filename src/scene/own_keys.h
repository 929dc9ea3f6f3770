// The camera's own keys around a live shake: the keys of its own curves outside the prepared
// range, which the shake curves carry with their tangents and infinity, and the keys the animator
// sets on the shaken camera, which belong in the own curves and are carried there.
#pragma once

#include <string>
#include <utility>
#include <vector>

#include "scene/prepared.h"

namespace trembla {

class Host;

// Notes, for each channel with an own curve, its keys (all of them, and apart those outside the
// prepared range, with their tangents) and the curve's weighting and infinity.
void record_own_keys_outside(Host& host, Prepared& record);

// Gives a shake curve its own curve's keys outside the range (as record_own_keys_outside noted
// them), each with its tangents, and the own curve's weighting and infinity.
void copy_own_keys_outside(Host& host, const std::vector<std::pair<double, double>>& keys, const CurveLook& look,
                           const std::string& shake_curve);

// Keys on the shake curves that the tool did not write (a time it did not key, or a value other
// than the one it keyed there) were set by the animator on the shaken camera: each goes into the
// channel's own curve (made when the channel had none) as the pose minus the shake at that time,
// the record's samples of that channel are read again from the own curve, the applied record on
// the camera notes the curves, and one line names the channels and frames. Answers whether
// anything was carried. Runs inside the caller's undo step; does nothing for a record that is not
// ready or does not know what it keyed.
bool carry_animator_keys(Host& host, Prepared& record);

// The same in two halves, for a command that opens its undo step only when there is something to
// carry: the keys found (asking the host, changing nothing), then carrying them.
struct AnimatorKey {
    std::size_t channel;
    double time;
    double pose;  // the value the animator keyed
    // The own curve the key is in already: through the blend that adds the shake, the host keys
    // the own animation, as the pose less the shake there. Empty: the key is on a shake curve
    // that drives the channel itself (a shake applied by an earlier release).
    std::string own_curve;
};
std::vector<AnimatorKey> find_animator_keys(Host& host, const Prepared& record);
void carry_animator_keys(Host& host, Prepared& record, const std::vector<AnimatorKey>& found);

}  // namespace trembla
