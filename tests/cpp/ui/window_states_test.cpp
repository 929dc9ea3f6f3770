// A button the user can press acts: in every state of the tool each action button is enabled only
// when its command can act, and its tooltip says what it does, or why it cannot now. The camera
// mode buttons stay where the pointer chose a mode.
#include <functional>
#include <memory>

#include <QApplication>
#include <QListWidgetItem>
#include <QTest>
#include <QToolTip>

#include <gtest/gtest.h>

#include "ui/about_box.h"
#include "ui/main_window.h"
#include "ui/name_field.h"
#include "ui/theme.h"
#include "ui/tool_tip.h"
#include "window_test_support.h"

namespace trembla {
namespace {

void add_presets(TremblaToolWindow& w) {
    w.preset_list->addItem(QStringLiteral("mine"));
    auto* shared = new QListWidgetItem(QStringLiteral("studio_soft  (shared)"));
    shared->setData(TremblaToolWindow::kPresetNameRole, QStringLiteral("studio_soft"));
    w.preset_list->addItem(shared);
}

TEST(WindowStates, EachButtonIsEnabledOnlyWhenItCanActAndItsTooltipSaysWhy) {
    using Step = std::function<void(TremblaToolWindow&)>;
    const struct {
        const char* state;
        Step reach;
        bool bake_reset;
        const char* bake_tip;  // words the bake button's tooltip holds
        bool export_on;
        bool delete_on;
        const char* delete_tip;
    } cases[] = {
        {"nothing prepared", [](TremblaToolWindow&) {}, false, "Prepare Shake first", false, false,
         "select one of your presets"},
        {"prepared", [](TremblaToolWindow& w) { w._show_applied(true); }, true, "new animation layer", false, false,
         "select one of your presets"},
        {"baked",
         [](TremblaToolWindow& w) {
             w._show_applied(true);
             w._show_applied(false);
         },
         false, "Prepare Shake first", false, false, "select one of your presets"},
        {"own preset selected", [](TremblaToolWindow& w) { w.preset_list->setCurrentRow(0); }, false,
         "Prepare Shake first", true, true, "after asking"},
        {"shared preset selected", [](TremblaToolWindow& w) { w.preset_list->setCurrentRow(1); }, false,
         "Prepare Shake first", true, false, "shared folder"},
        {"selection cleared",
         [](TremblaToolWindow& w) {
             w.preset_list->setCurrentRow(0);
             w.preset_list->clearSelection();
         },
         false, "Prepare Shake first", false, true, "after asking"},
    };
    for (const auto& c : cases) {
        TremblaToolWindow w(test::counting_context(std::make_shared<test::CommandCounts>()));
        add_presets(w);
        c.reach(w);
        EXPECT_EQ(w.bake_btn->isEnabled(), c.bake_reset) << c.state;
        EXPECT_EQ(w.reset_btn->isEnabled(), c.bake_reset) << c.state;
        EXPECT_TRUE(w.bake_btn->toolTip().simplified().contains(QLatin1String(c.bake_tip))) << c.state;
        EXPECT_EQ(w.export_btn->isEnabled(), c.export_on) << c.state;
        EXPECT_EQ(w.delete_btn->isEnabled(), c.delete_on) << c.state;
        EXPECT_TRUE(w.delete_btn->toolTip().simplified().contains(QLatin1String(c.delete_tip))) << c.state;
        EXPECT_EQ(w.export_btn->toolTip().simplified().contains(QLatin1String("select one or more")), !c.export_on)
            << c.state;
    }
}

TEST(WindowStates, ModeButtonsStayInPlaceAndRelaxShowsOnlyWhatActs) {
    TremblaToolWindow w;
    w.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&w));
    w._switch_tab(1);
    const struct {
        QRadioButton* button;
        bool relax;
    } modes[] = {{w.mode_static, false}, {w.mode_relax, true}, {w.mode_animated, false}, {w.mode_relax, true}};
    const auto place = [&w] {
        QApplication::processEvents();
        return QPoint(w.mode_static->mapTo(&w, QPoint()).y(), w.bypass_cb->mapTo(&w, QPoint()).y());
    };
    const QPoint before = place();
    for (const auto& mode : modes) {
        mode.button->click();
        EXPECT_EQ(place(), before) << mode.button->text().toStdString();
        for (QWidget* row : {static_cast<QWidget*>(w.speed_slider), static_cast<QWidget*>(w.lag_trans_slider),
                             static_cast<QWidget*>(w.lag_rot_slider), static_cast<QWidget*>(w.amount_slider)}) {
            EXPECT_EQ(row->isHidden(), mode.relax) << mode.button->text().toStdString();
        }
    }
    // Relax with Smooth at 0 changes nothing: the preview says what the mode needs.
    w.shake_preview->set_data(ShakePreviewData{0, {1.0, 1.0}, {}, std::nullopt, false});
    EXPECT_TRUE(w.shake_preview->hint().contains(QLatin1String("Relax needs Smooth above 0")));
    w.smoothing_slider->setValue(40);
    EXPECT_FALSE(w.shake_preview->hint().contains(QLatin1String("needs")));
    w.mode_static->click();
    EXPECT_EQ(w.shake_preview->hint(), QString::fromLatin1(ShakePreview::NO_OFFSETS_HINT));
}

