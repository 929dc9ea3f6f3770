#include "ui/shake_preview_data.h"

#include <algorithm>
#include <cmath>
#include <limits>

namespace trembla {
namespace {

constexpr double kNothing = std::numeric_limits<double>::quiet_NaN();

// Widens [low, high] to take in `value`, ignoring what is not finite.
void take_in(double& low, double& high, double value) {
    if (!std::isfinite(value)) return;
    if (std::isnan(low) || value < low) low = value;
    if (std::isnan(high) || value > high) high = value;
}

double largest_magnitude(const std::vector<double>& values, double so_far) {
    for (const double value : values) {
        if (std::isfinite(value)) so_far = std::max(so_far, std::fabs(value));
    }
    return so_far;
}

// Column c takes the frames i with i * columns / frames == c.
std::size_t column_of_frame(std::size_t index, std::size_t frames, std::size_t columns) {
    return static_cast<std::size_t>(static_cast<std::uint64_t>(index) * columns / frames);
}

// Where column c lies among fewer frames than columns, as a fractional frame position.
double position_of_column(std::size_t column, std::size_t frames, std::size_t columns) {
    if (frames < 2 || columns < 2) return 0.0;
    return static_cast<double>(column) * static_cast<double>(frames - 1) / static_cast<double>(columns - 1);
}

// The first frame of column c: the least i with i * columns >= c * frames (column_of_frame).
std::size_t first_frame_of_column(std::size_t column, std::size_t frames, std::size_t columns) {
    const std::uint64_t at = static_cast<std::uint64_t>(column) * frames;
    return static_cast<std::size_t>((at + columns - 1) / columns);
}

// Each column takes its frames and the frame before them, which joins the trace to the column
// before. Walked column by column: one division per column, not one per frame.
void envelope_of_many(const std::vector<double>& values, std::size_t columns, std::vector<double>& low,
                      std::vector<double>& high) {
    const std::size_t frames = values.size();
    std::size_t begin = 0;
    for (std::size_t c = 0; c < columns; ++c) {
        const std::size_t end = first_frame_of_column(c + 1, frames, columns);
        if (begin < end && begin > 0) take_in(low[c], high[c], values[begin - 1]);
        for (std::size_t i = begin; i < end; ++i) take_in(low[c], high[c], values[i]);
        begin = end;
    }
}

void envelope_of_few(const std::vector<double>& values, std::size_t columns, std::vector<double>& low,
                     std::vector<double>& high) {
    const std::size_t frames = values.size();
    double previous = kNothing;
    for (std::size_t c = 0; c < columns; ++c) {
        const double at = position_of_column(c, frames, columns);
        const auto before = static_cast<std::size_t>(at);
        const std::size_t after = std::min(before + 1, frames - 1);
        const double part = at - static_cast<double>(before);
        const double value = values[before] + (values[after] - values[before]) * part;
        take_in(low[c], high[c], value);
        take_in(low[c], high[c], previous);
        previous = value;
    }
}

}  // namespace

PreviewEnvelope make_preview_envelope(const ShakePreviewData& data, int columns) {
    PreviewEnvelope envelope;
    const std::size_t frames = data.weights.size();
    if (columns <= 0 || frames == 0) return envelope;
    const auto width = static_cast<std::size_t>(columns);
    envelope.columns = columns;
    const bool many = frames >= width;

    for (std::size_t k = 0; k < kPreviewChannels; ++k) {
        const std::vector<double>& values = data.channels[k];
        if (values.size() != frames) continue;  // none, or not of this frame list: nothing to draw
        envelope.low[k].assign(width, kNothing);
        envelope.high[k].assign(width, kNothing);
        if (many) {
            envelope_of_many(values, width, envelope.low[k], envelope.high[k]);
        } else {
            envelope_of_few(values, width, envelope.low[k], envelope.high[k]);
        }
        double& scale = k < 3 ? envelope.translate_scale : envelope.rotate_scale;
        scale = largest_magnitude(values, scale);
    }

    envelope.weight.assign(width, 0.0);
    if (many) {
        std::size_t begin = 0;
        for (std::size_t c = 0; c < width; ++c) {
            const std::size_t end = first_frame_of_column(c + 1, frames, width);
            double& weight = envelope.weight[c];
            for (std::size_t i = begin; i < end; ++i) {
                if (data.weights[i] > weight) weight = data.weights[i];
            }
            begin = end;
        }
    } else {
        for (std::size_t c = 0; c < width; ++c) {
            const auto nearest = static_cast<std::size_t>(std::lround(position_of_column(c, frames, width)));
            const double weight = data.weights[std::min(nearest, frames - 1)];
            envelope.weight[c] = std::isfinite(weight) ? weight : 0.0;
        }
    }

    if (data.current_frame && *data.current_frame >= data.first_frame) {
        // Unsigned: the difference of two frames far apart does not fit a signed 64-bit number.
        const std::uint64_t index =
            static_cast<std::uint64_t>(*data.current_frame) - static_cast<std::uint64_t>(data.first_frame);
        if (index < frames) {
            const auto i = static_cast<std::size_t>(index);
            envelope.current_column = static_cast<int>(
                many ? column_of_frame(i, frames, width)
                     : (frames < 2 ? 0
                                   : static_cast<std::size_t>(std::lround(static_cast<double>(i) * (width - 1) /
                                                                          static_cast<double>(frames - 1)))));
        }
    }
    return envelope;
}

}  // namespace trembla
