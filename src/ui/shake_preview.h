// A small graph of the shake the current settings apply: the six channels' offsets over the
// prepared frames, translation above and rotation below on scales of their own, the ranges and
// fades shaded behind them and the current frame marked. Each band's scale label sits in a strip
// of its own above it, with the X/Y/Z colours beside the first; while bypassed the graph is dimmed
// under the word. It draws only what it is given; the scene commands hand it what each
// application of the shake computed.
#pragma once

#include <QColor>
#include <QRect>
#include <QString>
#include <QWidget>

#include "ui/guard.h"
#include "ui/shake_preview_data.h"

namespace trembla {

class ShakePreview : public QWidget {
    Q_OBJECT

public:
    static constexpr int kHeight = 94;
    static constexpr const char* EMPTY_HINT = "Prepare a shake to preview it here.";
    static constexpr const char* NO_OFFSETS_HINT = "These settings add no shake.";
    // Short enough for the narrowest window: the plot holds three wrapped lines.
    static constexpr const char* TAKEN_UP_HINT = "Shake applied. Its preview shows at the next change.";
    static constexpr const char* BYPASSED_WORD = "Bypassed";

    // The colour of the X (0), Y (1) and Z (2) traces and legend, in both bands.
    static QColor axis_color(int axis);

    // A failure while painting goes to `report` (unset: dropped).
    explicit ShakePreview(ErrorReporter report = {}, QWidget* parent = nullptr);

    // Keeps the data and summarises it for painting (O(frames)), then repaints.
    void set_data(ShakePreviewData data);
    // Back to the hint: nothing prepared.
    void clear();
    // The line shown when the settings add no offsets (NO_OFFSETS_HINT when empty): the window
    // says there what its mode needs.
    void set_no_offsets_hint(const QString& hint);
    // No graph, and `hint` instead of the one for nothing prepared (a shake applied whose samples
    // are not read yet) until the next set_data or clear.
    void show_hint(const QString& hint);

    const ShakePreviewData& data() const { return _data; }
    const PreviewEnvelope& envelope() const { return _envelope; }
    // The line shown instead of a graph; empty while a graph is drawn.
    QString hint() const;

    // Where the columns are drawn, and each band's drawing area (both include their ends).
    QRect plot_rect() const;
    QRect translate_band() const;
    QRect rotate_band() const;
    // The strips above the bands that hold their scale labels (and, above translation, the legend).
    QRect translate_label_strip() const;
    QRect rotate_label_strip() const;
    // The row at which `value` is drawn in `band` on a scale of +-`scale` (the band's middle when
    // the scale is 0).
    static int value_row(const QRect& band, double value, double scale);

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    void paint_graph();
    void summarise();

    ErrorReporter _report;
    ShakePreviewData _data;
    PreviewEnvelope _envelope;
    QString _empty_hint;       // shown instead of EMPTY_HINT when set
    QString _no_offsets_hint;  // shown instead of NO_OFFSETS_HINT when set
};

}  // namespace trembla
