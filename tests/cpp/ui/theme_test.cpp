#include <gtest/gtest.h>

#include <map>
#include <stdexcept>
#include <string>
#include <vector>

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

// The sheet's rules as the design lists them; {key} stands for a palette colour.
const std::vector<Rule>& expected_rules() {
    static const std::vector<Rule> rules = [] {
        const std::vector<std::string> square12 = {"min-width: 12px", "max-width: 12px", "min-height: 12px",
                                                    "max-height: 12px"};
        auto with = [](std::vector<std::string> head, const std::vector<std::string>& tail) {
            head.insert(head.end(), tail.begin(), tail.end());
            return head;
        };
        return std::vector<Rule>{
            {"QWidget",
             {"font-family: 'Segoe UI', 'Arial', sans-serif", "font-size: 11px", "color: {text}",
              "background-color: transparent"}},
            {"QFrame#mainFrame", {"background-color: {bg_darkest}", "border: 1px solid {border}", "border-radius: 6px"}},
            {"QFrame#titleBar",
             {"background-color: {bg_darker}", "border-top-left-radius: 6px", "border-top-right-radius: 6px",
              "border-bottom: 1px solid {border}"}},
            {"QLabel#titleLabel",
             {"font-family: 'Consolas', 'Courier New', monospace", "font-size: 11px", "font-weight: bold",
              "color: {text_bright}"}},
            {"QPushButton#minBtn, QPushButton#maxBtn",
             with({"background-color: {bg_light}", "border: none", "border-radius: 0px"}, square12)},
            {"QPushButton#closeBtn", with({"background-color: #aa4444", "border: none", "border-radius: 0px"}, square12)},
            {"QPushButton#closeBtn:hover", {"background-color: #cc5555"}},
            {"QFrame#tabBar", {"background-color: {bg_darker}", "border-bottom: 1px solid {border}"}},
            {"QPushButton.tabButton",
             {"background-color: transparent", "border: none", "border-bottom: 2px solid transparent",
              "color: {text_dim}", "font-size: 9px", "font-weight: bold", "padding: 6px 8px"}},
            {"QPushButton.tabButton:hover", {"color: {text}"}},
            {"QPushButton.tabButton:checked", {"color: {tab_active}", "border-bottom: 2px solid {tab_active}"}},
            {"QFrame#sourceRow", {"background-color: transparent"}},
            {"QLabel.sourceLabel", {"font-size: 11px", "font-weight: bold", "color: {text_dim}"}},
            {"QLineEdit",
             {"background-color: {bg_dark}", "border: 1px solid {border}", "border-radius: 3px", "color: {text}",
              "padding: 4px 6px", "font-size: 11px"}},
            {"QLineEdit:focus", {"border: 1px solid {accent}"}},
            {"QPushButton.setBtn",
             {"background-color: {bg_medium}", "border: 1px solid {border}", "border-radius: 3px",
              "color: {text_dim}", "font-size: 11px", "padding: 4px 6px"}},
            {"QPushButton.setBtn:hover", {"background-color: {bg_light}", "color: {text}"}},
            {"QLabel.sectionHeader", {"font-size: 11px", "font-weight: bold", "color: {text}", "padding: 4px 0px"}},
            {"QLabel.sliderLabel", {"font-size: 11px", "color: {text_dim}"}},
            {"QLineEdit.sliderValue",
             {"background-color: {bg_dark}", "border: 1px solid {border}", "border-radius: 2px", "color: {text}",
              "font-size: 11px", "padding: 2px 4px"}},
            {"QSlider::groove:horizontal", {"background-color: {bg_dark}", "height: 4px", "border-radius: 2px"}},
            {"QSlider::handle:horizontal",
             {"background-color: {accent}", "width: 12px", "height: 12px", "margin: -4px 0", "border-radius: 6px"}},
            {"QSlider::handle:horizontal:hover", {"background-color: {accent_hover}"}},
            {"QSlider::sub-page:horizontal", {"background-color: {accent}", "border-radius: 2px"}},
            {"QPushButton.primaryBtn",
             {"background-color: {accent}", "border: 1px solid {accent_hover}", "border-radius: 3px",
              "color: {text_bright}", "font-size: 11px", "font-weight: bold", "padding: 8px 16px"}},
            {"QPushButton.primaryBtn:hover", {"background-color: {accent_hover}", "border-color: {text_bright}"}},
            {"QPushButton.primaryBtn:pressed", {"background-color: {accent_dim}"}},
            {"QPushButton.preparedBtn",
             {"background-color: {prepared_bg}", "border: 1px solid #6a9a6a", "border-radius: 3px",
              "color: {text_bright}", "font-size: 11px", "font-weight: bold", "padding: 8px 16px"}},
            {"QPushButton.preparedBtn:hover", {"background-color: #6a9a6a"}},
            {"QPushButton.secondaryBtn",
             {"background-color: {bg_medium}", "border: 1px solid {border}", "border-radius: 3px", "color: {text}",
              "font-size: 11px", "padding: 8px 16px"}},
            {"QPushButton.secondaryBtn:hover", {"background-color: {bg_light}"}},
            {"QPushButton#helpBtn",
             {"background-color: transparent", "border: 1px solid {border}", "border-radius: 3px",
              "color: {text_dim}", "font-size: 11px", "font-weight: bold", "min-width: 18px", "max-width: 18px",
              "min-height: 18px", "max-height: 18px", "padding: 0px"}},
            {"QPushButton#helpBtn:hover",
             {"background-color: {bg_light}", "color: {text_bright}", "border-color: {accent}"}},
            {"QCheckBox", {"font-size: 11px", "color: {text}", "spacing: 6px"}},
            {"QCheckBox::indicator",
             {"width: 12px", "height: 12px", "border-radius: 2px", "border: 1px solid {border}",
              "background-color: {bg_dark}"}},
            {"QCheckBox::indicator:checked", {"background-color: {accent}", "border-color: {accent}"}},
            {"QRadioButton", {"font-size: 11px", "color: {text}", "spacing: 6px"}},
            {"QRadioButton::indicator",
             {"width: 12px", "height: 12px", "border-radius: 6px", "border: 1px solid {border}",
              "background-color: {bg_dark}"}},
            {"QRadioButton::indicator:checked", {"background-color: {accent}", "border-color: {accent}"}},
            {"QScrollArea", {"background-color: transparent", "border: none"}},
            {"QScrollBar:vertical", {"background-color: {bg_darker}", "width: 6px"}},
            {"QScrollBar::handle:vertical", {"background-color: {bg_light}", "border-radius: 3px", "min-height: 20px"}},
            {"QScrollBar::add-line:vertical, QScrollBar::sub-line:vertical", {"height: 0px"}},
            {"QComboBox",
             {"background-color: {bg_dark}", "border: 1px solid {border}", "border-radius: 3px", "color: {text}",
              "padding: 5px 8px", "font-size: 11px", "min-height: 18px"}},
            {"QComboBox:hover", {"border-color: {accent}"}},
            {"QComboBox::drop-down", {"border: none", "width: 20px"}},
            {"QComboBox::down-arrow",
             {"image: none", "border-left: 4px solid transparent", "border-right: 4px solid transparent",
              "border-top: 5px solid {text_dim}", "margin-right: 6px"}},
            {"QComboBox QAbstractItemView",
             {"background-color: {bg_dark}", "border: 1px solid {border}", "selection-background-color: {accent}",
              "selection-color: {text_bright}", "color: {text}"}},
            {"QListWidget",
             {"background-color: {bg_darkest}", "border: 1px solid {border}", "border-radius: 3px", "color: {text}",
              "font-size: 11px", "padding: 4px", "outline: none"}},
            {"QListWidget::item",
             {"padding: 6px 8px", "border-radius: 3px", "background-color: {bg_medium}", "margin: 2px 0px",
              "outline: none", "border: none"}},
            {"QListWidget::item:focus", {"outline: none", "border: none"}},
            {"QListWidget::item:selected", {"background-color: {accent}", "color: {text_bright}"}},
            {"QListWidget::item:selected:hover", {"background-color: {accent_hover}", "color: {text_bright}"}},
            {"QListWidget::item:hover:!selected", {"background-color: {bg_light}"}},
            {"QPushButton.smallBtn",
             {"background-color: {bg_medium}", "border: 1px solid {border}", "border-radius: 3px", "color: {text}",
              "font-size: 11px", "padding: 6px 12px"}},
            {"QPushButton.smallBtn:hover", {"background-color: {bg_light}", "border-color: {accent}"}},
            {"QPushButton.deleteBtn",
             {"background-color: #4a3030", "border: 1px solid #5a4040", "border-radius: 3px", "color: {text}",
              "font-size: 11px", "padding: 6px 12px"}},
            {"QPushButton.deleteBtn:hover", {"background-color: #5a3535", "border-color: #aa5555"}},
        };
    }();
    return rules;
}

