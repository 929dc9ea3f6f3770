#include "ui/shake_preview.h"

#include <algorithm>
#include <cmath>
#include <utility>
#include <vector>

#include <QChar>
#include <QColor>
#include <QFont>
#include <QLine>
#include <QPainter>
#include <QVector>

#include "ui/theme.h"

namespace trembla {
namespace {

// X, Y and Z take the same colour in both bands.
constexpr const char* kAxisColors[] = {"accent_hover", "prepared_bg", "text"};
constexpr int kShadeLevels = 8;
constexpr int kBandPadding = 2;  // keeps the peaks off the border and the middle line

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

}  // namespace

ShakePreview::ShakePreview(ErrorReporter report, QWidget* parent) : QWidget(parent), _report(std::move(report)) {
    setObjectName(QStringLiteral("shakePreview"));
    setFixedHeight(kHeight);
    setMinimumWidth(60);
    setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
    setAttribute(Qt::WA_OpaquePaintEvent);
}

void ShakePreview::set_data(ShakePreviewData data) {
    _data = std::move(data);
    summarise();
    update();
}

void ShakePreview::clear() { set_data(ShakePreviewData{}); }

void ShakePreview::summarise() { _envelope = make_preview_envelope(_data, plot_rect().width()); }

QString ShakePreview::hint() const {
    if (_data.weights.empty()) return QString::fromLatin1(EMPTY_HINT);
    if (!has_offsets(_envelope)) return QString::fromLatin1(NO_OFFSETS_HINT);
    return QString();
}

QRect ShakePreview::plot_rect() const { return rect().adjusted(1, 1, -1, -1); }

QRect ShakePreview::translate_band() const {
    const QRect plot = plot_rect();
    const int middle = plot.top() + plot.height() / 2;
    return QRect(QPoint(plot.left(), plot.top() + kBandPadding), QPoint(plot.right(), middle - 1 - kBandPadding));
}

QRect ShakePreview::rotate_band() const {
    const QRect plot = plot_rect();
    const int middle = plot.top() + plot.height() / 2;
    return QRect(QPoint(plot.left(), middle + 1 + kBandPadding), QPoint(plot.right(), plot.bottom() - kBandPadding));
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
        painter.setPen(theme_color("text_dim"));
        painter.drawText(plot, Qt::AlignCenter, shown_hint);
        return;
    }

    // Ranges and fades: each column lit as far as its multiplier, in a few steps of shade.
    const int columns = std::min(_envelope.columns, plot.width());
    std::vector<QVector<QLine>> shade_lines(kShadeLevels);
    for (int c = 0; c < columns; ++c) {
        const double weight = std::clamp(_envelope.weight[static_cast<std::size_t>(c)], 0.0, 1.0);
        const int level = static_cast<int>(std::lround(weight * (kShadeLevels - 1)));
        if (level > 0) {
            const int x = plot.left() + c;
            shade_lines[static_cast<std::size_t>(level)].append(QLine(x, plot.top(), x, plot.bottom()));
        }
    }
    const QColor lit = theme_color("bg_medium");
    for (int level = 1; level < kShadeLevels; ++level) {
        painter.setPen(mixed(background, lit, static_cast<double>(level) / (kShadeLevels - 1)));
        painter.drawLines(shade_lines[static_cast<std::size_t>(level)]);
    }

    const QRect bands[] = {translate_band(), rotate_band()};
    const double scales[] = {_envelope.translate_scale, _envelope.rotate_scale};
    painter.setPen(theme_color("border"));
    const int middle = plot.top() + plot.height() / 2;
    painter.drawLine(plot.left(), middle, plot.right(), middle);
    painter.setPen(theme_color("bg_light"));
    for (const QRect& band : bands) {
        const int zero = value_row(band, 0.0, 1.0);
        painter.drawLine(band.left(), zero, band.right(), zero);
    }

    QVector<QLine> trace;
    trace.reserve(columns);
    for (std::size_t k = 0; k < kPreviewChannels; ++k) {
        const std::vector<double>& low = _envelope.low[k];
        const std::vector<double>& high = _envelope.high[k];
        if (low.empty()) continue;
        const QRect& band = bands[k < 3 ? 0 : 1];
        const double scale = scales[k < 3 ? 0 : 1];
        trace.clear();
        for (int c = 0; c < columns; ++c) {
            const auto i = static_cast<std::size_t>(c);
            if (std::isnan(low[i])) continue;
            const int x = plot.left() + c;
            trace.append(QLine(x, value_row(band, high[i], scale), x, value_row(band, low[i], scale)));
        }
        painter.setPen(theme_color(kAxisColors[k % 3]));
        painter.drawLines(trace);
    }

    if (_envelope.current_column >= 0 && _envelope.current_column < columns) {
        painter.setPen(theme_color("text_bright"));
        const int x = plot.left() + _envelope.current_column;
        painter.drawLine(x, plot.top(), x, plot.bottom());
    }

    QFont small = font();
    small.setPixelSize(9);
    painter.setFont(small);
    painter.setPen(theme_color("text_dim"));
    painter.drawText(bands[0].adjusted(3, -1, 0, 0), Qt::AlignLeft | Qt::AlignTop,
                     scale_text("T", scales[0], false));
    painter.drawText(bands[1].adjusted(3, -1, 0, 0), Qt::AlignLeft | Qt::AlignTop,
                     scale_text("R", scales[1], true));
}

}  // namespace trembla
