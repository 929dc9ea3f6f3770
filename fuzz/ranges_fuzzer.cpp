// Fuzzes the ranges text and the fade multiplier over whatever it yields.
//
// Input: the bytes up to the first NUL are the text of the ranges field; the bytes after it, when
// there are any, are read as fade_in and fade_out (raw doubles, so NaN, infinities and
// subnormals come up) followed by frames to probe (raw int64). The whole input, NULs included,
// is parsed as well.
#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <exception>
#include <limits>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "core/ranges.h"
#include "fuzz_check.h"

namespace trembla {
namespace {

constexpr Frame kMinFrame = std::numeric_limits<Frame>::min();
constexpr Frame kMaxFrame = std::numeric_limits<Frame>::max();
// The reference multiplier below needs frame differences (up to 2^64 - 1) exactly: x86's long
// double holds 64 significant bits. Where long double is narrower, it is only trusted for frames
// whose differences a double holds exactly.
constexpr bool kLongDoubleHoldsFrameDifferences = std::numeric_limits<long double>::digits >= 64;
constexpr Frame kExactLimit = Frame{1} << 52;

// ---- The rule for reading the text, written out independently of the parser under test.

bool is_ascii_space(char c) { return c == ' ' || (c >= '\t' && c <= '\r'); }

std::string_view strip(std::string_view text) {
    while (!text.empty() && is_ascii_space(text.front())) text.remove_prefix(1);
    while (!text.empty() && is_ascii_space(text.back())) text.remove_suffix(1);
    return text;
}

std::vector<std::string_view> split(std::string_view text, char separator) {
    std::vector<std::string_view> pieces;
    std::size_t from = 0;
    while (true) {
        const std::size_t at = text.find(separator, from);
        pieces.push_back(text.substr(from, at == std::string_view::npos ? std::string_view::npos : at - from));
        if (at == std::string_view::npos) return pieces;
        from = at + 1;
    }
}

// White space, an optional '+', ASCII digits, white space; numbers past the frame range read as
// the largest frame (the parser's documented choice: dropping the part could leave no ranges,
// which would shake everywhere).
std::optional<Frame> whole_number(std::string_view piece) {
    piece = strip(piece);
    if (!piece.empty() && piece.front() == '+') piece.remove_prefix(1);
    if (piece.empty()) return std::nullopt;
    if (!std::all_of(piece.begin(), piece.end(), [](char c) { return c >= '0' && c <= '9'; })) return std::nullopt;
    const std::size_t first_significant = std::min(piece.find_first_not_of('0'), piece.size());
    const std::string digits(piece.substr(first_significant));
    const std::string max_digits = std::to_string(kMaxFrame);
    if (digits.size() > max_digits.size() || (digits.size() == max_digits.size() && digits > max_digits)) {
        return kMaxFrame;
    }
    return digits.empty() ? 0 : std::stoll(digits);
}

Ranges expected_ranges(std::string_view text) {
    Ranges ranges;
    if (strip(text).empty()) return ranges;
    std::string compact(text);
    compact.erase(std::remove(compact.begin(), compact.end(), ' '), compact.end());
    for (const std::string_view part : split(compact, ',')) {
        const std::vector<std::string_view> ends = split(part, '-');
        if (ends.size() != 2) continue;
        const std::optional<Frame> start = whole_number(ends[0]);
        const std::optional<Frame> end = whole_number(ends[1]);
        if (start && end) ranges.push_back({*start, *end});
    }
    return ranges;
}

void check_parse(std::string_view text, const Ranges& parsed) {
    FUZZ_REQUIRE(parsed == expected_ranges(text), "the parsed ranges follow the reading rule part by part");
    std::string compact(text);
    compact.erase(std::remove(compact.begin(), compact.end(), ' '), compact.end());
    for (const FrameRange& range : parsed) {
        const auto from_text = [&](Frame value) {
            return value == kMaxFrame || compact.find(std::to_string(value)) != std::string::npos;
        };
        FUZZ_REQUIRE(from_text(range.start) && from_text(range.end),
                     "every parsed number came from digits in the text (or stands for a larger one)");
    }
}

Ranges parse_or_fail(std::string_view text) {
    try {
        return parse_ranges(text);
    } catch (const std::exception& error) {
        trembla::fuzzing::fail(__FILE__, __LINE__, "parse_ranges", std::string("parse_ranges threw: ") + error.what());
    } catch (...) {
        trembla::fuzzing::fail(__FILE__, __LINE__, "parse_ranges", "parse_ranges threw");
    }
}

// ---- The multiplier.

bool fade_on(double fade) { return fade > 0; }  // false for NaN as well

Frame shifted(Frame frame, Frame by) {
    if (by > 0 && frame > kMaxFrame - by) return kMaxFrame;
    if (by < 0 && frame < kMinFrame - by) return kMinFrame;
    return frame + by;
}

bool small(Frame value) { return value > -kExactLimit && value < kExactLimit; }

// The multiplier as the rule states it: the fade edges decided on the exact frame distances, each
// distance then divided as a double.
double reference_multiplier(Frame frame, const FrameRange& range, double fade_in, double fade_out) {
    const long double from_start = static_cast<long double>(frame) - static_cast<long double>(range.start);
    const long double to_end = static_cast<long double>(range.end) - static_cast<long double>(frame);
    double mult = 1.0;
    if (fade_on(fade_in) && from_start < fade_in) mult = mult * (static_cast<double>(from_start) / fade_in);
    if (fade_on(fade_out) && to_end < fade_out) mult = mult * (static_cast<double>(to_end) / fade_out);
    return std::max(0.0, std::min(1.0, mult));
}

void check_multiplier(Frame frame, const Ranges& ranges, double fade_in, double fade_out) {
    double mult = 0;
    try {
        mult = calculate_fade_multiplier(frame, ranges, fade_in, fade_out);
    } catch (...) {
        trembla::fuzzing::fail(__FILE__, __LINE__, "calculate_fade_multiplier", "calculate_fade_multiplier threw");
    }
    FUZZ_REQUIRE(!std::isnan(mult) && mult >= 0.0 && mult <= 1.0, "the multiplier lies within [0, 1]");
    if (ranges.empty()) {
        FUZZ_REQUIRE(mult == 1.0, "no ranges means full shake");
        return;
    }
    std::size_t holding = 0;
    bool exact = true;
    double strongest = 0.0;
    const FrameRange* only = nullptr;
    for (const FrameRange& r : ranges) {
        if (!(r.start <= frame && frame <= r.end)) continue;
        ++holding;
        only = &r;
        if (kLongDoubleHoldsFrameDifferences || (small(frame) && small(r.start) && small(r.end))) {
            strongest = std::max(strongest, reference_multiplier(frame, r, fade_in, fade_out));
        } else {
            exact = false;
        }
    }
    if (holding == 0) {
        FUZZ_REQUIRE(mult == 0.0, "a frame outside every range gets no shake");
        return;
    }
    if (!fade_on(fade_in) && !fade_on(fade_out)) FUZZ_REQUIRE(mult == 1.0, "without fades a range gets full shake");
    if (holding == 1 && fade_on(fade_in) && frame == only->start)
        FUZZ_REQUIRE(mult == 0.0, "a fade-in starts from zero");
    if (holding == 1 && fade_on(fade_out) && frame == only->end) FUZZ_REQUIRE(mult == 0.0, "a fade-out ends at zero");
    if (exact) {
        FUZZ_REQUIRE(mult == strongest,
                     "the largest multiplier of the ranges holding the frame, each with linear fades");
    }
}

template <typename T>
T take(std::string_view& bytes) {
    T value{};
    const std::size_t n = std::min(sizeof value, bytes.size());
    std::memcpy(&value, bytes.data(), n);
    bytes.remove_prefix(n);
    return value;
}

}  // namespace
}  // namespace trembla

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace trembla;
    const std::string_view input(reinterpret_cast<const char*>(data), size);
    check_parse(input, parse_or_fail(input));

    const std::size_t nul = input.find('\0');
    const std::string_view text = input.substr(0, nul);
    const Ranges ranges = parse_or_fail(text);
    check_parse(text, ranges);

    std::vector<std::pair<double, double>> fades = {{3, 3}, {0, 0}, {1, 30}};
    std::vector<Frame> frames = {kMinFrame, -1, 0, 1, kMaxFrame};
    if (nul != std::string_view::npos) {
        std::string_view tail = input.substr(nul + 1);
        fades.emplace_back(take<double>(tail), take<double>(tail));
        for (int i = 0; i < 16 && !tail.empty(); ++i) frames.push_back(take<Frame>(tail));
    }
    // The edges of the first ranges, where the fades act. The search over all ranges per frame
    // stays cheap with this cap even for the longest inputs.
    for (std::size_t i = 0; i < ranges.size() && i < 16; ++i) {
        for (const Frame edge : {ranges[i].start, ranges[i].end}) {
            for (const Frame offset : {-2, -1, 0, 1, 2}) frames.push_back(shifted(edge, offset));
        }
    }
    for (const auto& [fade_in, fade_out] : fades) {
        for (const Frame frame : frames) check_multiplier(frame, ranges, fade_in, fade_out);
    }
    return 0;
}
