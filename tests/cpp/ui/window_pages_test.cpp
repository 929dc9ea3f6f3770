#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <utility>

#include <QApplication>
#include <QCheckBox>
#include <QLayout>
#include <QTest>
#include <QTimer>

#include "window_test_support.h"

namespace trembla {
namespace {

class WindowPages : public ::testing::Test {
protected:
    void SetUp() override {
        counts = std::make_shared<test::CommandCounts>();
        window = std::make_unique<TremblaToolWindow>(test::counting_context(counts));
    }

    std::shared_ptr<test::CommandCounts> counts;
    std::unique_ptr<TremblaToolWindow> window;
};

struct ExpectedRow {
    const char* attribute;
    SliderRow* TremblaToolWindow::*row;
    const char* caption;
    int min_val;
    int max_val;
    int default_value;
    int label_width;
};

const ExpectedRow kRows[] = {
    {"lag_trans_slider", &TremblaToolWindow::lag_trans_slider, "Lag T", 0, 15, 0, 55},
    {"lag_rot_slider", &TremblaToolWindow::lag_rot_slider, "Lag R", 0, 15, 0, 55},
    {"smoothing_slider", &TremblaToolWindow::smoothing_slider, "Smooth", 0, 100, 0, 55},
    {"amount_slider", &TremblaToolWindow::amount_slider, "Amount", 0, 200, 100, 55},
    {"trans_amp_slider", &TremblaToolWindow::trans_amp_slider, "Trans", 0, 200, 100, 55},
    {"rot_amp_slider", &TremblaToolWindow::rot_amp_slider, "Rotate", 0, 200, 100, 55},
    {"fade_in_slider", &TremblaToolWindow::fade_in_slider, "Fade In", 0, 30, 3, 55},
    {"fade_out_slider", &TremblaToolWindow::fade_out_slider, "Fade Out", 0, 30, 3, 55},
    {"speed_slider", &TremblaToolWindow::speed_slider, "Speed", 25, 400, 100, 55},
    {"trans_x_slider", &TremblaToolWindow::trans_x_slider, "X", 0, 100, 100, 35},
    {"trans_y_slider", &TremblaToolWindow::trans_y_slider, "Y", 0, 100, 100, 35},
    {"trans_z_slider", &TremblaToolWindow::trans_z_slider, "Z", 0, 100, 100, 35},
    {"rot_x_slider", &TremblaToolWindow::rot_x_slider, "X", 0, 100, 100, 35},
    {"rot_y_slider", &TremblaToolWindow::rot_y_slider, "Y", 0, 100, 100, 35},
    {"rot_z_slider", &TremblaToolWindow::rot_z_slider, "Z", 0, 100, 100, 35},
};

TEST_F(WindowPages, BuildingTheWindowRunsNoUpdateAndFillsThePresetAndClipListsOnce) {
    EXPECT_EQ((*counts)["update_shake"], 0);
    EXPECT_EQ((*counts)["refresh_preset_list"], 1);
    EXPECT_EQ((*counts)["refresh_clip_list"], 1);
    EXPECT_EQ(counts->calls.size(), 2u) << "only the list refreshes run while building";
}

TEST_F(WindowPages, AClipChosenIsTheNextPrepareSourceFromItsStartAndSaveClipWaitsForAShakeOfAnObject) {
    QComboBox* combo = window->clip_combo;
    ASSERT_EQ(combo->count(), 1);
    EXPECT_EQ(combo->itemText(0), QStringLiteral("Object: none picked"));
    window->source_field->setText(QStringLiteral("rig"));
    EXPECT_EQ(combo->itemText(0), QStringLiteral("Object: rig"));
    combo->addItem(QStringLiteral("take"), QStringLiteral("take"));
    combo->setItemData(1, 24, TremblaToolWindow::kClipFramesRole);
    const struct {
        int index;
        int offset;
        std::string clip;
        bool spin_enabled;
        int spin_maximum;
    } steps[] = {{1, 5, "take", true, 23}, {0, 0, "", false, 0}};
    for (const auto& step : steps) {
        combo->setCurrentIndex(step.index);
        window->clip_offset_spin->setValue(step.offset);
        EXPECT_EQ(window->_source_clip, step.clip);
        EXPECT_EQ(window->_clip_offset, step.offset);
        EXPECT_EQ(window->clip_offset_spin->isEnabled(), step.spin_enabled);
        EXPECT_EQ(window->clip_offset_spin->maximum(), step.spin_maximum);
    }
    EXPECT_EQ((*counts)["choose_clip"], 3) << "each choice and each start shows in the preview";
    // A clip the files no longer hold, named by a program, is still shown.
    window->_source_clip = "gone";
    window->_show_source_choice();
    EXPECT_EQ(combo->currentText(), QStringLiteral("gone"));
    EXPECT_EQ((*counts)["choose_clip"], 3);

    window->save_clip_btn->click();
    window->_show_clip_saving(true);
    window->save_clip_btn->click();
    EXPECT_EQ((*counts)["save_clip"], 1);
}

TEST_F(WindowPages, SliderRowsHaveTheirCaptionsRangesAndDefaults) {
    for (const ExpectedRow& expected : kRows) {
        SCOPED_TRACE(expected.attribute);
        SliderRow* row = window.get()->*expected.row;
        ASSERT_NE(row, nullptr);
        EXPECT_EQ(row->label->text(), QLatin1String(expected.caption));
        EXPECT_EQ(row->slider->minimum(), expected.min_val);
        EXPECT_EQ(row->slider->maximum(), expected.max_val);
        EXPECT_EQ(row->value(), expected.default_value);
        EXPECT_EQ(row->label->width(), expected.label_width);
    }
}

TEST_F(WindowPages, EveryShapingRowReappliesTheShakeOncePerChange) {
    for (const ExpectedRow& expected : kRows) {
        SCOPED_TRACE(expected.attribute);
        SliderRow* row = window.get()->*expected.row;
        const int before = (*counts)["update_shake"];
        row->setValue(expected.default_value == 0 ? 1 : expected.default_value - 1);
        EXPECT_EQ((*counts)["update_shake"], before + 1);
        row->setValue(row->value());
        EXPECT_EQ((*counts)["update_shake"], before + 1);
    }
}

TEST_F(WindowPages, ChannelSwitchesReapplyTheShake) {
    EXPECT_TRUE(window->translate_cb->isChecked());
    EXPECT_TRUE(window->rotate_cb->isChecked());
    EXPECT_EQ(window->translate_cb->text(), QStringLiteral("Translate"));
    EXPECT_EQ(window->rotate_cb->text(), QStringLiteral("Rotate"));
    window->translate_cb->click();
    window->rotate_cb->click();
    window->translate_cb->click();
    EXPECT_EQ((*counts)["update_shake"], 3);
}

TEST_F(WindowPages, BypassSitsUnderTheModeRowAndRunsItsOwnCommandPerToggle) {
    QCheckBox* box = window->bypass_cb;
    ASSERT_NE(box, nullptr);
    EXPECT_EQ(box->text(), QStringLiteral("Bypass"));
    EXPECT_FALSE(box->isChecked());
    QWidget* page = window->content_stack->widget(1);
    ASSERT_EQ(box->parentWidget(), page);
    QLayout* layout = page->layout();
    int mode_row = -1;
    for (int i = 0; i < layout->count(); ++i) {
        QLayout* row = layout->itemAt(i)->layout();
        if (row != nullptr && row->indexOf(window->mode_static) >= 0) mode_row = i;
    }
    ASSERT_GE(mode_row, 0);
    EXPECT_EQ(layout->indexOf(box), mode_row + 1);
    box->click();
    box->click();
    box->setChecked(false);  // no change, no command
    EXPECT_EQ((*counts)["toggle_bypass"], 2);
    EXPECT_EQ((*counts)["update_shake"], 0);
}

TEST_F(WindowPages, RangesApplyOnReturnOrFocusLossNotWhileTyping) {
    window->show();
    ASSERT_TRUE(QTest::qWaitForWindowActive(window.get()));
    window->_switch_tab(1);
    EXPECT_TRUE(window->ranges_field->text().isEmpty());
    EXPECT_EQ(window->ranges_field->placeholderText(), QStringLiteral("e.g. 10-50, 70-80"));
    window->ranges_field->setFocus();
    QTest::keyClicks(window->ranges_field, QStringLiteral("10-50, 70-80"));
    EXPECT_EQ((*counts)["commit_ranges"], 0);
    QTest::keyClick(window->ranges_field, Qt::Key_Return);
    EXPECT_EQ((*counts)["commit_ranges"], 1);
    window->layer_field->setFocus();  // the same text once more: applied again at most, not a commit
    window->ranges_field->setFocus();
    EXPECT_EQ((*counts)["commit_ranges"], 1);
    QTest::keyClicks(window->ranges_field, QStringLiteral(", 90-95"));
    window->layer_field->setFocus();
    EXPECT_EQ((*counts)["commit_ranges"], 2);
}

TEST_F(WindowPages, TheFadeRowsAreDisabledWithAWordWhileNoRangeIsTyped) {
    const QString tip = QStringLiteral("Fades act at the ends of each range: type a range above to use them.");
    for (const auto& [text, enabled] : {std::pair{"", false}, std::pair{"5-9", true}, std::pair{" \t", false}}) {
        window->ranges_field->setText(QString::fromLatin1(text));
        for (SliderRow* row : {window->fade_in_slider, window->fade_out_slider}) {
            EXPECT_EQ(row->isEnabled(), enabled) << text;
            EXPECT_EQ(row->toolTip().simplified() == tip, !enabled) << text;
            EXPECT_EQ(row->toolTip().simplified().contains(QStringLiteral("in frames")), enabled) << text;
        }
    }
}

TEST_F(WindowPages, ARangesTextBeyondQtsDefaultLengthLimitSurvivesTheField) {
    // 20,000 ranges, as a script or a preset may set them: about 200,000 characters.
    QString text;
    for (int r = 0; r < 20000; ++r) text += QStringLiteral("%1-%2, ").arg(r * 10).arg(r * 10 + 5);
    ASSERT_GT(text.size(), 32767);
    window->ranges_field->setText(text);
    EXPECT_EQ(window->ranges_field->text(), text);
}

TEST_F(WindowPages, ReturnInAFieldCommitsOnlyThatField) {
    window->show();
    ASSERT_TRUE(QTest::qWaitForWindowActive(window.get()));
    // Each field gets Return while it has focus; no button of the dialog may take it as a default click.
    QLineEdit* const fields[] = {window->camera_field, window->amount_slider->value_field,  window->ranges_field,
                                 window->layer_field,  window->trans_x_slider->value_field, window->preset_name_field};
    // A modal box opened by mistake would block the test: close it and count it instead.
    int modal_boxes = 0;
    QTimer closer;
    QObject::connect(&closer, &QTimer::timeout, [&] {
        if (auto* dialog = qobject_cast<QDialog*>(QApplication::activeModalWidget())) {
            ++modal_boxes;
            dialog->done(0);
        }
    });
    closer.start(20);
    int page = 0;
    for (QLineEdit* field : fields) {
        window->_switch_tab(page++ / 2);
        field->setFocus();
        QTest::keyClick(field, Qt::Key_Return);
    }
    EXPECT_EQ(modal_boxes, 0);
    EXPECT_TRUE(window->isVisible());
    EXPECT_EQ((*counts)["update_shake"], 1) << "the ranges field alone commits to an update";
    EXPECT_EQ(counts->calls.size(), 3u) << "besides the construction's preset and clip list refreshes";
}

TEST_F(WindowPages, TextFieldsStartAsDesigned) {
    EXPECT_TRUE(window->camera_field->text().isEmpty());
    EXPECT_EQ(window->camera_field->placeholderText(), QStringLiteral("Select..."));
    EXPECT_TRUE(window->source_field->text().isEmpty());
    EXPECT_EQ(window->source_field->placeholderText(), QStringLiteral("Select..."));
    EXPECT_EQ(window->layer_field->text(), QStringLiteral("trembla_layer"));
    EXPECT_EQ(window->preset_name_field->placeholderText(), QStringLiteral("Enter preset name..."));
    EXPECT_EQ(window->preset_list->minimumHeight(), 120);
    EXPECT_EQ(window->amp_header->text(), QStringLiteral("Amplitude"));
    EXPECT_EQ(window->amp_header->property("class").toString(), QStringLiteral("sectionHeader"));
}

QPushButton* button_with_text(QWidget* root, const QString& text) {
    for (QPushButton* button : root->findChildren<QPushButton*>()) {
        if (button->text() == text) {
            return button;
        }
    }
    return nullptr;
}

TEST_F(WindowPages, ButtonsCallTheirCommands) {
    window->prepare_btn->click();
    window->bake_btn->click();
    window->reset_btn->click();
    EXPECT_EQ((*counts)["bake_to_layer"] + (*counts)["reset_camera"], 0) << "both wait for an applied shake";
    // Bake and Reset act on an applied shake, Delete and Export on a preset of the list.
    window->_show_applied(true);
    window->bake_btn->click();
    window->preset_list->addItem(QStringLiteral("mine"));
    window->preset_list->setCurrentRow(0);
    QList<QPushButton*> pick_buttons = window->content_stack->widget(0)->findChildren<QPushButton*>();
    pick_buttons.removeAll(window->save_clip_btn);
    ASSERT_EQ(pick_buttons.size(), 2);
    for (QPushButton* pick : pick_buttons) {
        EXPECT_EQ(pick->text(), QStringLiteral("<"));
        EXPECT_EQ(pick->property("class").toString(), QStringLiteral("setBtn"));
        EXPECT_EQ(pick->width(), 24);
    }
    EXPECT_EQ(window->camera_field->parentWidget(), pick_buttons[0]->parentWidget());
    window->camera_field->setText(QStringLiteral("cam"));
    pick_buttons[0]->click();  // the camera column comes first
    pick_buttons[1]->click();
    pick_buttons[1]->click();

    QWidget* presets = window->content_stack->widget(3);
    const std::pair<const char*, const char*> preset_buttons[] = {{"Load", "smallBtn"},
                                                                  {"Delete", "deleteBtn"},
                                                                  {"Save Preset", "primaryBtn"},
                                                                  {"Import\xE2\x80\xA6", "smallBtn"},
                                                                  {"Export\xE2\x80\xA6", "smallBtn"}};
    for (const auto& [caption, style_class] : preset_buttons) {
        QPushButton* button = button_with_text(presets, QString::fromUtf8(caption));
        ASSERT_NE(button, nullptr) << caption;
        EXPECT_EQ(button->property("class").toString(), QLatin1String(style_class));
        button->click();
    }

    EXPECT_EQ((*counts)["prepare_shake"], 1);
    EXPECT_EQ((*counts)["bake_to_layer"], 1);
    EXPECT_EQ((*counts)["set_camera"], 1);
    EXPECT_EQ((*counts)["set_source"], 2);
    EXPECT_EQ((*counts)["load_selected_preset"], 1);
    EXPECT_EQ((*counts)["delete_selected_preset"], 1);
    EXPECT_EQ((*counts)["save_preset"], 1);
    EXPECT_EQ((*counts)["import_presets"], 1);
    EXPECT_EQ((*counts)["export_presets"], 1);
    window->reset_btn->click();
    EXPECT_EQ((*counts)["reset_camera"], 1);
    EXPECT_EQ((*counts)["refresh_preset_list"], 1) << "saving and deleting refresh the list themselves";
}

// The commands that ask first do so only for the page's buttons, not for a script's call.
TEST_F(WindowPages, PresetButtonsRunTheirCommandsAsTheUsersAndScriptCallsDoNot) {
    std::vector<std::pair<std::string, bool>> seen;
    WindowContext context;
    const auto record = [&seen](const char* name) {
        return [&seen, name](TremblaToolWindow& w, auto&&...) { seen.emplace_back(name, w._by_own_control); };
    };
    context.save_preset = record("save");
    context.delete_selected_preset = record("delete");
    context.import_presets = record("import");
    context.export_presets = record("export");
    TremblaToolWindow own(context);
    own.preset_list->addItem(QStringLiteral("mine"));
    own.preset_list->setCurrentRow(0);
    for (QPushButton* button : {own.save_btn, own.delete_btn, own.import_btn, own.export_btn}) button->click();
    own._save_preset();
    own._delete_selected_preset();
    own._import_presets(QStringLiteral("/tmp/in.json"));
    own._export_presets();
    const std::vector<std::pair<std::string, bool>> expected = {{"save", true},    {"delete", true}, {"import", true},
                                                                {"export", true},  {"save", false},  {"delete", false},
                                                                {"import", false}, {"export", false}};
    EXPECT_EQ(seen, expected);
}

TEST_F(WindowPages, OpeningThePresetsPageAsksForTheCopyOfferEachTime) {
    for (int page : {1, 3, 0, 3, 3}) window->_switch_tab(page);
    EXPECT_EQ((*counts)["offer_preset_copy"], 2) << "the offer itself decides whether to ask";
    EXPECT_EQ(window->preset_list->selectionMode(), QAbstractItemView::ExtendedSelection);
}

TEST_F(WindowPages, DoubleClickLoadsTheCurrentItemAndEnterInTheNameFieldSavesNothing) {
    window->preset_list->addItem(QStringLiteral("handheld"));
    QListWidgetItem* item = window->preset_list->item(0);
    Q_EMIT window->preset_list->itemDoubleClicked(item);
    ASSERT_EQ(counts->loaded_items.size(), 1u);
    EXPECT_EQ(counts->loaded_items[0], nullptr) << "the list's current item is meant, not the signal's";

    QTest::keyClicks(window->preset_name_field, QStringLiteral("mine"));
    QTest::keyClick(window->preset_name_field, Qt::Key_Return);
    EXPECT_EQ((*counts)["save_preset"], 0);
}

TEST_F(WindowPages, ModeButtonsStartStaticAndReportTheMode) {
    EXPECT_EQ(window->mode_static->text(), QStringLiteral("Static"));
    EXPECT_EQ(window->mode_animated->text(), QStringLiteral("Animated"));
    EXPECT_EQ(window->mode_relax->text(), QStringLiteral("Relax"));
    EXPECT_EQ(window->mode_button_group->id(window->mode_static), 0);
    EXPECT_EQ(window->mode_button_group->id(window->mode_animated), 1);
    EXPECT_EQ(window->mode_button_group->id(window->mode_relax), 2);
    EXPECT_TRUE(window->mode_button_group->exclusive());
    EXPECT_EQ(window->_get_camera_mode(), "static");
    window->mode_animated->click();
    EXPECT_EQ(window->_get_camera_mode(), "animated");
    window->mode_relax->click();
    EXPECT_EQ(window->_get_camera_mode(), "relax");
}

TEST_F(WindowPages, RelaxHidesTheAmplitudeSectionSpeedAndLagAndOtherModesShowThemAgain) {
    QWidget* const amplitude[] = {window->amp_header,     window->amount_slider, window->trans_amp_slider,
                                  window->rot_amp_slider, window->speed_slider,  window->lag_trans_slider,
                                  window->lag_rot_slider};
    window->amount_slider->setValue(150);
    const int updates_before = (*counts)["update_shake"];

    window->mode_relax->click();
    for (QWidget* widget : amplitude) {
        EXPECT_TRUE(widget->isHidden());
    }
    EXPECT_FALSE(window->smoothing_slider->isHidden());
    EXPECT_FALSE(window->camera_field->isHidden());
    EXPECT_EQ((*counts)["update_shake"], updates_before + 1) << "two toggles, one update";

    window->mode_static->click();
    for (QWidget* widget : amplitude) {
        EXPECT_FALSE(widget->isHidden());
    }
    EXPECT_EQ(window->amount_slider->value(), 150);
    EXPECT_EQ((*counts)["update_shake"], updates_before + 2);

    window->mode_animated->click();
    for (QWidget* widget : amplitude) {
        EXPECT_FALSE(widget->isHidden());
    }
}

TEST_F(WindowPages, ModeChangeIgnoresTheButtonBeingSwitchedOff) {
    window->_on_mode_changed(false);
    EXPECT_EQ((*counts)["update_shake"], 0);
    window->mode_static->click();  // already checked: nothing toggles
    EXPECT_EQ((*counts)["update_shake"], 0);
}

}  // namespace
}  // namespace trembla
