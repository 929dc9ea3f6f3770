#include "ui/shake_preview.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <utility>

#include <QChar>
#include <QColor>
#include <QFont>
#include <QPainter>

#include "ui/theme.h"

namespace trembla {
namespace {

// X, Y and Z take the same colour in both bands: red, green and blue as in Maya's viewport, lightened
// for the dark plot, and none near the white current-frame line.
const QColor kAxisColors[] = {QColor(0xe8, 0x6a, 0x5c), QColor(0x7c, 0xc8, 0x6e), QColor(0x62, 0xa4, 0xf0)};
constexpr const char* kAxisNames[] = {"X", "Y", "Z"};
constexpr int kShadeLevels = 8;
constexpr int kBandPadding = 2;        // keeps the peaks off the border and the middle line
constexpr int kLabelStrip = 13;        // the scale labels' own rows above each band
constexpr int kLabelPixels = 11;       // the panel's own text size
constexpr int kBypassedDimming = 170;  // alpha of the background laid over a bypassed graph

QColor mixed(const QColor& from, const QColor& to, double part) {
    const auto mix = [part](int a, int b) { return a + static_cast<int>(std::lround((b - a) * part)); };
    return QColor(mix(from.red(), to.red()), mix(from.green(), to.green()), mix(from.blue(), to.blue()));
}

bool has_offsets(const PreviewEnvelope& envelope) {
    return std::any_of(envelope.low.begin(), envelope.low.end(), [](const auto& column) { return !column.empty(); });
}

QString scale_text(const char* band, double scale, bool degrees) {
    QString text = QString::fromLatin1(band) + QLatin1Char(' ') + QChar(0x00b1) + QString::number(scale, 'g', 2);
    if (degrees) text += QChar(0x00b0);
    return text;
}

// Rows [top, bottom] of one pixel column, as one rectangle: a rectangle fill is the cheapest
// thing a painter does, and a graph is a few hundred of them.
void fill_column(QPainter& painter, int x, int top, int bottom, const QColor& color) {
    painter.fillRect(QRect(x, top, 1, bottom - top + 1), color);
}

}  // namespace

ShakePreview::ShakePreview(ErrorReporter report, QWidget* parent) : QWidget(parent), _report(std::move(report)) {
    setObjectName(QStringLiteral("shakePreview"));
    setFixedHeight(kHeight);
    setMinimumWidth(60);
    setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
    setAttribute(Qt::WA_OpaquePaintEvent);
}

QColor ShakePreview::axis_color(int axis) { return kAxisColors[axis]; }

void ShakePreview::set_data(ShakePreviewData data) {
    _data = std::move(data);
    _empty_hint.clear();
    summarise();
    update();
}

void ShakePreview::clear() { set_data(ShakePreviewData{}); }

void ShakePreview::show_hint(const QString& hint) {
    clear();
    _empty_hint = hint;
}

void ShakePreview::set_no_offsets_hint(const QString& hint) {
    if (hint == _no_offsets_hint) return;
    _no_offsets_hint = hint;
    update();
}

void ShakePreview::summarise() { _envelope = make_preview_envelope(_data, plot_rect().width()); }

QString ShakePreview::hint() const {
    if (_data.weights.empty()) return _empty_hint.isEmpty() ? QString::fromLatin1(EMPTY_HINT) : _empty_hint;
    if (!has_offsets(_envelope)) {
        return _no_offsets_hint.isEmpty() ? QString::fromLatin1(NO_OFFSETS_HINT) : _no_offsets_hint;
    }
    return QString();
}

QRect ShakePreview::plot_rect() const { return rect().adjusted(1, 1, -1, -1); }

QRect ShakePreview::translate_label_strip() const {
    const QRect plot = plot_rect();
    return QRect(plot.left(), plot.top(), plot.width(), kLabelStrip);
}

QRect ShakePreview::rotate_label_strip() const {
    const QRect plot = plot_rect();
    return QRect(plot.left(), plot.top() + plot.height() / 2 + 1, plot.width(), kLabelStrip);
}

QRect ShakePreview::translate_band() const {
    const QRect plot = plot_rect();
    const int middle = plot.top() + plot.height() / 2;
    return QRect(QPoint(plot.left(), translate_label_strip().bottom() + 1 + kBandPadding),
                 QPoint(plot.right(), middle - 1 - kBandPadding));
}

QRect ShakePreview::rotate_band() const {
    const QRect plot = plot_rect();
    return QRect(QPoint(plot.left(), rotate_label_strip().bottom() + 1 + kBandPadding),
                 QPoint(plot.right(), plot.bottom() - kBandPadding));
}

int ShakePreview::value_row(const QRect& band, double value, double scale) {
    const double centre = (band.top() + band.bottom()) / 2.0;
    if (!(scale > 0)) return static_cast<int>(std::lround(centre));
    const double half = (band.bottom() - band.top()) / 2.0;
    const double row = centre - value / scale * half;
    return std::clamp(static_cast<int>(std::lround(row)), band.top(), band.bottom());
}

void ShakePreview::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    run_guarded(_report, [this] { summarise(); });
}

