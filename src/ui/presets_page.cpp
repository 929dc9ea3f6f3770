#include <QHBoxLayout>

#include "ui/main_window.h"
#include "ui/page_layout.h"
#include "ui/tool_tip.h"

namespace trembla {

QWidget* TremblaToolWindow::_build_presets_page() {
    auto* page = new QWidget;
    auto* layout = make_page_layout(page);

    layout->addWidget(make_section_header("Saved Presets"));
    preset_list = new QListWidget;
    preset_list->setMinimumHeight(120);
    // Several presets can be selected for export; Load and Delete act on the current one.
    preset_list->setSelectionMode(QAbstractItemView::ExtendedSelection);
    // A name wider than the list is cut in its middle, where names of one family differ least
    // ("handheld_soft_v2" and "handheld_hard_v2" keep both ends); a shared entry's tooltip names
    // its folder.
    preset_list->setTextElideMode(Qt::ElideMiddle);
    preset_list->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    // A double-click loads the list's current item, the same as "Load".
    connect(preset_list, &QListWidget::itemDoubleClicked, this,
            [this] { _guarded([this] { _load_selected_preset(); }); });
    layout->addWidget(preset_list);
    connect(preset_list, &QListWidget::itemSelectionChanged, this,
            [this] { _guarded([this] { _show_preset_buttons(); }); });
    connect(preset_list, &QListWidget::currentItemChanged, this,
            [this] { _guarded([this] { _show_preset_buttons(); }); });

    const auto make_button = [](const char* caption, const char* style_class) {
        auto* button = new QPushButton(QString::fromUtf8(caption));
        set_style_class(button, style_class);
        return button;
    };
    auto* list_buttons = new QHBoxLayout;
    list_buttons->setSpacing(6);
    load_btn = make_button("Load", "smallBtn");
    load_btn->setObjectName(QStringLiteral("load_btn"));
    connect(load_btn, &QPushButton::clicked, this, [this] { _guarded([this] { _load_selected_preset(); }); });
    list_buttons->addWidget(load_btn);
    // Deleting, saving over a name and importing over one ask first when started from a button.
    delete_btn = make_button("Delete", "deleteBtn");
    delete_btn->setObjectName(QStringLiteral("delete_btn"));
    _connect_user_command(delete_btn, &TremblaToolWindow::_delete_selected_preset);
    list_buttons->addWidget(delete_btn);
    layout->addLayout(list_buttons);

    auto* file_buttons = new QHBoxLayout;
    file_buttons->setSpacing(6);
    import_btn = make_button("Import\xE2\x80\xA6", "smallBtn");
    import_btn->setObjectName(QStringLiteral("import_btn"));
    _connect_user_command(import_btn, &TremblaToolWindow::_import_chosen_presets);
    file_buttons->addWidget(import_btn);
    export_btn = make_button("Export\xE2\x80\xA6", "smallBtn");
    export_btn->setObjectName(QStringLiteral("export_btn"));
    _connect_user_command(export_btn, &TremblaToolWindow::_export_chosen_presets);
    file_buttons->addWidget(export_btn);
    layout->addLayout(file_buttons);

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

    save_btn = make_button("Save Preset", "primaryBtn");
    save_btn->setObjectName(QStringLiteral("save_btn"));
    _connect_user_command(save_btn, &TremblaToolWindow::_save_preset);
    layout->addWidget(save_btn);

    _refresh_preset_list();
    _show_preset_buttons();

    // Opening the page is when a build without presets of its own offers another release's.
    connect(content_stack, &QStackedWidget::currentChanged, this, [this, page](int index) {
        if (content_stack->widget(index) == page) _guarded([this] { _offer_preset_copy(); });
    });

    layout->addStretch();
    return page;
}

void TremblaToolWindow::_show_preset_buttons() {
    // Load and Delete act on the current entry, Export on the selected ones.
    const QListWidgetItem* current = preset_list->currentItem();
    const bool shared = current != nullptr && current->data(kPresetNameRole).isValid();
    const struct {
        QPushButton* button;
        const char* why_not;  // nullptr: it can act
        const char* tip;
    } states[] = {
        {delete_btn,
         current == nullptr ? "Delete: select one of your presets in the list first."
         : shared           ? "Delete: a shared preset stays in its shared folder; only your own presets can be "
                              "deleted here."
                            : nullptr,
         "Deletes the selected preset from your preset file, after asking."},
        {export_btn,
         preset_list->selectedItems().isEmpty() ? "Export: select one or more presets in the list first." : nullptr,
         "Writes the selected presets to a preset file of your choice, to share or import elsewhere."},
    };
    for (const auto& state : states) {
        state.button->setEnabled(state.why_not == nullptr);
        state.button->setToolTip(wrapped_tip(QString::fromUtf8(state.why_not != nullptr ? state.why_not : state.tip)));
    }
}

}  // namespace trembla
