#include <gtest/gtest.h>

#include <stdexcept>
#include <string>
#include <vector>

#include <QPointer>
#include <QTest>

#include "ui/main_window.h"

namespace trembla {
namespace {

std::string message_of(const std::exception_ptr& error) {
    try {
        std::rethrow_exception(error);
    } catch (const std::exception& e) {
        return e.what();
    } catch (...) {
        return "(not a std::exception)";
    }
}

TEST(WindowGuard, AThrowingCommandIsReportedAndTheWindowKeepsWorking) {
    std::vector<std::string> reported;
    WindowContext context;
    context.report_error = [&](const std::exception_ptr& error) { reported.push_back(message_of(error)); };
    context.update_shake = [](TremblaToolWindow&) { throw std::runtime_error("update failed"); };
    context.prepare_shake = [](TremblaToolWindow&) { throw 42; };
    TremblaToolWindow window(context);

    EXPECT_NO_THROW(window.amount_slider->setValue(150));
    EXPECT_EQ(window.amount_slider->value(), 150);
    EXPECT_EQ(window.amount_slider->value_field->text(), QStringLiteral("150"));
    EXPECT_NO_THROW(window.prepare_btn->click());
    EXPECT_NO_THROW(window.mode_relax->click());
    EXPECT_TRUE(window.amp_header->isHidden()) << "the work before the throw stands";
    EXPECT_EQ(reported, (std::vector<std::string>{"update failed", "(not a std::exception)", "update failed"}));

    // A later change reaches the command again.
    window.lag_rot_slider->setValue(3);
    EXPECT_EQ(reported.size(), 4u);
}

TEST(WindowGuard, NothingEscapesWithoutAReporterOrFromAFailingReporter) {
    WindowContext context;
    context.update_shake = [](TremblaToolWindow&) { throw std::runtime_error("update failed"); };
    {
        TremblaToolWindow window(context);
        EXPECT_NO_THROW(window.fade_in_slider->setValue(9));
        EXPECT_EQ(window.fade_in_slider->value(), 9);
    }
    context.report_error = [](const std::exception_ptr&) { throw std::logic_error("reporter broke"); };
    TremblaToolWindow window(context);
    EXPECT_NO_THROW(window.fade_in_slider->setValue(9));
}

TEST(WindowGuard, CommandsCalledDirectlyLetTheirErrorsThrough) {
    WindowContext context;
    context.bake_to_layer = [](TremblaToolWindow&) { throw std::runtime_error("bake failed"); };
    TremblaToolWindow window(context);
    EXPECT_THROW(window._bake_to_layer(), std::runtime_error);
    EXPECT_NO_THROW(window._reset_camera());  // unset commands do nothing
}

// Qt's setChecked goes on using the box after its toggled signal (Qt 5.15: the accessibility
// update), so a toggle whose command deletes the window (a host callback can) must not take the
// box with it. The Python injector runs on the release builds only; here the sanitizer watches.
TEST(WindowGuard, ABypassToggleThatDeletesTheWindowKeepsTheBoxUntilItsToggleHasReturned) {
    for (const bool by_click : {true, false}) {
        SCOPED_TRACE(by_click ? "click" : "setChecked");
        WindowContext context;
        context.toggle_bypass = [](TremblaToolWindow& window) { delete &window; };
        QPointer<TremblaToolWindow> window = new TremblaToolWindow(context);
        QPointer<QCheckBox> box = window->bypass_cb;
        if (by_click) {
            box->click();
        } else {
            box->setChecked(true);
        }
        EXPECT_TRUE(window.isNull());
        ASSERT_FALSE(box.isNull());
        EXPECT_EQ(box->parentWidget(), nullptr);
        EXPECT_TRUE(box->isHidden());
        for (int i = 0; i < 50 && !box.isNull(); ++i) QTest::qWait(10);
        EXPECT_TRUE(box.isNull()) << "deleted from the event loop";
    }
}

}  // namespace
}  // namespace trembla