void ShakePreview::paintEvent(QPaintEvent*) {
    run_guarded(_report, [this] { paint_graph(); });
}

void ShakePreview::paint_graph() {
    QPainter painter(this);
    painter.fillRect(rect(), theme_color("border"));
    const QRect plot = plot_rect();
    const QColor background = theme_color("bg_darkest");
    painter.fillRect(plot, background);

    const QString shown_hint = hint();
    if (!shown_hint.isEmpty()) {
        painter.setPen(theme_color("text"));
        painter.drawText(plot.adjusted(6, 0, -6, 0), Qt::AlignCenter | Qt::TextWordWrap, shown_hint);
        return;
    }

    const QRect bands[] = {translate_band(), rotate_band()};
    const QRect strips[] = {translate_label_strip(), rotate_label_strip()};
    // What the ranges light and the marker crosses: each band with its padding, not the strips.
    const int middle = plot.top() + plot.height() / 2;
    const std::pair<int, int> lit_rows[] = {{strips[0].bottom() + 1, middle - 1},
                                            {strips[1].bottom() + 1, plot.bottom()}};

    // Ranges and fades: each column lit as far as its multiplier, in a few steps of shade; a run of
    // columns of one shade is one rectangle.
    const int columns = std::min(_envelope.columns, plot.width());
    std::array<QColor, kShadeLevels> shades;
    const QColor lit = theme_color("bg_medium");
    for (int level = 0; level < kShadeLevels; ++level) {
        shades[static_cast<std::size_t>(level)] =
            mixed(background, lit, static_cast<double>(level) / (kShadeLevels - 1));
    }
    const auto level_of = [&](int c) {
        const double weight = std::clamp(_envelope.weight[static_cast<std::size_t>(c)], 0.0, 1.0);
        return static_cast<int>(std::lround(weight * (kShadeLevels - 1)));
    };
    for (int c = 0; c < columns;) {
        const int level = level_of(c);
        int end = c + 1;
        while (end < columns && level_of(end) == level) ++end;
        if (level > 0) {
            for (const auto& [top, bottom] : lit_rows) {
                painter.fillRect(QRect(plot.left() + c, top, end - c, bottom - top + 1),
                                 shades[static_cast<std::size_t>(level)]);
            }
        }
        c = end;
    }

    const double scales[] = {_envelope.translate_scale, _envelope.rotate_scale};
    painter.fillRect(QRect(plot.left(), middle, plot.width(), 1), theme_color("border"));
    const QColor zero_line = theme_color("bg_light");
    for (const QRect& band : bands) {
        painter.fillRect(QRect(band.left(), value_row(band, 0.0, 1.0), band.width(), 1), zero_line);
    }

    for (std::size_t k = 0; k < kPreviewChannels; ++k) {
        const std::vector<double>& low = _envelope.low[k];
        const std::vector<double>& high = _envelope.high[k];
        if (low.empty()) continue;
        const QRect& band = bands[k < 3 ? 0 : 1];
        const double scale = scales[k < 3 ? 0 : 1];
        const QColor& color = kAxisColors[k % 3];
        for (int c = 0; c < columns; ++c) {
            const auto i = static_cast<std::size_t>(c);
            if (std::isnan(low[i])) continue;
            fill_column(painter, plot.left() + c, value_row(band, high[i], scale), value_row(band, low[i], scale),
                        color);
        }
    }

    if (_envelope.current_column >= 0 && _envelope.current_column < columns) {
        const QColor marker = theme_color("text_bright");
        for (const auto& [top, bottom] : lit_rows) {
            fill_column(painter, plot.left() + _envelope.current_column, top, bottom, marker);
        }
    }

    QFont small = font();
    small.setPixelSize(kLabelPixels);
    painter.setFont(small);
    painter.setPen(theme_color("text"));
    const QRect label_rects[] = {strips[0].adjusted(3, 0, 0, 0), strips[1].adjusted(3, 0, 0, 0)};
    painter.drawText(label_rects[0], Qt::AlignLeft | Qt::AlignVCenter, scale_text("T", scales[0], false));
    painter.drawText(label_rects[1], Qt::AlignLeft | Qt::AlignVCenter, scale_text("R", scales[1], true));
    // The legend: X, Y and Z in their colours, at the right of the first strip.
    QRect legend = strips[0].adjusted(0, 0, -3, 0);
    for (int axis = 2; axis >= 0; --axis) {
        painter.setPen(kAxisColors[axis]);
        QRect used;
        painter.drawText(legend, Qt::AlignRight | Qt::AlignVCenter, QString::fromLatin1(kAxisNames[axis]), &used);
        legend.setRight(used.left() - 5);
    }

    if (_data.bypassed) {
        // No shake reaches the camera: the graph stays, dimmed, for what clearing the box brings.
        QColor veil = background;
        veil.setAlpha(kBypassedDimming);
        painter.fillRect(plot, veil);
        painter.setPen(theme_color("text_bright"));
        painter.drawText(plot, Qt::AlignCenter, QString::fromLatin1(BYPASSED_WORD));
    }
}

}  // namespace trembla
