#include <gtest/gtest.h>

#include <memory>

#include <QApplication>
#include <QMessageBox>
#include <QPointer>
#include <QTest>
#include <QTimer>

#include "ui/qt_generation.h"
#include "ui/theme.h"
#include "window_test_support.h"

namespace trembla {
namespace {

using test::send_mouse;

int open_tool_windows() {
    int count = 0;
    for (QWidget* widget : QApplication::topLevelWidgets()) {
        if (widget->objectName() == QLatin1String(TremblaToolWindow::WINDOW_OBJECT) && widget->isVisible()) {
            ++count;
        }
    }
    return count;
}

TEST(WindowFrame, IsAFramelessFixedWidthDialogNamedForReplacement) {
    TremblaToolWindow window;
    EXPECT_EQ(window.objectName(), QStringLiteral("tremblaToolPySide"));
    EXPECT_EQ(window.windowTitle(), QStringLiteral("Trembla v2.1"));
    EXPECT_EQ(window.minimumWidth(), 260);
    EXPECT_EQ(window.maximumWidth(), 260);
    EXPECT_GE(window.minimumHeight(), 380);  // the pages' content decides (WindowLook)
    EXPECT_TRUE(window.windowFlags() & Qt::FramelessWindowHint);
    EXPECT_TRUE(window.isWindow());
    EXPECT_TRUE(window.testAttribute(Qt::WA_TranslucentBackground));
    EXPECT_EQ(window.styleSheet().toStdString(), STYLESHEET());
    EXPECT_FALSE(window._drag_pos.has_value());

    window.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));
    EXPECT_EQ(window.width(), 260);
    EXPECT_GE(window.height(), 380);
    window.resize(400, 200);
    EXPECT_EQ(window.width(), 260);
    EXPECT_GE(window.height(), 380);
}

TEST(WindowFrame, TitleBarHoldsTitleHelpFoldAndClose) {
    TremblaToolWindow window;
    auto* title_bar = window.findChild<QFrame*>(QStringLiteral("titleBar"));
    ASSERT_NE(title_bar, nullptr);
    EXPECT_EQ(title_bar->height(), 28);
    auto* title = title_bar->findChild<QLabel*>(QStringLiteral("titleLabel"));
    ASSERT_NE(title, nullptr);
    EXPECT_EQ(title->text(), QStringLiteral("Trembla v2.1"));
    auto* help = title_bar->findChild<QPushButton*>(QStringLiteral("helpBtn"));
    ASSERT_NE(help, nullptr);
    EXPECT_EQ(help->text(), QStringLiteral("?"));
    for (const char* name : {"foldBtn", "closeBtn"}) {
        auto* button = title_bar->findChild<QPushButton*>(QLatin1String(name));
        ASSERT_NE(button, nullptr) << name;
        EXPECT_TRUE(button->text().isEmpty()) << name;
        EXPECT_FALSE(button->toolTip().isEmpty()) << name;
    }
    // No maximise: the panel has one width.
    EXPECT_EQ(title_bar->findChild<QPushButton*>(QStringLiteral("maxBtn")), nullptr);
    ASSERT_NE(window.findChild<QFrame*>(QStringLiteral("mainFrame")), nullptr);
    auto* tab_bar = window.findChild<QFrame*>(QStringLiteral("tabBar"));
    ASSERT_NE(tab_bar, nullptr);
    EXPECT_EQ(tab_bar->height(), 30);
}

TEST(WindowFrame, FoldShowsTheTitleBarAloneUnfoldGivesTheHeightBackAndCloseOnlyHides) {
    QPointer<TremblaToolWindow> window = new TremblaToolWindow;
    window->show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(window.data()));
    window->resize(window->width(), window->height() + 40);
    const QRect before = window->geometry();
    auto* fold = window->findChild<QPushButton*>(QStringLiteral("foldBtn"));
    fold->click();
    EXPECT_TRUE(window->_is_folded());
    EXPECT_TRUE(window->isVisible());
    EXPECT_FALSE(window->content_stack->isVisible());
    EXPECT_FALSE(window->prepare_btn->isVisible());
    EXPECT_LE(window->height(), 32);  // the 28-px title bar in the frame's border
    EXPECT_EQ(window->pos(), before.topLeft());
    fold->click();
    EXPECT_FALSE(window->_is_folded());
    EXPECT_TRUE(window->content_stack->isVisible());
    EXPECT_EQ(window->geometry(), before);

    window->findChild<QPushButton*>(QStringLiteral("closeBtn"))->click();
    QApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    ASSERT_FALSE(window.isNull());
    EXPECT_FALSE(window->isVisible());
    delete window.data();
}

