// The shake preview drawn offscreen: what lands in the pixels must be the shake it was given.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <functional>
#include <vector>

#include <QColor>
#include <QImage>

#include "ui/shake_preview.h"
#include "ui/theme.h"

namespace trembla {
namespace {

constexpr int kWidth = 240;

QImage drawn(ShakePreview& preview) {
    QImage image(preview.size(), QImage::Format_ARGB32);
    image.fill(Qt::black);
    preview.render(&image);
    return image;
}

// The first and last row of `band` at column x painted in `color`; {-1, -1} when none is.
std::pair<int, int> painted_rows(const QImage& image, int x, const QRect& band, const QColor& color) {
    int first = -1;
    int last = -1;
    for (int y = band.top(); y <= band.bottom(); ++y) {
        if (image.pixelColor(x, y).rgb() != color.rgb()) continue;
        if (first < 0) first = y;
        last = y;
    }
    return {first, last};
}

// A shake of 1,000 frames over the 238 columns of a 240-pixel preview: a wobble with a spike in translateX, a slow swing in
// rotateY, the first 150 frames outside the ranges.
ShakePreviewData wobbling_shake() {
    ShakePreviewData data;
    data.first_frame = 1001;
    const std::size_t frames = 1000;
    for (std::size_t i = 0; i < frames; ++i) {
        const double t = static_cast<double>(i);
        data.weights.push_back(i < 150 ? 0.0 : 1.0);
        data.channels[0].push_back(0.4 * std::sin(t * 0.21) + (i == 600 ? 1.5 : 0.0));
        data.channels[4].push_back(30.0 * std::cos(t * 0.013));
    }
    data.current_frame = 1001 + 800;
    return data;
}

// The lowest and highest value a column shows: its own frames and the one before them.
std::pair<double, double> column_extent(const std::vector<double>& values, int column, int columns) {
    const std::size_t frames = values.size();
    double low = 1e300;
    double high = -1e300;
    for (std::size_t i = 0; i < frames; ++i) {
        const bool own = static_cast<int>(i * columns / frames) == column;
        const bool joins = i + 1 < frames && static_cast<int>((i + 1) * columns / frames) == column &&
                           static_cast<int>(i * columns / frames) == column - 1;
        if (!own && !joins) continue;
        low = std::min(low, values[i]);
        high = std::max(high, values[i]);
    }
    return {low, high};
}

double largest_magnitude(const std::vector<double>& values) {
    double most = 0;
    for (const double value : values) most = std::max(most, std::fabs(value));
    return most;
}

TEST(ShakePreview, EachColumnSpansTheOffsetsOfItsFramesOnItsBandsOwnScale) {
    ShakePreview preview;
    preview.resize(kWidth, ShakePreview::kHeight);
    const ShakePreviewData data = wobbling_shake();
    preview.set_data(data);
    ASSERT_TRUE(preview.hint().isEmpty());
    const QImage image = drawn(preview);
    const QRect plot = preview.plot_rect();
    const int columns = plot.width();

    const struct {
        const char* name;
        std::size_t channel;
        QRect band;
        int axis;
    } traces[] = {{"translateX", 0, preview.translate_band(), 0}, {"rotateY", 4, preview.rotate_band(), 1}};
    for (const auto& trace : traces) {
        const std::vector<double>& values = data.channels[trace.channel];
        const double scale = largest_magnitude(values);
        // Under the scale label too, on both sides of the ranges' start and across the spike.
        for (const int column : {5, 50, 90, 143, 180, 230}) {
            const auto [low, high] = column_extent(values, column, columns);
            const auto [top, bottom] =
                painted_rows(image, plot.left() + column, trace.band, ShakePreview::axis_color(trace.axis));
            EXPECT_EQ(top, ShakePreview::value_row(trace.band, high, scale)) << trace.name << ", column " << column;
            EXPECT_EQ(bottom, ShakePreview::value_row(trace.band, low, scale)) << trace.name << ", column " << column;
        }
    }
    // The spike alone reaches the top of the translation band: each band has a scale of its own.
    const int spike_column = 600 * columns / 1000;
    EXPECT_EQ(
        painted_rows(image, plot.left() + spike_column, preview.translate_band(), ShakePreview::axis_color(0)).first,
        preview.translate_band().top());

    // Outside the ranges the background stays dark; inside it is lit (the bottom row carries no
    // trace and no label).
    EXPECT_EQ(image.pixelColor(plot.left() + 5, plot.bottom()).rgb(), theme_color("bg_darkest").rgb());
    EXPECT_EQ(image.pixelColor(plot.left() + 200, plot.bottom()).rgb(), theme_color("bg_medium").rgb());

    const int marked = 800 * columns / 1000;
    EXPECT_EQ(image.pixelColor(plot.left() + marked, preview.translate_band().top()).rgb(),
              theme_color("text_bright").rgb());
}

int colour_distance(QRgb a, QRgb b) {
    return std::abs(qRed(a) - qRed(b)) + std::abs(qGreen(a) - qGreen(b)) + std::abs(qBlue(a) - qBlue(b));
}

// The strip above each band holds its scale label, and the first also the X/Y/Z legend in the
// traces' colours; neither ranges' shade, nor traces, nor the marker run behind them.
TEST(ShakePreview, ScaleLabelsAndLegendSitInStripsOfTheirOwnAboveTheBands) {
    ShakePreview preview;
    preview.resize(kWidth, ShakePreview::kHeight);
    ShakePreviewData data = wobbling_shake();
    data.current_frame = data.first_frame + 500;  // the marker runs under the strips too
    preview.set_data(data);
    const QImage image = drawn(preview);
    const QRgb background = theme_color("bg_darkest").rgb();
    const QRgb axes[] = {ShakePreview::axis_color(0).rgb(), ShakePreview::axis_color(1).rgb(),
                         ShakePreview::axis_color(2).rgb()};
    const QRect strips[] = {preview.translate_label_strip(), preview.rotate_label_strip()};
    const QRect bands[] = {preview.translate_band(), preview.rotate_band()};
    for (int b = 0; b < 2; ++b) {
        EXPECT_LT(strips[b].bottom(), bands[b].top()) << "band " << b;
        int label_pixels = 0;
        bool legend[3] = {false, false, false};
        for (int y = strips[b].top(); y <= strips[b].bottom(); ++y) {
            for (int x = strips[b].left(); x <= strips[b].right(); ++x) {
                const QRgb pixel = image.pixel(x, y);
                if (x < strips[b].left() + 60) {
                    label_pixels += pixel != background;
                } else if (x < strips[b].right() - 40) {
                    // Between the label and the legend: plain background, although the ranges are
                    // lit and the traces run right under the strip.
                    ASSERT_EQ(pixel, background) << "strip " << b << " at " << x << "," << y;
                } else {
                    // The legend's letters, each pixel nearer one axis colour than the others.
                    int nearest = -1;
                    int best = colour_distance(pixel, background);
                    for (int k = 0; k < 3; ++k) {
                        if (colour_distance(pixel, axes[k]) < best) {
                            best = colour_distance(pixel, axes[k]);
                            nearest = k;
                        }
                    }
                    if (nearest >= 0) legend[nearest] = true;
                }
            }
        }
        EXPECT_GT(label_pixels, 15) << "no scale label in strip " << b;
        // One legend, beside the translation scale.
        EXPECT_EQ(legend[0] && legend[1] && legend[2], b == 0) << "strip " << b;
    }
}

// Bypassed, no shake reaches the camera: the graph is dimmed (no pixel keeps a trace's colour) and
// the word says so.
TEST(ShakePreview, WhileBypassedTheGraphIsDimmedUnderTheWord) {
    for (const bool bypassed : {false, true}) {
        ShakePreview preview;
        preview.resize(kWidth, ShakePreview::kHeight);
        ShakePreviewData data = wobbling_shake();
        data.bypassed = bypassed;
        preview.set_data(data);
        const QImage image = drawn(preview);
        const int marker = preview.plot_rect().left() + preview.envelope().current_column;
        int trace_pixels = 0;
        int word_pixels = 0;  // white, besides the marker's column
        for (int y = 0; y < image.height(); ++y) {
            for (int x = 0; x < image.width(); ++x) {
                const QRgb pixel = image.pixel(x, y);
                if (pixel == ShakePreview::axis_color(0).rgb() || pixel == ShakePreview::axis_color(1).rgb())
                    ++trace_pixels;
                if (x != marker && qGray(pixel) > 200) ++word_pixels;
            }
        }
        EXPECT_EQ(trace_pixels > 0, !bypassed) << "bypassed " << bypassed;
        EXPECT_EQ(word_pixels > 20, bypassed) << "bypassed " << bypassed << ": " << word_pixels;
    }
}

TEST(ShakePreview, WithoutOffsetsItShowsAHintAndNoTrace) {
    ShakePreviewData switched_off;  // prepared, but no channel keyed
    switched_off.weights.assign(50, 1.0);
    const struct {
        const char* name;
        std::function<void(ShakePreview&)> bring;
        const char* hint;
    } cases[] = {
        {"fresh", [](ShakePreview&) {}, ShakePreview::EMPTY_HINT},
        {"no channel keyed", [&](ShakePreview& p) { p.set_data(switched_off); }, ShakePreview::NO_OFFSETS_HINT},
        {"cleared after a shake",
         [](ShakePreview& p) {
             p.set_data(wobbling_shake());
             p.clear();
         },
         ShakePreview::EMPTY_HINT}};
    for (const auto& c : cases) {
        ShakePreview preview;
        preview.resize(kWidth, ShakePreview::kHeight);
        c.bring(preview);
        EXPECT_EQ(preview.hint(), QString::fromLatin1(c.hint)) << c.name;
        const QImage image = drawn(preview);
        int hint_pixels = 0;
        int trace_pixels = 0;
        for (int y = 0; y < image.height(); ++y) {
            for (int x = 0; x < image.width(); ++x) {
                const QRgb pixel = image.pixel(x, y);
                if (pixel == ShakePreview::axis_color(0).rgb() || pixel == ShakePreview::axis_color(1).rgb()) {
                    ++trace_pixels;
                }
                // Anti-aliased text: anything clearly brighter than the border and the background.
                if (qGray(pixel) > qGray(theme_color("border").rgb()) + 20) ++hint_pixels;
            }
        }
        EXPECT_GT(hint_pixels, 30) << c.name << ": no hint drawn";
        EXPECT_EQ(trace_pixels, 0) << c.name;
    }
}

}  // namespace
}  // namespace trembla
