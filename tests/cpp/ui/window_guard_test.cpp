#include <gtest/gtest.h>

#include <functional>
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
    context.update_shake = [](TremblaToolWindow&, auto&&) { throw std::runtime_error("update failed"); };
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
    context.update_shake = [](TremblaToolWindow&, auto&&) { throw std::runtime_error("update failed"); };
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
        context.toggle_bypass = [](TremblaToolWindow& window, auto&&) { delete &window; };
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

// A command refused because the window is busy with another one puts back the control that asked
// for it, silently, so that the control shows what the camera carries; the next change asks again.
TEST(WindowGuard, AControlWhoseCommandIsRefusedGoesBackAndTheNextChangeAsksAgain) {
    bool refuse = true;
    int asked = 0;
    WindowContext context;
    const auto request = [&](TremblaToolWindow&, const WindowContext::PutBack& put_back) {
        ++asked;
        if (refuse && put_back) put_back();
    };
    context.update_shake = request;
    context.toggle_bypass = request;
    TremblaToolWindow window(context);
    window.ranges_field->setText(QStringLiteral("2-8"));  // a program's text: what the commit puts back
    const struct {
        const char* what;
        std::function<void()> change;
        std::function<QString()> shown;
        QString before, after;
    } cases[] = {
        {"slider row", [&] { window.lag_trans_slider->setValue(9); },
         [&] {
             return window.lag_trans_slider->value_field->text() + QString::number(window.lag_trans_slider->value());
         },
         QStringLiteral("00"), QStringLiteral("99")},
        {"typed value",
         [&] {
             window.fade_in_slider->value_field->setText(QStringLiteral("7"));
             QTest::keyClick(window.fade_in_slider->value_field, Qt::Key_Return);
         },
         [&] { return window.fade_in_slider->value_field->text() + QString::number(window.fade_in_slider->value()); },
         QStringLiteral("33"), QStringLiteral("77")},
        {"channel box", [&] { window.translate_cb->click(); },
         [&] { return QString::number(window.translate_cb->isChecked()); }, QStringLiteral("1"), QStringLiteral("0")},
        {"bypass box", [&] { window.bypass_cb->setChecked(true); },
         [&] { return QString::number(window.bypass_cb->isChecked()); }, QStringLiteral("0"), QStringLiteral("1")},
        {"mode", [&] { window.mode_relax->click(); },
         [&] {
             return QString::fromStdString(window._get_camera_mode()) + QString::number(window.amp_header->isHidden());
         },
         QStringLiteral("static0"), QStringLiteral("relax1")},
        {"ranges",
         [&] {
             QTest::keyClicks(window.ranges_field, QStringLiteral(", 9-9"));
             QTest::keyClick(window.ranges_field, Qt::Key_Return);
         },
         [&] { return window.ranges_field->text(); }, QStringLiteral("2-8"), QStringLiteral("2-8, 9-9")},
    };
    for (const auto& control : cases) {
        SCOPED_TRACE(control.what);
        refuse = true;
        asked = 0;
        control.change();
        EXPECT_EQ(control.shown(), control.before);
        EXPECT_EQ(asked, 1) << "asked once; putting back asks nothing";
        refuse = false;
        control.change();
        EXPECT_EQ(control.shown(), control.after);
        EXPECT_EQ(asked, 2);
    }
}

}  // namespace
}  // namespace trembla