TEST(WindowFrame, ActionButtonsStartAsPrepareAndBake) {
    TremblaToolWindow window;
    EXPECT_EQ(window.prepare_btn->text(), QStringLiteral("Prepare Shake"));
    EXPECT_EQ(window.prepare_btn->property("class").toString(), QStringLiteral("primaryBtn"));
    EXPECT_EQ(window.prepare_btn->height(), 30);
    EXPECT_EQ(window.bake_btn->text(), QStringLiteral("Bake to Layer"));
    EXPECT_EQ(window.bake_btn->property("class").toString(), QStringLiteral("secondaryBtn"));
    EXPECT_EQ(window.bake_btn->height(), 28);
    EXPECT_EQ(window.prepare_btn->parentWidget()->styleSheet(),
              QStringLiteral(".QFrame { background-color: #22222a; border-bottom-left-radius: 5px;"
                             " border-bottom-right-radius: 5px; }"));
}

TEST(WindowFrame, ResetSitsRightOfBakeOnItsRowAndStartsDisabled) {
    TremblaToolWindow window;
    window.show();
    EXPECT_EQ(window.reset_btn->text(), QStringLiteral("Reset"));
    EXPECT_EQ(window.reset_btn->property("class").toString(), QStringLiteral("secondaryBtn"));
    EXPECT_FALSE(window.reset_btn->isEnabled());
    EXPECT_EQ(window.reset_btn->geometry().top(), window.bake_btn->geometry().top());
    EXPECT_GT(window.reset_btn->geometry().left(), window.bake_btn->geometry().right());
    EXPECT_EQ(window.reset_btn->height(), 28);
}

TEST(WindowReplacement, ASecondWindowClosesTheFirstAndDeletesItLater) {
    QPointer<TremblaToolWindow> first = new TremblaToolWindow;
    first->show();
    ASSERT_EQ(open_tool_windows(), 1);

    auto* second = new TremblaToolWindow;
    second->show();
    ASSERT_FALSE(first.isNull()) << "deleted at once instead of later";
    EXPECT_FALSE(first->isVisible());
    EXPECT_EQ(open_tool_windows(), 1);

    QApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_TRUE(first.isNull());
    EXPECT_EQ(open_tool_windows(), 1);
    delete second;
}

TEST(WindowReplacement, LeavesOtherTopLevelWidgetsAlone) {
    QWidget other;
    other.setObjectName(QStringLiteral("someOtherTool"));
    other.show();
    TremblaToolWindow window;
    EXPECT_TRUE(other.isVisible());
}

TEST(WindowParent, GoesUnderTheHostMainWindowUnlessGivenAParent) {
    QWidget host;
    QWidget explicit_parent;
    int lookups = 0;
    WindowContext context;
    context.host_main_window = [&] {
        ++lookups;
        return &host;
    };
    auto* under_host = new TremblaToolWindow(context);
    EXPECT_EQ(under_host->parentWidget(), &host);
    EXPECT_TRUE(under_host->isWindow());
    auto* under_explicit = new TremblaToolWindow(context, &explicit_parent);
    EXPECT_EQ(under_explicit->parentWidget(), &explicit_parent);
    EXPECT_EQ(lookups, 1);

    context.host_main_window = []() -> QWidget* { throw std::runtime_error("no host ui"); };
    TremblaToolWindow unparented(context);
    EXPECT_EQ(unparented.parentWidget(), nullptr);
}

TEST(WindowTabs, StartOnSetupWithOnlyItsTabChecked) {
    TremblaToolWindow window;
    ASSERT_EQ(window.tab_buttons.size(), 4u);
    const char* const captions[] = {"SETUP", "SHAKE", "ADVANCED", "PRESETS"};
    for (int i = 0; i < 4; ++i) {
        EXPECT_EQ(window.tab_buttons[i]->text(), QLatin1String(captions[i]));
        EXPECT_EQ(window.tab_buttons[i]->property("class").toString(), QStringLiteral("tabButton"));
        EXPECT_TRUE(window.tab_buttons[i]->isCheckable());
        EXPECT_EQ(window.tab_buttons[i]->isChecked(), i == 0);
    }
    EXPECT_EQ(window.content_stack->count(), 4);
    EXPECT_EQ(window.content_stack->currentIndex(), 0);
}

