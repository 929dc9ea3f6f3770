#include "module/commands/fade_overlap.h"

#include <cstdint>

#include "core/ranges.h"
#include "scene/host.h"
#include "ui/main_window.h"

namespace trembla::ext {

namespace {

std::string range_text(const FrameRange& range) {
    return std::to_string(range.start) + "-" + std::to_string(range.end);
}

}  // namespace

std::string ranges_with_overlapping_fades(const ControlValues& settings) {
    // A fade of 0 (or below) is off.
    const std::uint64_t fades = static_cast<std::uint64_t>(settings.fade_in > 0 ? settings.fade_in : 0) +
                                static_cast<std::uint64_t>(settings.fade_out > 0 ? settings.fade_out : 0);
    std::string listed;
    if (fades == 0) return listed;
    for (const FrameRange& range : parse_ranges(settings.ranges)) {
        if (range.end < range.start) continue;  // holds no frame; the ranges field says so
        // The frames between the ends, exact in unsigned arithmetic over the whole int64 range.
        const std::uint64_t span = static_cast<std::uint64_t>(range.end) - static_cast<std::uint64_t>(range.start);
        if (span < fades - 1) listed += (listed.empty() ? "" : ", ") + range_text(range);
    }
    return listed;
}

void warn_overlapping_fades(Host& host, TremblaToolWindow& window, const ControlValues& settings) {
    std::string listed = ranges_with_overlapping_fades(settings);
    if (listed == window._fade_overlap_said) return;
    window._fade_overlap_said = listed;
    if (listed.empty()) return;
    host.warning("Fade In " + std::to_string(settings.fade_in) + " + Fade Out " + std::to_string(settings.fade_out) +
                 " frames overlap in " + listed + ": the shake there never reaches its full strength.");
}

}  // namespace trembla::ext
