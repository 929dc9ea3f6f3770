#include <QHBoxLayout>

#include "ui/main_window.h"
#include "ui/page_layout.h"

namespace trembla {

QWidget* TremblaToolWindow::_build_advanced_page() {
    auto* page = new QWidget;
    auto* layout = make_page_layout(page);

    layout->addWidget(make_section_header("Channels"));
    auto* channels_row = new QHBoxLayout;
    channels_row->setSpacing(20);
    const auto add_channel_box = [&](QCheckBox*& box, const char* caption) {
        box = new QCheckBox(QString::fromLatin1(caption));
        box->setChecked(true);
        // The update may end in a host callback that deletes the window while the box is still
        // being set: see _run_toggling.
        QCheckBox* const changed = box;
        const auto update = [this, changed] {
            _run_toggling(changed, [this, changed] { _request_update(_put_back_box(changed)); });
        };
#if QT_VERSION >= QT_VERSION_CHECK(6, 7, 0)
        connect(box, &QCheckBox::checkStateChanged, this, update);
#else
        connect(box, &QCheckBox::stateChanged, this, update);
#endif
        channels_row->addWidget(box);
    };
    add_channel_box(translate_cb, "Translate");
    add_channel_box(rotate_cb, "Rotate");
    channels_row->addStretch();
    layout->addLayout(channels_row);

    // Axis rows are narrower in the caption (35) than the other pages' rows: their captions are one letter.
    const auto add_axis_row = [&](SliderRow*& row, const char* caption) {
        row = new SliderRow(QString::fromLatin1(caption), 0, 100, 100, 35);
        _connect_slider(row);
        layout->addWidget(row);
    };

    layout->addSpacing(6);
    layout->addWidget(make_section_header("Translate Axes"));
    add_axis_row(trans_x_slider, "X");
    add_axis_row(trans_y_slider, "Y");
    add_axis_row(trans_z_slider, "Z");

    layout->addSpacing(6);
    layout->addWidget(make_section_header("Rotate Axes"));
    add_axis_row(rot_x_slider, "X");
    add_axis_row(rot_y_slider, "Y");
    add_axis_row(rot_z_slider, "Z");

    layout->addStretch();
    return page;
}

}  // namespace trembla