TEST(WindowTabs, ClickingATabChecksOnlyItAndShowsItsPageEvenWhenClickedTwice) {
    TremblaToolWindow window;
    window.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));
    const auto checked_tabs = [&] {
        std::vector<int> checked;
        for (std::size_t i = 0; i < window.tab_buttons.size(); ++i) {
            if (window.tab_buttons[i]->isChecked()) checked.push_back(static_cast<int>(i));
        }
        return checked;
    };
    for (int index : {1, 1, 3, 2, 0, 0}) {
        QTest::mouseClick(window.tab_buttons[index], Qt::LeftButton);
        EXPECT_EQ(checked_tabs(), std::vector<int>{index});
        EXPECT_EQ(window.content_stack->currentIndex(), index);
    }
}

TEST(WindowTabs, PagesSitInTabOrder) {
    TremblaToolWindow window;
    EXPECT_EQ(window.content_stack->widget(0), window.camera_field->parentWidget());
    EXPECT_EQ(window.content_stack->widget(1), window.ranges_field->parentWidget());
    EXPECT_EQ(window.content_stack->widget(2), window.translate_cb->parentWidget());
    EXPECT_EQ(window.content_stack->widget(3), window.preset_list->parentWidget());
}

class WindowDrag : public ::testing::Test {
protected:
    void SetUp() override {
        window = std::make_unique<TremblaToolWindow>();
        window->show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(window.get()));
        window->move(100, 100);
        QApplication::processEvents();
        start = window->pos();
        title = window->findChild<QLabel*>(QStringLiteral("titleLabel"));
    }

    QPoint grip() const { return start + QPoint(40, 12); }

    std::unique_ptr<TremblaToolWindow> window;
    QPoint start;
    QLabel* title = nullptr;
};

TEST_F(WindowDrag, LeftDragFromTheTitleMovesTheWindowWithTheCursor) {
    send_mouse(title, QEvent::MouseButtonPress, grip(), Qt::LeftButton, Qt::LeftButton);
    ASSERT_TRUE(window->_drag_pos.has_value());
    send_mouse(window.get(), QEvent::MouseMove, grip() + QPoint(30, 45), Qt::NoButton, Qt::LeftButton);
    EXPECT_EQ(window->pos(), start + QPoint(30, 45));
    send_mouse(window.get(), QEvent::MouseMove, grip() + QPoint(-20, 5), Qt::NoButton, Qt::LeftButton);
    EXPECT_EQ(window->pos(), start + QPoint(-20, 5));
    send_mouse(window.get(), QEvent::MouseButtonRelease, grip() + QPoint(-20, 5), Qt::LeftButton, Qt::NoButton);
    EXPECT_FALSE(window->_drag_pos.has_value());
}

// Docked, the window is a child of the dock's container: a title-bar drag must not shift it inside
// the container, Esc must not hide it (an empty dock), and the close button asks the context.
TEST_F(WindowDrag, DockedTheWindowFollowsItsContainerAndNeitherDragNorEscMovesOrHidesIt) {
    int dock_closes = 0;
    WindowContext context;
    context.close_dock = [&](TremblaToolWindow&) { ++dock_closes; };
    QWidget container;
    container.resize(420, 700);
    container.show();
    window = std::make_unique<TremblaToolWindow>(context);
    window->show();
    const QPoint floating_at(70, 90);
    window->move(floating_at);
    window->_place_in_dock(&container);
    QApplication::processEvents();
    EXPECT_TRUE(window->_is_docked());  // no early return: the container would delete the window
    EXPECT_EQ(TremblaToolWindow::_docked_container(), &container);
    EXPECT_EQ(window->width(), 420);
    title = window->findChild<QLabel*>(QStringLiteral("titleLabel"));
    const QPoint docked_at = window->pos();
    send_mouse(title, QEvent::MouseButtonPress, QPoint(40, 12), Qt::LeftButton, Qt::LeftButton);
    send_mouse(window.get(), QEvent::MouseMove, QPoint(90, 60), Qt::NoButton, Qt::LeftButton);
    EXPECT_EQ(window->pos(), docked_at);
    QTest::keyClick(window.get(), Qt::Key_Escape);
    EXPECT_TRUE(window->isVisible());
    window->findChild<QPushButton*>(QStringLiteral("closeBtn"))->click();
    EXPECT_EQ(dock_closes, 1);

    window->_place_floating(nullptr, true);
    EXPECT_FALSE(window->_is_docked());
    EXPECT_EQ(TremblaToolWindow::_docked_container(), nullptr);
    EXPECT_TRUE(window->windowFlags() & Qt::FramelessWindowHint);
    EXPECT_EQ(window->width(), 260);
    EXPECT_EQ(window->maximumWidth(), 260);
    EXPECT_EQ(window->pos(), floating_at);
    QTest::keyClick(window.get(), Qt::Key_Escape);
    EXPECT_FALSE(window->isVisible());
}

