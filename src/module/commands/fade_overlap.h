// Fades longer together than a range: the shake there rises and falls without ever reaching its
// full strength, which the graph shows only to someone who looks. The window says it once.
#pragma once

#include <string>

#include "core/settings.h"

namespace trembla {
class Host;
class TremblaToolWindow;
}  // namespace trembla

namespace trembla::ext {

// The ranges of `settings` whose length is shorter than Fade In + Fade Out, as typed ("10-40,
// 50-60"); empty when none is (or no range is typed).
std::string ranges_with_overlapping_fades(const ControlValues& settings);

// Warns when the ranges whose fades overlap are other than the window last warned of; a change
// that keeps the same ranges (a fade dragged further) says nothing again.
void warn_overlapping_fades(Host& host, TremblaToolWindow& window, const ControlValues& settings);

}  // namespace trembla::ext
