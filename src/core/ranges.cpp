#include "core/ranges.h"

#include <limits>
#include <optional>
#include <string>

#include "core/whole_numbers.h"

namespace trembla {
namespace {

bool is_ascii_space(char c) {
    return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r';
}

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

}  // namespace

Ranges parse_ranges(std::string_view range_str) {
    Ranges ranges;
    if (trim_ascii_space(range_str).empty()) {
        return ranges;
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
        if (const std::optional<FrameRange> range = parse_range_part(rest.substr(0, comma))) {
            ranges.push_back(*range);
        }
        if (comma == std::string_view::npos) {
            break;
        }
        rest.remove_prefix(comma + 1);
    }
    return ranges;
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
        // frame < start + fade_in and frame > end - fade_out, decided on the exact distances so
        // that no rounding of large frames moves a fade edge.
        const std::uint64_t from_start = detail::frame_distance(range.start, frame);
        const std::uint64_t to_end = detail::frame_distance(frame, range.end);
        double mult = 1.0;
        if (fade_in > 0 && detail::distance_less_than(from_start, fade_in)) {
            mult = mult * fade_fraction(from_start, fade_in);
        }
        if (fade_out > 0 && detail::distance_less_than(to_end, fade_out)) {
            mult = mult * fade_fraction(to_end, fade_out);
        }
        // min(1.0, mult) then max(0.0, ...); the first argument wins ties, as in Python.
        const double capped = mult < 1.0 ? mult : 1.0;
        const double clamped = capped > 0.0 ? capped : 0.0;
        if (clamped > strongest) {
            strongest = clamped;
        }
        if (strongest == 1.0) {
            break;
        }
    }
    return strongest;
}

}  // namespace trembla