TEST_F(WindowDrag, RightButtonDoesNotDrag) {
    send_mouse(title, QEvent::MouseButtonPress, grip(), Qt::RightButton, Qt::RightButton);
    EXPECT_FALSE(window->_drag_pos.has_value());
    send_mouse(window.get(), QEvent::MouseMove, grip() + QPoint(30, 30), Qt::NoButton, Qt::RightButton);
    EXPECT_EQ(window->pos(), start);
}

TEST_F(WindowDrag, BothButtonsHeldDoNotMove) {
    send_mouse(window.get(), QEvent::MouseButtonPress, grip(), Qt::LeftButton, Qt::LeftButton);
    send_mouse(window.get(), QEvent::MouseButtonPress, grip(), Qt::RightButton, Qt::LeftButton | Qt::RightButton);
    send_mouse(window.get(), QEvent::MouseMove, grip() + QPoint(30, 30), Qt::NoButton,
               Qt::LeftButton | Qt::RightButton);
    EXPECT_EQ(window->pos(), start);
}

TEST_F(WindowDrag, AnyReleaseEndsTheDragEvenWithLeftStillHeld) {
    send_mouse(window.get(), QEvent::MouseButtonPress, grip(), Qt::LeftButton, Qt::LeftButton);
    send_mouse(window.get(), QEvent::MouseButtonPress, grip(), Qt::RightButton, Qt::LeftButton | Qt::RightButton);
    send_mouse(window.get(), QEvent::MouseButtonRelease, grip(), Qt::RightButton, Qt::LeftButton);
    EXPECT_FALSE(window->_drag_pos.has_value());
    send_mouse(window.get(), QEvent::MouseMove, grip() + QPoint(30, 30), Qt::NoButton, Qt::LeftButton);
    EXPECT_EQ(window->pos(), start);
}

TEST_F(WindowDrag, MovingAfterReleaseDoesNothing) {
    send_mouse(window.get(), QEvent::MouseButtonPress, grip(), Qt::LeftButton, Qt::LeftButton);
    send_mouse(window.get(), QEvent::MouseButtonRelease, grip(), Qt::LeftButton, Qt::NoButton);
    send_mouse(window.get(), QEvent::MouseMove, grip() + QPoint(30, 30), Qt::NoButton, Qt::NoButton);
    EXPECT_EQ(window->pos(), start);
}

TEST_F(WindowDrag, PressOnAButtonStartsNoDrag) {
    send_mouse(window->prepare_btn, QEvent::MouseButtonPress, window->prepare_btn->mapToGlobal(QPoint(5, 5)),
               Qt::LeftButton, Qt::LeftButton);
    EXPECT_FALSE(window->_drag_pos.has_value());
    send_mouse(window->prepare_btn, QEvent::MouseButtonRelease, window->prepare_btn->mapToGlobal(QPoint(5, 5)),
               Qt::LeftButton, Qt::NoButton);
}

TEST(AboutBox, ShowsModallyWithTheBindingGenerationInTheFooter) {
    TremblaToolWindow window;
    window.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));
    QString text;
    QString title;
    bool modal = false;
    bool rich = false;
    QString style;
    QTimer::singleShot(0, &window, [&] {
        auto* box = window.findChild<QMessageBox*>();
        if (box == nullptr) {
            ADD_FAILURE() << "no about box under the window";
            QApplication::activeModalWidget()->close();
            return;
        }
        text = box->text();
        title = box->windowTitle();
        modal = box->isModal();
        rich = box->textFormat() == Qt::RichText;
        style = box->styleSheet();
        box->done(0);
    });
    window.findChild<QPushButton*>(QStringLiteral("helpBtn"))->click();

    const QString footer = QStringLiteral("PySide%1 | Maya 2019-2026").arg(QT_VERSION >= 0x060000 ? 6 : 2);
    EXPECT_EQ(PYSIDE_VERSION, QT_VERSION >= 0x060000 ? 6 : 2);
    EXPECT_TRUE(text.contains(footer)) << text.toStdString();
    EXPECT_EQ(title, QStringLiteral("About"));
    EXPECT_TRUE(modal);
    EXPECT_TRUE(rich);
    EXPECT_TRUE(style.contains(QStringLiteral("QMessageBox { background-color: #1a1a1f; }"))) << style.toStdString();
    for (const char* part : {"Trembla Tool", "Version 2.1", "<b>Author:</b> Trembla Tool contributors"}) {
        EXPECT_TRUE(text.contains(QLatin1String(part))) << part;
    }
    EXPECT_EQ(window.findChild<QMessageBox*>(), nullptr) << "the box outlives its use";
}

}  // namespace
}  // namespace trembla
