// The window's frame: the body with its rounded border, the title bar with its buttons, the tab bar
// that switches pages, the action buttons at the foot, and dragging the frameless window by any
// free spot. The pages are built in their own files; what the controls do is in main_window.cpp.
#include <algorithm>
#include <cstddef>

#include <QApplication>
#include <QFrame>
#include <QHBoxLayout>
#include <QLabel>
#include <QMouseEvent>
#include <QPushButton>
#include <QStackedWidget>
#include <QVBoxLayout>

#include "ui/main_window.h"
#include "ui/theme.h"
#include "ui/tool_tip.h"

namespace trembla {

void TremblaToolWindow::_build_ui() {
    auto* outer = new QVBoxLayout(this);
    outer->setContentsMargins(0, 0, 0, 0);
    outer->setSpacing(0);

    auto* main_frame = new QFrame;
    main_frame->setObjectName(QStringLiteral("mainFrame"));
    outer->addWidget(main_frame);

    auto* body = new QVBoxLayout(main_frame);
    body->setContentsMargins(0, 0, 0, 0);
    body->setSpacing(0);
    body->addWidget(_build_title_bar());
    body->addWidget(_build_tab_bar());

    content_stack = new QStackedWidget;
    content_stack->addWidget(_build_setup_page());
    content_stack->addWidget(_build_shake_page());
    content_stack->addWidget(_build_advanced_page());
    content_stack->addWidget(_build_presets_page());
    body->addWidget(content_stack, 1);

    body->addWidget(_build_buttons());

    for (SliderRow* row : findChildren<SliderRow*>()) {
        _connect_command(row, &SliderRow::dragStarted, &TremblaToolWindow::_begin_slider_drag);
        _connect_command(row, &SliderRow::dragFinished, &TremblaToolWindow::_end_slider_drag);
    }
    _set_control_tips();
}

QFrame* TremblaToolWindow::_build_title_bar() {
    auto* bar = new QFrame;
    bar->setObjectName(QStringLiteral("titleBar"));
    bar->setFixedHeight(28);
    auto* layout = new QHBoxLayout(bar);
    layout->setContentsMargins(10, 0, 8, 0);
    layout->setSpacing(6);

    auto* title = new QLabel(QString::fromLatin1(WINDOW_TITLE));
    title->setObjectName(QStringLiteral("titleLabel"));
    layout->addWidget(title);
    layout->addStretch();

    dock_btn = new QPushButton(QStringLiteral("D"));
    dock_btn->setObjectName(QStringLiteral("dockBtn"));
    _connect_command(dock_btn, &QPushButton::clicked, &TremblaToolWindow::_toggle_dock);
    layout->addWidget(dock_btn);

    auto* help = new QPushButton(QStringLiteral("?"));
    help->setObjectName(QStringLiteral("helpBtn"));
    _connect_command(help, &QPushButton::clicked, &TremblaToolWindow::_show_about);
    layout->addWidget(help);

    // A panel is folded, never maximised: the column has one width, and the host minimises its own
    // windows. Docked, the workspace sizes the panel and the fold button hides (_place_in_dock).
    fold_btn = new QPushButton;
    fold_btn->setObjectName(QStringLiteral("foldBtn"));
    _connect_command(fold_btn, &QPushButton::clicked, &TremblaToolWindow::_toggle_fold);
    layout->addWidget(fold_btn);

    auto* close = new QPushButton;
    close->setObjectName(QStringLiteral("closeBtn"));
    connect(close, &QPushButton::clicked, this, [this] { _guarded([this] { _close_from_title_bar(); }); });
    layout->addWidget(close);
    return bar;
}

QFrame* TremblaToolWindow::_build_tab_bar() {
    auto* bar = new QFrame;
    bar->setObjectName(QStringLiteral("tabBar"));
    bar->setFixedHeight(30);
    auto* layout = new QHBoxLayout(bar);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);

    tab_buttons.clear();
    const char* const captions[] = {"SETUP", "SHAKE", "ADVANCED", "PRESETS"};
    int index = 0;
    for (const char* caption : captions) {
        auto* button = new QPushButton(QLatin1String(caption));
        set_style_class(button, "tabButton");
        button->setCheckable(true);
        connect(button, &QPushButton::clicked, this, [this, index] { _guarded([&] { _switch_tab(index); }); });
        layout->addWidget(button);
        tab_buttons.push_back(button);
        ++index;
    }
    layout->addStretch();
    tab_buttons.front()->setChecked(true);
    return bar;
}

QFrame* TremblaToolWindow::_build_buttons() {
    auto* frame = new QFrame;
    // Scoped to the frame itself: an unscoped declaration would cascade onto the two buttons and, being
    // nearer to them than the window's sheet, hide their primaryBtn/secondaryBtn/preparedBtn backgrounds.
    // The frame is the window's foot: its bottom corners follow mainFrame's 6-px rounding (5 px inside
    // its 1-px border), or its square background would paint over them.
    frame->setStyleSheet(QStringLiteral(".QFrame { background-color: %1; border-bottom-left-radius: 5px;"
                                        " border-bottom-right-radius: 5px; }")
                             .arg(theme_color("bg_darker").name()));
    auto* layout = new QVBoxLayout(frame);
    layout->setContentsMargins(10, 8, 10, 10);
    layout->setSpacing(6);

    prepare_btn = new QPushButton(QStringLiteral("Prepare Shake"));
    set_style_class(prepare_btn, "primaryBtn");
    prepare_btn->setFixedHeight(30);
    _connect_user_command(prepare_btn, &TremblaToolWindow::_prepare_shake);
    layout->addWidget(prepare_btn);

    auto* row = new QHBoxLayout;
    row->setSpacing(6);
    bake_btn = new QPushButton(QStringLiteral("Bake to Layer"));
    set_style_class(bake_btn, "secondaryBtn");
    bake_btn->setFixedHeight(28);
    _connect_user_command(bake_btn, &TremblaToolWindow::_bake_to_layer);
    row->addWidget(bake_btn, 1);
    reset_btn = new QPushButton(QStringLiteral("Reset"));
    set_style_class(reset_btn, "secondaryBtn");
    reset_btn->setFixedHeight(28);
    // Nothing is applied when a window is built; the commands enable Bake and Reset while a shake
    // is (_show_applied, from _set_control_tips).
    reset_btn->setEnabled(false);
    _connect_user_command(reset_btn, &TremblaToolWindow::_reset_camera);
    row->addWidget(reset_btn);
    layout->addLayout(row);
    return frame;
}

