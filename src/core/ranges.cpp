#include "core/ranges.h"

#include <algorithm>
#include <cstddef>
#include <limits>
#include <optional>
#include <string>

#include "core/whole_numbers.h"

namespace trembla {
namespace {

bool is_ascii_space(char c) { return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r'; }

std::string_view trim_ascii_space(std::string_view text) {
    while (!text.empty() && is_ascii_space(text.front())) {
        text.remove_prefix(1);
    }
    while (!text.empty() && is_ascii_space(text.back())) {
        text.remove_suffix(1);
    }
    return text;
}

// A decimal integer as Python's int() reads one here: optional surrounding white space, an
// optional '+', at least one digit. Nothing when malformed. A number beyond the frame range stands
// for the last frame there is: dropping it would leave fewer ranges, and no ranges at all means
// "shake everywhere", the opposite of what a huge bound asks for.
std::optional<Frame> parse_whole_frame(std::string_view piece) {
    piece = trim_ascii_space(piece);
    if (!piece.empty() && piece.front() == '+') {
        piece.remove_prefix(1);
    }
    if (piece.empty()) {
        return std::nullopt;
    }
    constexpr Frame kMax = std::numeric_limits<Frame>::max();
    Frame value = 0;
    for (const char c : piece) {
        if (c < '0' || c > '9') {
            return std::nullopt;
        }
        const Frame digit = c - '0';
        value = value > (kMax - digit) / 10 ? kMax : value * 10 + digit;
    }
    return value;
}

std::optional<FrameRange> parse_range_part(std::string_view part) {
    const std::size_t dash = part.find('-');
    if (dash == std::string_view::npos || part.find('-', dash + 1) != std::string_view::npos) {
        return std::nullopt;
    }
    const std::optional<Frame> start = parse_whole_frame(part.substr(0, dash));
    const std::optional<Frame> end = parse_whole_frame(part.substr(dash + 1));
    if (!start || !end) {
        return std::nullopt;
    }
    return FrameRange{*start, *end};
}

// (later - earlier) / fade, with the integer difference taken exactly.
double fade_fraction(std::uint64_t distance, double fade) { return static_cast<double>(distance) / fade; }

// frame < start + fade_in and frame > end - fade_out, for a frame the range holds, decided on the
// exact distances so that no rounding of large frames moves a fade edge.
bool fades_in_at(const FrameRange& range, Frame frame, double fade_in) {
    return fade_in > 0 && detail::distance_less_than(detail::frame_distance(range.start, frame), fade_in);
}

bool fades_out_at(const FrameRange& range, Frame frame, double fade_out) {
    return fade_out > 0 && detail::distance_less_than(detail::frame_distance(frame, range.end), fade_out);
}

// The multiplier of one range at a frame it holds, clamped to [0, 1]. It never falls when the
// range starts earlier or ends later: each factor grows with its distance.
double multiplier_in_range(const FrameRange& range, Frame frame, double fade_in, double fade_out) {
    double mult = 1.0;
    if (fades_in_at(range, frame, fade_in)) {
        mult = mult * fade_fraction(detail::frame_distance(range.start, frame), fade_in);
    }
    if (fades_out_at(range, frame, fade_out)) {
        mult = mult * fade_fraction(detail::frame_distance(frame, range.end), fade_out);
    }
    // min(1.0, mult) then max(0.0, ...); the first argument wins ties, as in Python.
    const double capped = mult < 1.0 ? mult : 1.0;
    return capped > 0.0 ? capped : 0.0;
}

void take_stronger(double& strongest, double multiplier) {
    if (multiplier > strongest) strongest = multiplier;
}

// Calls visit(part, parsed) for every comma-separated part of the text with its blanks removed,
// in order; nothing for a text of white space only.
template <class Visit>
void for_each_range_part(std::string_view range_str, Visit&& visit) {
    if (trim_ascii_space(range_str).empty()) {
        return;
    }
    // Only the blank goes; tabs and other white space stay and are judged by the number parser.
    std::string compact;
    compact.reserve(range_str.size());
    for (const char c : range_str) {
        if (c != ' ') {
            compact.push_back(c);
        }
    }
    std::string_view rest = compact;
    while (true) {
        const std::size_t comma = rest.find(',');
        const std::string_view part = rest.substr(0, comma);
        visit(part, parse_range_part(part));
        if (comma == std::string_view::npos) {
            break;
        }
        rest.remove_prefix(comma + 1);
    }
}

}  // namespace

Ranges parse_ranges(std::string_view range_str) {
    Ranges ranges;
    for_each_range_part(range_str, [&](std::string_view, const std::optional<FrameRange>& range) {
        if (range) ranges.push_back(*range);
    });
    return ranges;
}

std::vector<std::string> unused_range_parts(std::string_view range_str) {
    std::vector<std::string> unused;
    for_each_range_part(range_str, [&](std::string_view part, const std::optional<FrameRange>& range) {
        if (range ? range->start > range->end : !trim_ascii_space(part).empty()) unused.emplace_back(part);
    });
    return unused;
}

double calculate_fade_multiplier(Frame frame, const Ranges& ranges, double fade_in, double fade_out) {
    if (ranges.empty()) {
        return 1.0;
    }
    // Overlapping ranges each ask for the shake at the frame; the strongest request wins, so a
    // fade at the edge of one range never mutes a frame that another range holds fully.
    double strongest = 0.0;
    for (const FrameRange& range : ranges) {
        if (!(range.start <= frame && frame <= range.end)) {
            continue;
        }
        take_stronger(strongest, multiplier_in_range(range, frame, fade_in, fade_out));
        if (strongest == 1.0) {
            break;
        }
    }
    return strongest;
}

std::vector<double> fade_multipliers(const std::vector<Frame>& frames, const Ranges& ranges, double fade_in,
                                     double fade_out) {
    if (ranges.empty()) {
        return std::vector<double>(frames.size(), 1.0);
    }
    // A range inside another never wins: at each frame it holds, the outer range holds too and
    // lies at least as far from both of its edges, and each fade factor grows with that distance.
    // What is left, sorted by start, is sorted by end as well, so the ranges holding a frame are
    // one run of it.
    Ranges outer;
    outer.reserve(ranges.size());
    for (const FrameRange& range : ranges) {
        if (range.start <= range.end) outer.push_back(range);  // a reversed range holds nothing
    }
    std::sort(outer.begin(), outer.end(), [](const FrameRange& a, const FrameRange& b) {
        return a.start != b.start ? a.start < b.start : a.end > b.end;
    });
    std::size_t kept = 0;
    for (const FrameRange& range : outer) {
        if (kept == 0 || range.end > outer[kept - 1].end) outer[kept++] = range;
    }
    outer.resize(kept);

    const auto first = outer.begin();
    std::vector<double> weights;
    weights.reserve(frames.size());
    std::size_t lo = 0;  // the first range ending at or after the frame
    std::size_t hi = 0;  // the first range starting after the frame
    Frame previous = std::numeric_limits<Frame>::min();
    for (const Frame frame : frames) {
        if (frame >= previous) {  // frames usually come in order: sweep on
            while (lo < kept && outer[lo].end < frame) ++lo;
            while (hi < kept && outer[hi].start <= frame) ++hi;
        } else {
            lo = static_cast<std::size_t>(
                std::partition_point(first, outer.end(), [frame](const FrameRange& r) { return r.end < frame; }) -
                first);
            hi = static_cast<std::size_t>(
                std::partition_point(first, outer.end(), [frame](const FrameRange& r) { return r.start <= frame; }) -
                first);
        }
        previous = frame;
        if (lo >= hi) {
            weights.push_back(0.0);
            continue;
        }
        // Along the run the distance from the start shrinks and the distance to the end grows:
        // the ranges past their fade-in come first, those still before their fade-out last.
        const auto run_begin = first + static_cast<std::ptrdiff_t>(lo);
        const auto run_end = first + static_cast<std::ptrdiff_t>(hi);
        const auto fading_in = std::partition_point(
            run_begin, run_end, [&](const FrameRange& r) { return !fades_in_at(r, frame, fade_in); });
        const auto full_out = std::partition_point(
            run_begin, run_end, [&](const FrameRange& r) { return fades_out_at(r, frame, fade_out); });
        if (full_out < fading_in) {
            weights.push_back(1.0);  // a range that fades neither way here
            continue;
        }
        // Past its fade-in, the range reaching furthest wins; before its fade-out, the one starting
        // earliest; in between, each range fades both ways and is weighed on its own.
        double strongest = 0.0;
        if (fading_in != run_begin)
            take_stronger(strongest, multiplier_in_range(*(fading_in - 1), frame, fade_in, fade_out));
        if (full_out != run_end) take_stronger(strongest, multiplier_in_range(*full_out, frame, fade_in, fade_out));
        for (auto r = fading_in; r != full_out; ++r) {
            take_stronger(strongest, multiplier_in_range(*r, frame, fade_in, fade_out));
        }
        weights.push_back(strongest);
    }
    return weights;
}

}  // namespace trembla