// The palette as designed, independent of the code under test.
const std::vector<std::pair<std::string, std::string>> kDesignedPalette = {
    {"bg_darkest", "#1a1a1f"}, {"bg_darker", "#22222a"}, {"bg_dark", "#2a2a32"},   {"bg_medium", "#32323a"},
    {"bg_light", "#3a3a42"},   {"border", "#3a3a42"},    {"text", "#c0c0c0"},      {"text_dim", "#707078"},
    {"text_bright", "#ffffff"}, {"accent", "#4a90b8"},   {"accent_hover", "#5aa0c8"}, {"accent_dim", "#3a7898"},
    {"tab_active", "#4a90b8"}, {"prepared_bg", "#5a8a5a"},
};

std::string resolve(std::string declaration) {
    for (const auto& [key, value] : kDesignedPalette) {
        const std::string placeholder = "{" + key + "}";
        for (auto at = declaration.find(placeholder); at != std::string::npos; at = declaration.find(placeholder)) {
            declaration.replace(at, placeholder.size(), value);
        }
    }
    return declaration;
}

TEST(Palette, HoldsTheFourteenDesignedColoursInOrder) {
    ASSERT_EQ(COLORS.size(), kDesignedPalette.size());
    for (std::size_t i = 0; i < COLORS.size(); ++i) {
        EXPECT_EQ(std::string(COLORS[i].first), kDesignedPalette[i].first) << "entry " << i;
        EXPECT_EQ(std::string(COLORS[i].second), kDesignedPalette[i].second) << "entry " << i;
        EXPECT_EQ(std::string(color(COLORS[i].first)), kDesignedPalette[i].second);
    }
    EXPECT_THROW(color("bg_nonexistent"), std::out_of_range);
}