TEST(WindowStates, TooltipsKeepToAReadableWidthAndNameFieldsShowBothEnds) {
    TremblaToolWindow w;
    w._show_applied(false);
    for (QWidget* widget : w.findChildren<QWidget*>()) {
        for (const QString& line : widget->toolTip().split(QLatin1Char('\n'))) {
            EXPECT_LE(line.size(), kTipColumns) << line.toStdString();
        }
    }
    EXPECT_EQ(wrapped_tip(QStringLiteral("a b  c"), 3), QStringLiteral("a b\nc"));

    w.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&w));
    auto* field = static_cast<NameField*>(w.camera_field);
    const QString name = QStringLiteral("handheld_rig_for_the_long_dolly_shot_v012:cameraShape_final");
    field->setText(name);
    field->clearFocus();
    const QString shown = field->shown_text();
    EXPECT_LT(shown.size(), name.size());
    EXPECT_TRUE(shown.startsWith(QLatin1String("han"))) << shown.toStdString();
    EXPECT_TRUE(shown.endsWith(QLatin1String("al"))) << shown.toStdString();
    EXPECT_TRUE(field->shown_tip().remove(QLatin1Char('\n')).contains(name));

    // A tooltip of the panel wears the panel's dark look, not the platform's light yellow.
    QToolTip::showText(w.mapToGlobal(QPoint(20, 20)), w.prepare_btn->toolTip(), w.prepare_btn);
    QWidget* tip = nullptr;
    for (QWidget* widget : QApplication::topLevelWidgets()) {
        if (widget->inherits("QTipLabel") && widget->isVisible()) tip = widget;
    }
    ASSERT_NE(tip, nullptr);
    EXPECT_EQ(tip->grab().toImage().pixelColor(3, tip->height() / 2), theme_color("bg_darker"));
    EXPECT_LE(tip->width(), 420);
    QToolTip::hideText();
}

TEST(WindowStates, DockThenFloatKeepsTheHeightAndHidesTheFoldButtonWhileDocked) {
    TremblaToolWindow w;
    w.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&w));
    w.resize(w.width(), w.height() + 37);
    const int height = w.height();
    QWidget dock;
    dock.resize(420, 300);
    w._place_in_dock(&dock);
    EXPECT_TRUE(w.fold_btn->isHidden());
    w._place_floating(nullptr, true);
    EXPECT_FALSE(w.fold_btn->isHidden());
    EXPECT_EQ(w.height(), height);
}

TEST(WindowStates, TheAboutBoxNamesOnlyTheContactsTheReleaseWasBuiltWith) {
    const struct {
        AboutContacts contacts;
        bool mail;
        bool page;
    } cases[] = {
        {{}, false, false},
        {{QStringLiteral("td@studio.tv"), QString(), QString()}, true, false},
        {{QString(), QStringLiteral("Wiki"), QStringLiteral("https://wiki.studio.tv/shake")}, false, true},
    };
    for (const auto& c : cases) {
        const QString text = about_text(2, c.contacts);
        EXPECT_EQ(text.contains(QLatin1String("mailto:td@studio.tv")), c.mail) << text.toStdString();
        EXPECT_EQ(text.contains(QLatin1String("<b>Wiki:</b>")), c.page) << text.toStdString();
        EXPECT_EQ(text.contains(QLatin1String("Contact")), c.mail) << text.toStdString();
        EXPECT_TRUE(text.contains(QLatin1String("PySide2 | Maya 2019-2026")));
    }
    // The text's label takes the width; the empty icon label beside it, none.
    EXPECT_FALSE(
        about_style_sheet(QStringLiteral("#000000")).contains(QLatin1String("QLabel { color: #c0c0c0; min-width")));
}

}  // namespace
}  // namespace trembla
