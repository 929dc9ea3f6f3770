#include <QHBoxLayout>

#include "ui/main_window.h"
#include "ui/name_field.h"
#include "ui/page_layout.h"

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

}  // namespace trembla