TEST(Stylesheet, EveryRuleMatchesTheDesignRuleByRule) {
    const std::vector<Rule> actual = parse_sheet(STYLESHEET());
    const std::vector<Rule>& expected = expected_rules();
    ASSERT_EQ(actual.size(), expected.size());
    for (std::size_t i = 0; i < expected.size(); ++i) {
        EXPECT_EQ(actual[i].selector, expected[i].selector) << "rule " << i;
        std::vector<std::string> wanted;
        for (const std::string& declaration : expected[i].declarations) {
            wanted.push_back(resolve(declaration));
        }
        EXPECT_EQ(actual[i].declarations, wanted) << expected[i].selector;
    }
}

TEST(Stylesheet, KeepsOnlyRuleBracesAndNoPlaceholders) {
    const std::string& sheet = STYLESHEET();
    const std::string text = strip_comments(sheet);
    std::size_t opens = 0;
    std::size_t closes = 0;
    for (char c : text) {
        opens += c == '{';
        closes += c == '}';
    }
    EXPECT_EQ(opens, expected_rules().size());
    EXPECT_EQ(closes, expected_rules().size());
    EXPECT_EQ(sheet.find("{{"), std::string::npos);
    EXPECT_EQ(sheet.find("}}"), std::string::npos);
    // A placeholder left over would read as "{word}" inside a rule body.
    for (const Rule& rule : parse_sheet(sheet)) {
        for (const std::string& declaration : rule.declarations) {
            EXPECT_EQ(declaration.find_first_of("{}"), std::string::npos) << declaration;
        }
    }
    // The section comments survive formatting.
    for (const char* section : {"Main Window", "Title Bar Buttons", "Custom Slider", "ComboBox for Presets",
                                "Small Buttons"}) {
        EXPECT_NE(sheet.find(std::string("/* ") + section + " */"), std::string::npos) << section;
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
