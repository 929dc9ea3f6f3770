// The palette, the filling-in of the style sheet, and the sheet as the window's widgets take it:
// each styled widget is checked for the colours and fonts the sheet gives it once polished, and
// every style class the window uses must be one the sheet styles.
#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <set>
#include <stdexcept>
#include <string>
#include <vector>

#include <QApplication>
#include <QImage>
#include <QPalette>
#include <QTest>

#include "ui/main_window.h"
#include "ui/theme.h"

namespace trembla {
namespace {

struct Rule {
    std::string selector;
    std::vector<std::string> declarations;
};

std::string trim(const std::string& text) {
    const auto first = text.find_first_not_of(" \t\r\n");
    if (first == std::string::npos) {
        return {};
    }
    const auto last = text.find_last_not_of(" \t\r\n");
    return text.substr(first, last - first + 1);
}

std::string strip_comments(std::string sheet) {
    for (auto open = sheet.find("/*"); open != std::string::npos; open = sheet.find("/*")) {
        const auto close = sheet.find("*/", open);
        sheet.erase(open, close == std::string::npos ? std::string::npos : close + 2 - open);
    }
    return sheet;
}

// Splits a sheet into its rules. Fails the test on anything that is not "selector { decl; ... }",
// which also catches braces left over from the template.
std::vector<Rule> parse_sheet(const std::string& sheet) {
    std::vector<Rule> rules;
    const std::string text = strip_comments(sheet);
    std::size_t pos = 0;
    while (true) {
        const auto open = text.find('{', pos);
        if (open == std::string::npos) {
            EXPECT_EQ(trim(text.substr(pos)), "") << "text after the last rule";
            break;
        }
        const auto close = text.find('}', open);
        if (close == std::string::npos) {
            ADD_FAILURE() << "unclosed rule at " << open;
            break;
        }
        Rule rule{trim(text.substr(pos, open - pos)), {}};
        EXPECT_EQ(rule.selector.find('}'), std::string::npos) << rule.selector;
        const std::string body = text.substr(open + 1, close - open - 1);
        EXPECT_EQ(body.find('{'), std::string::npos) << "nested brace in " << rule.selector;
        std::size_t start = 0;
        while (start < body.size()) {
            auto end = body.find(';', start);
            if (end == std::string::npos) {
                end = body.size();
            }
            const std::string declaration = trim(body.substr(start, end - start));
            if (!declaration.empty()) {
                rule.declarations.push_back(declaration);
            }
            start = end + 1;
        }
        rules.push_back(rule);
        pos = close + 1;
    }
    return rules;
}

// The palette as designed, independent of the code under test.
const std::vector<std::pair<std::string, std::string>> kDesignedPalette = {
    {"bg_darkest", "#1a1a1f"},  {"bg_darker", "#22222a"},   {"bg_dark", "#2a2a32"},      {"bg_medium", "#32323a"},
    {"bg_light", "#3a3a42"},    {"border", "#3a3a42"},      {"text", "#c0c0c0"},         {"text_dim", "#707078"},
    {"text_bright", "#ffffff"}, {"accent", "#4a90b8"},      {"accent_hover", "#5aa0c8"}, {"accent_dim", "#3a7898"},
    {"tab_active", "#4a90b8"},  {"prepared_bg", "#5a8a5a"},
};

TEST(Palette, HoldsTheFourteenDesignedColoursInOrder) {
    ASSERT_EQ(COLORS.size(), kDesignedPalette.size());
    for (std::size_t i = 0; i < COLORS.size(); ++i) {
        EXPECT_EQ(std::string(COLORS[i].first), kDesignedPalette[i].first) << "entry " << i;
        EXPECT_EQ(std::string(COLORS[i].second), kDesignedPalette[i].second) << "entry " << i;
        EXPECT_EQ(std::string(color(COLORS[i].first)), kDesignedPalette[i].second);
    }
    EXPECT_THROW(color("bg_nonexistent"), std::out_of_range);
}

TEST(Stylesheet, HoldsWellFormedRulesWithNoPlaceholderLeft) {
    const std::string& sheet = STYLESHEET();
    const std::string text = strip_comments(sheet);
    const std::vector<Rule> rules = parse_sheet(sheet);
    EXPECT_GT(rules.size(), 50u);
    EXPECT_EQ(static_cast<std::size_t>(std::count(text.begin(), text.end(), '{')), rules.size());
    EXPECT_EQ(static_cast<std::size_t>(std::count(text.begin(), text.end(), '}')), rules.size());
    // A placeholder left over would read as "{word}" inside a rule body.
    for (const Rule& rule : rules) {
        EXPECT_FALSE(rule.declarations.empty()) << rule.selector;
        for (const std::string& declaration : rule.declarations) {
            EXPECT_EQ(declaration.find_first_of("{}"), std::string::npos) << declaration;
        }
    }
    // The section comments survive formatting.
    for (const char* section :
         {"Main Window", "Title Bar Buttons", "Custom Slider", "ComboBox for Presets", "Small Buttons"}) {
        EXPECT_NE(sheet.find(std::string("/* ") + section + " */"), std::string::npos) << section;
    }
}

std::vector<std::string>& qt_warnings() {
    static std::vector<std::string> warnings;
    return warnings;
}

// Qt's complaints about a style sheet ("Could not parse stylesheet of object ..."); the offscreen
// platform's own notices are not the sheet's business.
void keep_warning(QtMsgType type, const QMessageLogContext&, const QString& message) {
    if (type != QtDebugMsg && type != QtInfoMsg &&
        (message.contains(QLatin1String("stylesheet"), Qt::CaseInsensitive) ||
         message.contains(QLatin1String("style sheet"), Qt::CaseInsensitive) ||
         message.contains(QLatin1String("parse"), Qt::CaseInsensitive))) {
        qt_warnings().push_back(message.toStdString());
    }
}

// A widget of the window by "#objectName" or ".styleClass", as the sheet's selectors name them.
QWidget* find_styled(QWidget& window, const std::string& selector) {
    const QString name = QString::fromStdString(selector.substr(1));
    for (QWidget* widget : window.findChildren<QWidget*>()) {
        if (selector[0] == '#' ? widget->objectName() == name : widget->property("class").toString() == name) {
            return widget;
        }
    }
    return nullptr;
}

// A palette key, or a "#rrggbb" the sheet writes out for a colour of its own.
QColor wanted(const char* key) { return key[0] == '#' ? QColor(QLatin1String(key)) : theme_color(key); }

TEST(Stylesheet, QtTakesItWithoutAWarning) {
    qt_warnings().clear();
    const QtMessageHandler before = qInstallMessageHandler(keep_warning);
    {
        TremblaToolWindow window;  // polishes every widget (its minimum height needs the sheet's sizes)
        window.show();
        QApplication::processEvents();
    }
    qInstallMessageHandler(before);
    EXPECT_EQ(qt_warnings(), std::vector<std::string>{});
}

// What the sheet does, as the polished widgets carry it: the background and text colours reach the
// widget's palette, the font size and weight its font. Of the pseudo-states, checked is drawn below.
TEST(Stylesheet, StyledWidgetsTakeTheThemesColoursAndFonts) {
    TremblaToolWindow window;
    const struct {
        const char* selector;
        const char* background;  // nullptr: the widget keeps the transparent default
        const char* text;
        int pixel_size;
        bool bold;
    } cases[] = {
        {"#mainFrame", "bg_darkest", "text", 11, false},   {"#titleBar", "bg_darker", "text", 11, false},
        {"#titleLabel", nullptr, "text_bright", 11, true}, {"#helpBtn", nullptr, "text_dim", 11, true},
        {"#foldBtn", "bg_light", "text", 11, false},       {"#closeBtn", "#aa4444", "text", 11, false},
        {"#tabBar", "bg_darker", "text", 11, false},       {".tabButton", nullptr, "text_dim", 9, true},
        {".sourceLabel", nullptr, "text_dim", 11, true},   {".setBtn", "bg_medium", "text_dim", 11, false},
        {".sectionHeader", nullptr, "text", 11, true},     {".sliderLabel", nullptr, "text_dim", 11, false},
        {".sliderValue", "bg_dark", "text", 11, false},    {".primaryBtn", "accent", "text_bright", 11, true},
        {".secondaryBtn", "bg_medium", "text", 11, false}, {".smallBtn", "bg_medium", "text", 11, false},
        {".deleteBtn", "#4a3030", "text", 11, false},
    };
    for (const auto& c : cases) {
        QWidget* widget = find_styled(window, c.selector);
        ASSERT_NE(widget, nullptr) << c.selector;
        const QPalette palette = widget->palette();
        if (c.background != nullptr) {
            EXPECT_EQ(palette.color(QPalette::Active, QPalette::Window), wanted(c.background)) << c.selector;
        }
        EXPECT_EQ(palette.color(QPalette::Active, QPalette::WindowText), wanted(c.text)) << c.selector;
        EXPECT_EQ(widget->font().pixelSize(), c.pixel_size) << c.selector;
        EXPECT_EQ(widget->font().bold(), c.bold) << c.selector;
    }
    const struct {
        const char* name;
        QWidget* widget;
        const char* background;
    } fields[] = {{"camera field", window.camera_field, "bg_dark"},
                  {"ranges field", window.ranges_field, "bg_dark"},
                  {"preset list", window.preset_list, "bg_darkest"}};
    for (const auto& f : fields) {
        EXPECT_EQ(f.widget->palette().color(QPalette::Active, QPalette::Base), wanted(f.background)) << f.name;
        EXPECT_EQ(f.widget->palette().color(QPalette::Active, QPalette::Text), wanted("text")) << f.name;
    }
}

// Style classes given to widgets never shown, and the prepare button's switch after a prepare
// (change_style_class must re-polish, or the shown button keeps its old look).
TEST(Stylesheet, EveryStyleClassTheWindowUsesIsStyledAndASwitchRestyles) {
    TremblaToolWindow window;
    const std::string& sheet = STYLESHEET();
    const auto styled = [&sheet](const std::string& style_class) {
        const std::string selector = "." + style_class;
        for (auto at = sheet.find(selector); at != std::string::npos; at = sheet.find(selector, at + 1)) {
            const char next = sheet[at + selector.size()];
            if (!std::isalnum(static_cast<unsigned char>(next)) && next != '_') return true;
        }
        return false;
    };
    std::set<std::string> classes = {"preparedBtn"};
    for (QWidget* widget : window.findChildren<QWidget*>()) {
        const QString style_class = widget->property("class").toString();
        if (!style_class.isEmpty()) classes.insert(style_class.toStdString());
    }
    EXPECT_EQ(classes.size(), 11u);  // the ten the builders give, and preparedBtn
    for (const std::string& style_class : classes) {
        EXPECT_TRUE(styled(style_class)) << style_class;
    }
    window.show();
    QApplication::processEvents();
    change_style_class(window.prepare_btn, "preparedBtn");
    EXPECT_EQ(window.prepare_btn->palette().color(QPalette::Active, QPalette::Window), wanted("prepared_bg"));
    change_style_class(window.prepare_btn, "primaryBtn");
    EXPECT_EQ(window.prepare_btn->palette().color(QPalette::Active, QPalette::Window), wanted("accent"));
}

// The checked tab is underlined in the tab colour, the others not at all.
TEST(Stylesheet, OnlyTheCheckedTabIsUnderlined) {
    TremblaToolWindow window;
    window.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));
    for (int checked = 0; checked < 2; ++checked) {
        window._switch_tab(checked);
        QApplication::processEvents();
        for (int i = 0; i < 2; ++i) {
            QPushButton* tab = window.tab_buttons[static_cast<std::size_t>(i)];
            const QImage image = tab->grab().toImage();
            const QColor foot = image.pixelColor(image.width() / 2, image.height() - 1);
            EXPECT_EQ(foot == wanted("tab_active"), i == checked) << "tab " << i << ", tab " << checked << " checked";
        }
    }
}

TEST(PaletteFormatting, ReplacesKeysAndUndoublesBraces) {
    EXPECT_EQ(format_with_palette("QWidget {{ color: {text}; }}", COLORS), "QWidget { color: #c0c0c0; }");
    EXPECT_EQ(format_with_palette("{accent}{accent_hover}", COLORS), "#4a90b8#5aa0c8");
    EXPECT_EQ(format_with_palette("", COLORS), "");
}

TEST(PaletteFormatting, RejectsUnknownKeysAndStrayBraces) {
    EXPECT_THROW(format_with_palette("a {{ color: {missing}; }}", COLORS), std::invalid_argument);
    EXPECT_THROW(format_with_palette("a { color: red; }", COLORS), std::invalid_argument);
    EXPECT_THROW(format_with_palette("color: {text", COLORS), std::invalid_argument);
    EXPECT_THROW(format_with_palette("a }", COLORS), std::invalid_argument);
}

}  // namespace
}  // namespace trembla