void TremblaToolWindow::_switch_tab(int index) {
    // The tabs form no exclusive group: this loop alone keeps exactly one checked, also re-checking
    // the tab that Qt unchecked when the user clicked it while it was already checked.
    for (std::size_t i = 0; i < tab_buttons.size(); ++i) {
        tab_buttons[i]->setChecked(static_cast<int>(i) == index);
    }
    content_stack->setCurrentIndex(index);
}

namespace {

QPoint global_position(const QMouseEvent* event) {
#if QT_VERSION >= QT_VERSION_CHECK(6, 0, 0)
    return event->globalPosition().toPoint();
#else
    return event->globalPos();
#endif
}

}  // namespace

void TremblaToolWindow::mousePressEvent(QMouseEvent* event) {
    _guarded([&] {
        if (event->button() == Qt::LeftButton) {
            _drag_pos = global_position(event) - frameGeometry().topLeft();
        }
    });
}

void TremblaToolWindow::mouseMoveEvent(QMouseEvent* event) {
    _guarded([&] {
        // Docked, the host's workspace moves the panel: moving the widget would only shift it
        // inside its container.
        if (event->buttons() == Qt::LeftButton && _drag_pos && isWindow()) {
            move(global_position(event) - *_drag_pos);
        }
    });
}

void TremblaToolWindow::mouseReleaseEvent(QMouseEvent* /*event*/) {
    _guarded([&] { _drag_pos.reset(); });
}

void TremblaToolWindow::_close_from_title_bar() {
    if (isWindow()) {
        close();
        return;
    }
    // Docked, the control closes: the window leaves it first and stays, hidden, as a closed
    // floating window does.
    if (_context.close_dock) _context.close_dock(*this);
}

void TremblaToolWindow::_toggle_fold() {
    if (!isWindow()) return;
    _folded = !_folded;
    if (_folded) _unfolded_height = height();
    // Everything under the title bar: the tabs, the pages and the action buttons.
    auto* body = findChild<QFrame*>(QStringLiteral("mainFrame"));
    for (QObject* child : body->children()) {
        auto* part = qobject_cast<QWidget*>(child);
        if (part != nullptr && part->objectName() != QLatin1String("titleBar")) part->setVisible(!_folded);
    }
    _set_fold_tip();
    if (_folded) {
        layout()->activate();
        setMinimumHeight(layout()->totalMinimumSize().height());
        resize(width(), minimumHeight());
    } else {
        _fit_minimum_height();
        resize(width(), std::max(_unfolded_height, minimumHeight()));
    }
}

void TremblaToolWindow::_set_fold_tip() {
    fold_btn->setToolTip(wrapped_tip(_folded ? QStringLiteral("Unfolds the panel to its pages.")
                                             : QStringLiteral("Folds the panel to its title bar; click again to "
                                                              "unfold it. Docked, Maya's workspace sizes it.")));
}

void TremblaToolWindow::_toggle_dock() {
    if (_context.toggle_dock) _context.toggle_dock(*this);
}

void TremblaToolWindow::_place_in_dock(QWidget* container) {
    if (_folded) _toggle_fold();
    if (isWindow()) {
        _floating_pos = pos();
        _floating_height = height();
    }
    fold_btn->hide();
    _drag_pos.reset();
    QLayout* layout = container->layout();
    if (layout == nullptr) {
        layout = new QVBoxLayout(container);
        layout->setContentsMargins(0, 0, 0, 0);
    }
    // A plain child widget: no window flags, no translucent window background, and no fixed width,
    // so that the panel takes the dock's width (never below the column every page is laid out for).
    setAttribute(Qt::WA_TranslucentBackground, false);
    setParent(container, Qt::Widget);
    setMinimumWidth(kColumnWidth);
    setMaximumWidth(QWIDGETSIZE_MAX);
    layout->addWidget(this);
    show();
}

void TremblaToolWindow::_place_floating(QWidget* parent, bool visible) {
    _drag_pos.reset();
    hide();
    setParent(parent, Qt::Window | Qt::FramelessWindowHint);
    setAttribute(Qt::WA_TranslucentBackground);
    setFixedWidth(kColumnWidth);
    fold_btn->show();
    // The height it had before it was docked: the dock's height is the workspace's, not the user's.
    resize(kColumnWidth, std::max(minimumHeight(), _floating_height.value_or(minimumHeight())));
    if (_floating_pos) move(*_floating_pos);
    if (visible) show();
}

QWidget* TremblaToolWindow::_docked_container() noexcept {
    QWidget* container = nullptr;
    run_guarded({}, [&] {
        for (QWidget* widget : QApplication::allWidgets()) {
            auto* window = qobject_cast<TremblaToolWindow*>(widget);
            if (window != nullptr && !window->isWindow()) {
                container = window->parentWidget();
            }
        }
    });
    return container;
}

}  // namespace trembla
