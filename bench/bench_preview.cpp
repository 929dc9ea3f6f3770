// Times the shake preview on its own: handing it a shake (the per-column summary) and one paint
// (rendered into an offscreen image), at 1,000 / 10,000 / 100,000 frames, on a preview as wide as
// the shake page gives it, under the window's style sheet. The paint must stay well under a slider
// drag's frame: at most 1 ms at 10,000.
// Usage: trembla_bench_preview [repeats]
#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <utility>

#include <QApplication>
#include <QImage>

#include "ui/shake_preview.h"
#include "ui/theme.h"

namespace {

using namespace trembla;

ShakePreviewData hand_held_shake(std::size_t frames) {
    ShakePreviewData data;
    data.first_frame = 1;
    data.current_frame = static_cast<std::int64_t>(frames / 3);
    data.weights.reserve(frames);
    for (std::size_t i = 0; i < frames; ++i) {
        const double t = static_cast<double>(i);
        data.weights.push_back(std::min(1.0, std::fmod(t, 500.0) / 12.0));
    }
    for (std::size_t k = 0; k < kPreviewChannels; ++k) {
        data.channels[k].reserve(frames);
        for (std::size_t i = 0; i < frames; ++i) {
            const double t = static_cast<double>(i);
            data.channels[k].push_back(std::sin(t * (0.3 + 0.1 * static_cast<double>(k))) * (k < 3 ? 0.2 : 1.5));
        }
    }
    return data;
}

// Best of `repeats` runs, in microseconds.
double best_microseconds(int repeats, const std::function<void()>& prepare, const std::function<void()>& work) {
    double best = 1e300;
    for (int r = 0; r < repeats; ++r) {
        prepare();
        const auto start = std::chrono::steady_clock::now();
        work();
        const auto stop = std::chrono::steady_clock::now();
        best = std::min(best, std::chrono::duration<double, std::micro>(stop - start).count());
    }
    return best;
}

}  // namespace

int main(int argc, char** argv) {
    if (!qEnvironmentVariableIsSet("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    const int repeats = argc > 1 ? std::max(1, std::atoi(argv[1])) : 20;

    // Inside a parent with the window's style sheet, as on the shake page: the labels then take
    // the window's fonts.
    QWidget window;
    window.setStyleSheet(QString::fromStdString(STYLESHEET()));
    auto* preview = new ShakePreview({}, &window);
    preview->resize(236, ShakePreview::kHeight);  // the shake page's width inside its margins
    window.ensurePolished();
    preview->ensurePolished();
    QImage image(preview->size(), QImage::Format_ARGB32_Premultiplied);

    std::printf("%-34s %12s %12s %12s\n", "shake preview (us, best)", "1,000", "10,000", "100,000");
    const std::size_t sizes[] = {1000, 10000, 100000};
    double set_data[3] = {};
    double paint[3] = {};
    double bypassed[3] = {};
    for (std::size_t s = 0; s < 3; ++s) {
        const ShakePreviewData shake = hand_held_shake(sizes[s]);
        ShakePreviewData copy;
        // The copy is made outside the timing: the window hands its data over by moving it.
        set_data[s] = best_microseconds(
            repeats, [&] { copy = shake; }, [&] { preview->set_data(std::move(copy)); });
        paint[s] = best_microseconds(
            repeats, [] {}, [&] { preview->render(&image); });
        ShakePreviewData dimmed = shake;
        dimmed.bypassed = true;
        preview->set_data(std::move(dimmed));
        bypassed[s] = best_microseconds(
            repeats, [] {}, [&] { preview->render(&image); });
    }
    std::printf("%-34s %12.1f %12.1f %12.1f\n", "set data (per-column summary)", set_data[0], set_data[1], set_data[2]);
    std::printf("%-34s %12.1f %12.1f %12.1f\n", "paint (render to an image)", paint[0], paint[1], paint[2]);
    std::printf("%-34s %12.1f %12.1f %12.1f\n", "paint while bypassed", bypassed[0], bypassed[1], bypassed[2]);
    return 0;
}
