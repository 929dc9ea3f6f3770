// Compact slider row: Label | Value | Slider. The integer control behind every numeric setting.
#pragma once

#include <QLabel>
#include <QLineEdit>
#include <QSlider>
#include <QString>
#include <QWidget>

namespace trembla {

// The slider holds the value; the field is a view of it that the user may type into. The field can
// briefly show a text other than the slider's value (a typed 007 while at 7, setValue beyond the
// range): the row only ever reads the slider.
class SliderRow : public QWidget {
    Q_OBJECT

public:
    SliderRow(const QString& caption, int min_val = 0, int max_val = 100, int default_value = 50, int label_width = 55,
              QWidget* parent = nullptr);

    int value() const;
    // The slider's value before its latest change (its first value before any).
    int value_before() const { return _value_before; }
    // Sets the slider (which keeps within its range and signals a change at once), then shows val
    // itself in the field, unclamped.
    void setValue(int val);

    QLabel* label;
    QLineEdit* value_field;
    QSlider* slider;
    const int _min;
    const int _max;

Q_SIGNALS:
    // The slider's own change signal, fired exactly when the slider's value changes, whatever the cause.
    void valueChanged(int value);
    // The user took hold of the slider's handle / let it go: the changes in between are one drag.
    void dragStarted();
    void dragFinished();

public Q_SLOTS:
    void _on_slider_changed(int value);
    // Return pressed in the field or focus left it.
    void _on_field_changed();

private:
    int _value_before = 0;
    int _value_now = 0;
};

}  // namespace trembla
