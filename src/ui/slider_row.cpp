#include "ui/slider_row.h"

#include <algorithm>
#include <climits>
#include <optional>
#include <utility>

#include <QHBoxLayout>
#include <QPointer>

#include "ui/guard.h"
#include "ui/theme.h"

namespace trembla {
namespace {

// An optionally signed run of ASCII digits with white space around it. Numbers beyond int saturate:
// they lie outside every row's range, so clamping gives the same answer as exact arithmetic.
std::optional<int> parse_typed_integer(const QString& typed) {
    const QString text = typed.trimmed();
    int pos = 0;
    bool negative = false;
    if (pos < text.size() && (text[pos] == QLatin1Char('+') || text[pos] == QLatin1Char('-'))) {
        negative = text[pos] == QLatin1Char('-');
        ++pos;
    }
    if (pos == text.size()) {
        return std::nullopt;
    }
    constexpr long long kSaturation = static_cast<long long>(INT_MAX) + 1;
    long long magnitude = 0;
    for (; pos < text.size(); ++pos) {
        const ushort unit = text[pos].unicode();
        if (unit < '0' || unit > '9') {
            return std::nullopt;
        }
        magnitude = std::min(kSaturation, magnitude * 10 + (unit - '0'));
    }
    const long long signed_value = negative ? -magnitude : magnitude;
    return static_cast<int>(std::clamp<long long>(signed_value, INT_MIN, INT_MAX));
}

}  // namespace

SliderRow::SliderRow(const QString& caption, int min_val, int max_val, int default_value, int label_width,
                     QWidget* parent)
    : QWidget(parent),
      label(new QLabel(caption)),
      value_field(new QLineEdit(QString::number(default_value))),
      slider(new QSlider(Qt::Horizontal)),
      _min(min_val),
      _max(max_val) {
    auto* layout = new QHBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(8);

    set_style_class(label, "sliderLabel");
    label->setFixedWidth(label_width);
    layout->addWidget(label);

    set_style_class(value_field, "sliderValue");
    value_field->setFixedWidth(40);
    value_field->setAlignment(Qt::AlignCenter);
    connect(value_field, &QLineEdit::editingFinished, this, &SliderRow::_on_field_changed);
    layout->addWidget(value_field);

    slider->setMinimum(min_val);
    slider->setMaximum(max_val);
    slider->setValue(default_value);
    _value_before = _value_now = slider->value();
    // Connected before the forwarding below, so consumers of valueChanged see the field already updated.
    connect(slider, &QSlider::valueChanged, this, &SliderRow::_on_slider_changed);
    layout->addWidget(slider, 1);

    connect(slider, &QSlider::valueChanged, this, &SliderRow::valueChanged);
    connect(slider, &QSlider::sliderPressed, this, &SliderRow::dragStarted);
    connect(slider, &QSlider::sliderReleased, this, &SliderRow::dragFinished);
}

int SliderRow::value() const { return slider->value(); }

void SliderRow::setValue(int val) {
    // The change runs its handlers at once, and one of them may delete this row with its window.
    const QPointer<SliderRow> alive(this);
    slider->setValue(val);
    // Unless a handler put the slider back elsewhere (a refused update): the field shows that.
    if (alive && slider->value() == std::clamp(val, slider->minimum(), slider->maximum())) {
        value_field->setText(QString::number(val));
    }
}

void SliderRow::_on_slider_changed(int value) {
    _value_before = std::exchange(_value_now, value);
    run_guarded({}, [&] { value_field->setText(QString::number(value)); });
}

void SliderRow::_on_field_changed() {
    run_guarded({}, [&] {
        if (const std::optional<int> typed = parse_typed_integer(value_field->text())) {
            slider->setValue(std::max(_min, std::min(_max, *typed)));
        } else {
            value_field->setText(QString::number(slider->value()));
        }
    });
}

}  // namespace trembla
