// The window as it is drawn: each case renders the real widgets offscreen and reads the pixels,
// because these faults were all invisible to a test of properties.
#include <gtest/gtest.h>

#include <algorithm>
#include <functional>

#include <QApplication>
#include <QImage>
#include <QLabel>
#include <QListWidget>
#include <QMessageBox>
#include <QScrollBar>
#include <QSlider>
#include <QTest>
#include <QTimer>

#include "ui/main_window.h"
#include "ui/theme.h"

namespace trembla {
namespace {

QColor palette_color(const char* key) {
    const std::string_view value = color(key);
    return QColor(QString::fromLatin1(value.data(), static_cast<int>(value.size())));
}

// The brightest channel of any pixel of `image` inside `inset` pixels from its edges.
int brightest(const QImage& image, int inset) {
    int most = 0;
    for (int y = inset; y < image.height() - inset; ++y) {
        for (int x = inset; x < image.width() - inset; ++x) {
            const QColor pixel = image.pixelColor(x, y);
            most = std::max({most, pixel.red(), pixel.green(), pixel.blue()});
        }
    }
    return most;
}

QImage picture(QWidget* widget) { return widget->grab().toImage().convertToFormat(QImage::Format_ARGB32); }

void show_page(TremblaToolWindow& window, int index) {
    window._switch_tab(index);
    QApplication::processEvents();
}

TEST(WindowLook, EmptyFieldsShowTheirPlaceholdersInTheDimTextColour) {
    TremblaToolWindow window;
    window.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));
    const int dim = palette_color("text_dim").red();  // grey: red = green, blue a little more
    const int bright = palette_color("text").red();
    const struct {
        const char* name;
        int page;
        QLineEdit* field;
    } cases[] = {{"camera", 0, window.camera_field},
                 {"source", 0, window.source_field},
                 {"ranges", 1, window.ranges_field},
                 {"preset name", 3, window.preset_name_field}};
    for (const auto& c : cases) {
        show_page(window, c.page);
        ASSERT_TRUE(c.field->text().isEmpty()) << c.name;
        ASSERT_FALSE(c.field->placeholderText().isEmpty()) << c.name;
        c.field->clearFocus();                            // a text cursor is drawn in the text colour
        const int most = brightest(picture(c.field), 2);  // inside the 1-px border
        EXPECT_GT(most, palette_color("bg_light").blue()) << c.name << ": no placeholder drawn";
        EXPECT_LE(most, dim + 8 + 8) << c.name << ": placeholder brighter than the dim colour (text is " << bright
                                     << ")";
    }
}

TEST(WindowLook, LongPresetNamesAreCutInTheMiddleNotScrolled) {
    TremblaToolWindow window;
    const QString name = QStringLiteral("handheld_follow_for_the_long_night_exterior_plates_v3_final_final");
    window.preset_list->addItem(name);
    window.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));
    show_page(window, 3);
    QApplication::processEvents();
    EXPECT_FALSE(window.preset_list->horizontalScrollBar()->isVisible());
    EXPECT_EQ(window.preset_list->textElideMode(), Qt::ElideMiddle);
    ASSERT_GT(window.preset_list->fontMetrics().boundingRect(name).width(), window.preset_list->viewport()->width())
        << "the name fits: the case tests nothing";
}

// Every control of every page gets at least the height it asks for at the window's smallest height.
TEST(WindowLook, TheSmallestWindowLeavesEveryControlItsHeight) {
    TremblaToolWindow window;
    window.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));
    window.resize(window.width(), 0);
    QApplication::processEvents();
    ASSERT_EQ(window.height(), window.minimumHeight());
    EXPECT_GE(window.minimumHeight(), 380);
    for (int page = 0; page < 4; ++page) {
        show_page(window, page);
        QList<QWidget*> controls = window.content_stack->currentWidget()->findChildren<QWidget*>();
        controls << window.prepare_btn << window.bake_btn;
        for (QWidget* control : controls) {
            const bool measured = qobject_cast<QLineEdit*>(control) || qobject_cast<QAbstractButton*>(control) ||
                                  qobject_cast<QListWidget*>(control) || qobject_cast<QSlider*>(control);
            if (!measured || !control->isVisible()) continue;
            // What a layout grants a widget at least (an explicit minimum, else its hint).
            const bool shrinks = control->sizePolicy().verticalPolicy() & QSizePolicy::ShrinkFlag;
            const int wanted = control->minimumHeight() > 0 ? control->minimumHeight()
                               : shrinks                    ? control->minimumSizeHint().height()
                                                            : control->sizeHint().height();
            EXPECT_GE(control->height(), wanted) << "page " << page << ": " << control->metaObject()->className()
                                                 << " '" << control->property("text").toString().toStdString() << "'";
        }
    }
}

// At the window's 260 px every button of the presets page shows its whole caption inside the page.
TEST(WindowLook, ThePresetsPageButtonsFitTheColumnUnclipped) {
    TremblaToolWindow window;
    window.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));
    show_page(window, 3);
    ASSERT_EQ(window.width(), 260);
    QWidget* page = window.content_stack->currentWidget();
    for (QPushButton* button :
         {window.load_btn, window.delete_btn, window.import_btn, window.export_btn, window.save_btn}) {
        const QString caption = button->text();
        const QRect inside(button->mapTo(page, QPoint(0, 0)), button->size());
        EXPECT_TRUE(page->rect().contains(inside)) << caption.toStdString();
        EXPECT_GE(button->width(), button->minimumSizeHint().width()) << caption.toStdString();
        EXPECT_GE(button->contentsRect().width(), button->fontMetrics().horizontalAdvance(caption))
            << caption.toStdString();
    }
    EXPECT_EQ(window.import_btn->width(), window.export_btn->width());
    EXPECT_EQ(window.import_btn->y(), window.export_btn->y());
    EXPECT_GT(window.import_btn->y(), window.load_btn->y());
}

TEST(WindowLook, TheAboutBoxDrawsItsRule) {
    TremblaToolWindow window;
    window.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));
    QImage text;
    QTimer::singleShot(0, &window, [&] {
        auto* box = window.findChild<QMessageBox*>();
        if (box == nullptr) {
            ADD_FAILURE() << "no about box under the window";
            QApplication::activeModalWidget()->close();
            return;
        }
        if (auto* label = box->findChild<QLabel*>(QStringLiteral("qt_msgbox_label"))) text = picture(label);
        box->done(0);
    });
    window.findChild<QPushButton*>(QStringLiteral("helpBtn"))->click();
    ASSERT_FALSE(text.isNull());
    // The rule: a row holding a long run of the border colour.
    const QRgb rule = palette_color("border").rgb();
    int longest = 0;
    for (int y = 0; y < text.height(); ++y) {
        int run = 0;
        for (int x = 0; x < text.width(); ++x) {
            run = (text.pixel(x, y) | 0xff000000u) == rule ? run + 1 : 0;
            longest = std::max(longest, run);
        }
    }
    EXPECT_GE(longest, text.width() / 2);
}

TEST(WindowLook, TheActionButtonFrameKeepsTheWindowsRoundedBottomCorners) {
    TremblaToolWindow window;
    window.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));
    const QImage image = picture(&window);
    const int bottom = image.height() - 2;
    for (int x : {1, image.width() - 2}) {
        EXPECT_LT(qAlpha(image.pixel(x, bottom)), 128) << "corner at x " << x;
    }
    // Just inside the corners the frame is painted.
    EXPECT_EQ(image.pixelColor(image.width() / 2, bottom), palette_color("bg_darker"));
}

}  // namespace
}  // namespace trembla
