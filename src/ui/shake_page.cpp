#include <limits>
#include <utility>

#include <QCheckBox>
#include <QHBoxLayout>

#include "ui/main_window.h"
#include "ui/page_layout.h"
#include "ui/shake_preview.h"
#include "ui/tool_tip.h"

namespace trembla {

QWidget* TremblaToolWindow::_build_shake_page() {
    auto* page = new QWidget;
    auto* layout = make_page_layout(page);

    // Captions of the text rows are as wide as the slider rows' captions, so the columns line up.
    const auto add_text_row = [&](const char* caption, QLineEdit* field) {
        auto* row = new QHBoxLayout;
        row->setSpacing(8);
        auto* label = make_styled_label(caption, "sliderLabel");
        label->setFixedWidth(55);
        row->addWidget(label);
        row->addWidget(field);
        layout->addLayout(row);
    };

    layout->addWidget(make_section_header("Frame Ranges"));
    ranges_field = new QLineEdit;
    ranges_field->setPlaceholderText(QStringLiteral("e.g. 10-50, 70-80"));
    // Qt cuts a line edit's text at 32,767 characters without a word; a long list of ranges set
    // by a script or a preset must arrive whole.
    ranges_field->setMaxLength(std::numeric_limits<int>::max());
    // Return or leaving the field applies the ranges; typing alone does not. A refused update
    // puts back the text from before the typing: a program's setText, or the last commit.
    connect(ranges_field, &QLineEdit::textChanged, this, [this] {
        _guarded([&] {
            if (!ranges_field->isModified()) _ranges_before = ranges_field->text();
            _show_fade_rows();
        });
    });
    connect(ranges_field, &QLineEdit::editingFinished, this, [this] {
        _guarded([&] {
            // Qt 5 reports the end of editing again when the field loses the focus after Return:
            // the same text is then only applied again, not committed twice.
            const QString before = std::exchange(_ranges_before, ranges_field->text());
            if (before == ranges_field->text()) {
                _request_update(_put_back_ranges(before));
            } else {
                _commit_ranges(before);
            }
        });
    });
    add_text_row("Active", ranges_field);

    const auto add_fade_row = [&](SliderRow*& row, const char* caption) {
        row = new SliderRow(QString::fromLatin1(caption), 0, 30, 3, 55);
        _connect_slider(row);
        layout->addWidget(row);
    };
    add_fade_row(fade_in_slider, "Fade In");
    add_fade_row(fade_out_slider, "Fade Out");
    _show_fade_rows();
    // How fast the shake plays, in percent; it acts with or without ranges, so it stays enabled.
    speed_slider = new SliderRow(QStringLiteral("Speed"), 25, 400, 100, 55);
    // Hidden in the relax mode, its row stays: the Camera Mode buttons below must not move under
    // the pointer that has just chosen Relax.
    QSizePolicy keep_place = speed_slider->sizePolicy();
    keep_place.setRetainSizeWhenHidden(true);
    speed_slider->setSizePolicy(keep_place);
    _connect_slider(speed_slider);
    layout->addWidget(speed_slider);
    // Under the ranges and fades it shades; the scene commands feed it.
    shake_preview = new ShakePreview(_context.report_error);
    layout->addWidget(shake_preview);

    layout->addSpacing(6);
    layout->addWidget(make_section_header("Camera Mode"));
    auto* mode_row = new QHBoxLayout;
    mode_row->setSpacing(15);
    mode_button_group = new QButtonGroup(this);
    const auto add_mode = [&](QRadioButton*& button, const char* caption, int id, bool checked) {
        button = new QRadioButton(QString::fromLatin1(caption));
        // Checked before it is connected, so building the page runs no mode change.
        button->setChecked(checked);
        QRadioButton* const toggled = button;
        // The button left signals first, then the one chosen: a refused update checks the first again.
        connect(button, &QRadioButton::toggled, this, [this, toggled](bool on) {
            _run_toggling(toggled, [this, toggled, on] {
                if (!on) {
                    _mode_left = toggled;
                    return;
                }
                _change_mode(_put_back_mode(std::exchange(_mode_left, nullptr)));
            });
        });
        mode_button_group->addButton(button, id);
        mode_row->addWidget(button);
    };
    add_mode(mode_static, "Static", 0, true);
    add_mode(mode_animated, "Animated", 1, false);
    add_mode(mode_relax, "Relax", 2, false);
    mode_row->addStretch();
    layout->addLayout(mode_row);

    // Unchecked when the page is built. A host callback of the toggle may delete the window, and
    // the box with it, while the box's own setChecked is still running: see _connect_toggle.
    bypass_cb = new QCheckBox(QStringLiteral("Bypass"));
    _connect_toggle(bypass_cb, &TremblaToolWindow::_request_bypass);
    layout->addWidget(bypass_cb);

    layout->addSpacing(6);
    layout->addWidget(make_section_header("Output"));
    layer_field = new QLineEdit(QStringLiteral("trembla_layer"));
    add_text_row("Layer", layer_field);

    layout->addStretch();
    return page;
}

void TremblaToolWindow::_show_fade_rows() {
    // Blanks alone type no range, as the ranges parser reads them.
    const bool has_ranges = !ranges_field->text().trimmed().isEmpty();
    const QString no_ranges = QStringLiteral("Fades act at the ends of each range: type a range above to use them.");
    fade_in_slider->setToolTip(wrapped_tip(has_ranges ? QString::fromUtf8(kFadeInTip) : no_ranges));
    fade_out_slider->setToolTip(wrapped_tip(has_ranges ? QString::fromUtf8(kFadeOutTip) : no_ranges));
    for (SliderRow* row : {fade_in_slider, fade_out_slider}) row->setEnabled(has_ranges);
}

void TremblaToolWindow::_commit_ranges(const QString& before) {
    const WindowContext::PutBack put_back = _put_back_ranges(before);
    if (_context.commit_ranges) {
        _context.commit_ranges(*this, put_back);
    } else {
        _request_update(put_back);
    }
}

void TremblaToolWindow::_set_ranges_text(const QString& text) {
    const QString before = ranges_field->text();
    if (text == before) return;
    ranges_field->setText(text);
    _commit_ranges(before);
}

}  // namespace trembla
