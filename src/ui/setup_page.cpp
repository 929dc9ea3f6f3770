#include <algorithm>

#include <QHBoxLayout>
#include <QSignalBlocker>

#include "ui/main_window.h"
#include "ui/name_field.h"
#include "ui/page_layout.h"
#include "ui/tool_tip.h"

namespace trembla {

QWidget* TremblaToolWindow::_build_setup_page() {
    auto* page = new QWidget;
    auto* layout = make_page_layout(page);

    // Camera on the left, source on the right: caption above a name field with its pick button.
    auto* names_row = new QHBoxLayout;
    names_row->setSpacing(10);
    const auto add_name_column = [&](const char* caption, QLineEdit*& field, void (TremblaToolWindow::*pick)(),
                                     const char* pick_name) {
        auto* column = new QVBoxLayout;
        column->setSpacing(3);
        column->addWidget(make_styled_label(caption, "sourceLabel"));
        auto* field_row = new QHBoxLayout;
        field_row->setSpacing(4);
        field = new NameField;
        field->setPlaceholderText(QStringLiteral("Select..."));
        field_row->addWidget(field);
        auto* pick_btn = new QPushButton(QStringLiteral("<"));
        set_style_class(pick_btn, "setBtn");
        pick_btn->setObjectName(QLatin1String(pick_name));
        pick_btn->setFixedWidth(24);
        _connect_command(pick_btn, &QPushButton::clicked, pick);
        field_row->addWidget(pick_btn);
        column->addLayout(field_row);
        names_row->addLayout(column);
    };
    add_name_column("CAMERA", camera_field, &TremblaToolWindow::_set_camera, "camera_pick_btn");
    add_name_column("SOURCE", source_field, &TremblaToolWindow::_set_source, "source_pick_btn");
    layout->addLayout(names_row);

    // What the shake is made of: the object above, or a clip (filled by the context) played from
    // a start frame of its own. Long clip names are cut in the box, the list shows them whole.
    auto* clip_row = new QHBoxLayout;
    clip_row->setSpacing(4);
    clip_combo = new QComboBox;
    clip_combo->setObjectName(QStringLiteral("clip_combo"));
    clip_combo->setSizeAdjustPolicy(QComboBox::AdjustToMinimumContentsLengthWithIcon);
    clip_combo->setMinimumContentsLength(6);
    clip_combo->addItem(QString());
    _show_object_entry();
    connect(source_field, &QLineEdit::textChanged, this, [this] { _guarded([this] { _show_object_entry(); }); });
    clip_row->addWidget(clip_combo, 1);
    save_clip_btn = new QPushButton(QStringLiteral("Save Clip"));
    set_style_class(save_clip_btn, "smallBtn");
    save_clip_btn->setObjectName(QStringLiteral("save_clip_btn"));
    _connect_user_command(save_clip_btn, &TremblaToolWindow::_save_clip);
    clip_row->addWidget(save_clip_btn);
    layout->addLayout(clip_row);

    auto* start_row = new QHBoxLayout;
    start_row->setSpacing(8);
    auto* start_label = make_styled_label("Start", "sliderLabel");
    start_label->setFixedWidth(55);
    start_row->addWidget(start_label);
    clip_offset_spin = new QSpinBox;
    clip_offset_spin->setObjectName(QStringLiteral("clip_offset_spin"));
    clip_offset_spin->setRange(0, 0);
    // A number field like the slider rows' values: typed, or stepped with the arrow keys and the wheel.
    clip_offset_spin->setButtonSymbols(QAbstractSpinBox::NoButtons);
    clip_offset_spin->setFixedWidth(60);
    clip_offset_spin->setEnabled(false);  // the object's entry plays no clip
    start_row->addWidget(clip_offset_spin);
    start_row->addStretch();
    layout->addLayout(start_row);
    connect(clip_combo, static_cast<void (QComboBox::*)(int)>(&QComboBox::currentIndexChanged), this,
            [this](int index) { _guarded([this, index] { _choose_clip(index); }); });
    connect(clip_offset_spin, static_cast<void (QSpinBox::*)(int)>(&QSpinBox::valueChanged), this,
            [this](int offset) { _guarded([this, offset] { _change_clip_offset(offset); }); });
    _refresh_clip_list();
    _show_clip_saving(false);

    const auto add_row = [&](SliderRow*& row, const char* caption, int min_val, int max_val, int default_value) {
        row = new SliderRow(QString::fromLatin1(caption), min_val, max_val, default_value, 55);
        _connect_slider(row);
        layout->addWidget(row);
    };

    layout->addSpacing(6);
    layout->addWidget(make_section_header("Follow"));
    add_row(lag_trans_slider, "Lag T", 0, 15, 0);
    add_row(lag_rot_slider, "Lag R", 0, 15, 0);
    add_row(smoothing_slider, "Smooth", 0, 100, 0);
    connect(smoothing_slider, &SliderRow::valueChanged, this, [this] { _guarded([this] { _show_relax_needs(); }); });

    layout->addSpacing(6);
    amp_header = make_section_header("Amplitude");
    layout->addWidget(amp_header);
    add_row(amount_slider, "Amount", 0, 200, 100);
    add_row(trans_amp_slider, "Trans", 0, 200, 100);
    add_row(rot_amp_slider, "Rotate", 0, 200, 100);

    layout->addStretch();
    return page;
}

void TremblaToolWindow::_show_object_entry() {
    const QString name = source_field->text();
    clip_combo->setItemText(0,
                            name.isEmpty() ? QStringLiteral("Object: none picked") : QStringLiteral("Object: ") + name);
    clip_combo->setItemData(0, wrapped_tip(QStringLiteral("Samples the object in SOURCE over the playback range.")),
                            Qt::ToolTipRole);
}

void TremblaToolWindow::_choose_clip(int index) {
    _source_clip = clip_combo->itemData(index, kClipNameRole).toString().toStdString();
    _clip_offset = 0;
    _show_source_choice();
    if (_context.choose_clip) _context.choose_clip(*this);
}

void TremblaToolWindow::_change_clip_offset(int offset) {
    _clip_offset = offset;
    if (_context.choose_clip) _context.choose_clip(*this);
}

void TremblaToolWindow::_show_source_choice() {
    const QString name = QString::fromStdString(_source_clip);
    int index = 0;
    if (!_source_clip.empty()) {
        index = clip_combo->findData(name, kClipNameRole);
        if (index < 0) {
            // A clip the files no longer offer (a shake taken up from a deleted clip) is still named.
            clip_combo->addItem(name, name);
            index = clip_combo->count() - 1;
            clip_combo->setItemData(index, wrapped_tip(QStringLiteral("%1: not in the clip files now.").arg(name)),
                                    Qt::ToolTipRole);
        }
    }
    const QSignalBlocker block_combo(clip_combo);
    const QSignalBlocker block_spin(clip_offset_spin);
    clip_combo->setCurrentIndex(index);
    const int frames = clip_combo->itemData(index, kClipFramesRole).toInt();
    clip_offset_spin->setEnabled(index > 0);
    clip_offset_spin->setRange(0, std::max(0, frames - 1));
    clip_offset_spin->setValue(static_cast<int>(std::clamp<long long>(_clip_offset, 0, clip_offset_spin->maximum())));
}

void TremblaToolWindow::_show_clip_saving(bool from_object) {
    save_clip_btn->setEnabled(from_object);
    save_clip_btn->setToolTip(wrapped_tip(
        from_object ? QStringLiteral("Saves the prepared shake as a clip under a name: it can then shake any camera "
                                     "with no source in the scene.")
                    : QStringLiteral("Save Clip: prepare a shake from an object first; a clip is saved from an "
                                     "object's shake.")));
}

}  // namespace trembla
