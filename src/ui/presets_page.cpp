#include <QHBoxLayout>

#include "ui/main_window.h"
#include "ui/page_layout.h"

namespace trembla {

QWidget* TremblaToolWindow::_build_presets_page() {
    auto* page = new QWidget;
    auto* layout = make_page_layout(page);

    layout->addWidget(make_section_header("Saved Presets"));
    preset_list = new QListWidget;
    preset_list->setMinimumHeight(120);
    // A name wider than the list scrolls sideways; the theme styles only the vertical bar, so the
    // horizontal one gets the same dark look here instead of the platform's light one.
    preset_list->setStyleSheet(
        QStringLiteral("QScrollBar:horizontal { background-color: %1; height: 6px; }"
                       "QScrollBar::handle:horizontal { background-color: %2; border-radius: 3px;"
                       " min-width: 20px; }"
                       "QScrollBar::add-line:horizontal, QScrollBar::sub-line:horizontal { width: 0px; }")
            .arg(theme_color("bg_darker").name(), theme_color("bg_light").name()));
    // A double-click loads the list's current item, the same as "Load".
    connect(preset_list, &QListWidget::itemDoubleClicked, this,
            [this] { _guarded([this] { _load_selected_preset(); }); });
    layout->addWidget(preset_list);

    const auto make_button = [](const char* caption, const char* style_class) {
        auto* button = new QPushButton(QString::fromLatin1(caption));
        set_style_class(button, style_class);
        return button;
    };
    auto* list_buttons = new QHBoxLayout;
    list_buttons->setSpacing(6);
    auto* load_btn = make_button("Load", "smallBtn");
    load_btn->setObjectName(QStringLiteral("load_btn"));
    connect(load_btn, &QPushButton::clicked, this, [this] { _guarded([this] { _load_selected_preset(); }); });
    list_buttons->addWidget(load_btn);
    auto* delete_btn = make_button("Delete", "deleteBtn");
    delete_btn->setObjectName(QStringLiteral("delete_btn"));
    _connect_command(delete_btn, &QPushButton::clicked, &TremblaToolWindow::_delete_selected_preset);
    list_buttons->addWidget(delete_btn);
    layout->addLayout(list_buttons);

    layout->addSpacing(10);
    layout->addWidget(make_section_header("Save Current Settings"));
    auto* name_row = new QHBoxLayout;
    name_row->setSpacing(8);
    auto* name_label = make_styled_label("Name", "sliderLabel");
    name_label->setFixedWidth(45);
    name_row->addWidget(name_label);
    // Enter in the name field saves nothing: only the button does.
    preset_name_field = new QLineEdit;
    preset_name_field->setPlaceholderText(QStringLiteral("Enter preset name..."));
    name_row->addWidget(preset_name_field);
    layout->addLayout(name_row);

    auto* save_btn = make_button("Save Preset", "primaryBtn");
    save_btn->setObjectName(QStringLiteral("save_btn"));
    _connect_command(save_btn, &QPushButton::clicked, &TremblaToolWindow::_save_preset);
    layout->addWidget(save_btn);

    _refresh_preset_list();

    layout->addStretch();
    return page;
}

}  // namespace trembla
