#include "core/records.h"

#include <algorithm>
#include <stdexcept>

#include "core/whole_numbers.h"

namespace trembla {
namespace {

constexpr std::string_view kTranslatePrefix = "translate";
constexpr std::string_view kRotatePrefix = "rotate";

bool starts_with(std::string_view text, std::string_view prefix) { return text.substr(0, prefix.size()) == prefix; }

bool strictly_ascending(const std::vector<std::pair<Frame, Sample>>& entries) {
    for (std::size_t i = 1; i < entries.size(); ++i) {
        if (!(entries[i - 1].first < entries[i].first)) {
            return false;
        }
    }
    return true;
}

}  // namespace

bool is_translate_channel(std::string_view name) { return starts_with(name, kTranslatePrefix); }

bool is_rotate_channel(std::string_view name) { return starts_with(name, kRotatePrefix); }

std::size_t channel_index(std::string_view channel) {
    for (std::size_t k = 0; k < kChannelCount; ++k) {
        if (channel == kChannels[k]) return k;
    }
    throw std::logic_error("not a camera channel: " + std::string(channel));
}

const Sample* find_sample(const FrameRecord& record, Frame frame) {
    const std::vector<Frame>& frames = record.frames;
    const std::size_t count = std::min(frames.size(), record.samples.size());
    if (count == 0 || frame < frames.front() || frame > frames[count - 1]) {
        return nullptr;
    }
    // Unique ascending frames spanning exactly count - 1 are consecutive: index by offset.
    const std::uint64_t offset = detail::frame_distance(frames.front(), frame);
    if (detail::frame_distance(frames.front(), frames[count - 1]) == count - 1) {
        return &record.samples[static_cast<std::size_t>(offset)];
    }
    const auto end = frames.begin() + static_cast<std::ptrdiff_t>(count);
    const auto found = std::lower_bound(frames.begin(), end, frame);
    if (found == end || *found != frame) {
        return nullptr;
    }
    return &record.samples[static_cast<std::size_t>(found - frames.begin())];
}

const Sample& sample_or_zero(const FrameRecord& record, Frame frame) {
    const Sample* sample = find_sample(record, frame);
    return sample != nullptr ? *sample : kZeroSample;
}

FrameRecord make_frame_record(std::vector<std::pair<Frame, Sample>> entries) {
    if (!strictly_ascending(entries)) {
        // Stable, so that among equal frames the last entry stays last and wins below.
        std::stable_sort(entries.begin(), entries.end(),
                         [](const auto& a, const auto& b) { return a.first < b.first; });
    }
    FrameRecord record;
    record.frames.reserve(entries.size());
    record.samples.reserve(entries.size());
    for (std::size_t i = 0; i < entries.size(); ++i) {
        const bool repeated_later = i + 1 < entries.size() && entries[i + 1].first == entries[i].first;
        if (!repeated_later) {
            record.frames.push_back(entries[i].first);
            record.samples.push_back(entries[i].second);
        }
    }
    return record;
}

const std::vector<double>* find_channel(const ChannelAnim& anim, std::string_view name) {
    for (const ChannelSeries& series : anim) {
        if (series.name == name) {
            return &series.values;
        }
    }
    return nullptr;
}

std::vector<Frame> frame_span(Frame first, Frame last) {
    std::vector<Frame> frames;
    if (last < first) {
        return frames;
    }
    const std::uint64_t steps = detail::frame_distance(first, last);
    if (steps >= frames.max_size()) {
        throw std::length_error("the frame range from " + std::to_string(first) + " to " + std::to_string(last) +
                                " holds too many frames");
    }
    frames.reserve(static_cast<std::size_t>(steps) + 1);
    for (Frame frame = first;; ++frame) {
        frames.push_back(frame);
        if (frame == last) {
            break;
        }
    }
    return frames;
}

}  // namespace trembla
