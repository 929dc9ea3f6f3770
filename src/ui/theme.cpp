#include "ui/theme.h"

#include <stdexcept>

#include <QColor>
#include <QString>
#include <QStyle>
#include <QVariant>
#include <QWidget>

namespace trembla {

std::string_view color(std::string_view key) {
    for (const auto& [name, value] : COLORS) {
        if (name == key) {
            return value;
        }
    }
    throw std::out_of_range("no palette colour named '" + std::string(key) + "'");
}

QColor theme_color(std::string_view key) {
    const std::string_view value = color(key);
    return QColor(QString::fromLatin1(value.data(), static_cast<int>(value.size())));
}

const std::string_view STYLESHEET_TEMPLATE = R"(
/* Main Window */
QWidget {{
    font-family: 'Segoe UI', 'Arial', sans-serif;
    font-size: 11px;
    color: {text};
    background-color: transparent;
}}

QFrame#mainFrame {{
    background-color: {bg_darkest};
    border: 1px solid {border};
    border-radius: 6px;
}}

/* Title Bar */
QFrame#titleBar {{
    background-color: {bg_darker};
    border-top-left-radius: 6px;
    border-top-right-radius: 6px;
    border-bottom: 1px solid {border};
}}

QLabel#titleLabel {{
    font-family: 'Consolas', 'Courier New', monospace;
    font-size: 11px;
    font-weight: bold;
    color: {text_bright};
}}

/* Title Bar Buttons */
QPushButton#minBtn, QPushButton#maxBtn {{
    background-color: {bg_light};
    border: none;
    border-radius: 0px;
    min-width: 12px;
    max-width: 12px;
    min-height: 12px;
    max-height: 12px;
}}

QPushButton#closeBtn {{
    background-color: #aa4444;
    border: none;
    border-radius: 0px;
    min-width: 12px;
    max-width: 12px;
    min-height: 12px;
    max-height: 12px;
}}

QPushButton#closeBtn:hover {{
    background-color: #cc5555;
}}

/* Tab Bar */
QFrame#tabBar {{
    background-color: {bg_darker};
    border-bottom: 1px solid {border};
}}

QPushButton.tabButton {{
    background-color: transparent;
    border: none;
    border-bottom: 2px solid transparent;
    color: {text_dim};
    font-size: 9px;
    font-weight: bold;
    padding: 6px 8px;
}}

QPushButton.tabButton:hover {{
    color: {text};
}}

QPushButton.tabButton:checked {{
    color: {tab_active};
    border-bottom: 2px solid {tab_active};
}}

/* Source Row */
QFrame#sourceRow {{
    background-color: transparent;
}}

QLabel.sourceLabel {{
    font-size: 11px;
    font-weight: bold;
    color: {text_dim};
}}

QLineEdit {{
    background-color: {bg_dark};
    border: 1px solid {border};
    border-radius: 3px;
    color: {text};
    padding: 4px 6px;
    font-size: 11px;
}}

QLineEdit:focus {{
    border: 1px solid {accent};
}}

QPushButton.setBtn {{
    background-color: {bg_medium};
    border: 1px solid {border};
    border-radius: 3px;
    color: {text_dim};
    font-size: 11px;
    padding: 4px 6px;
}}

QPushButton.setBtn:hover {{
    background-color: {bg_light};
    color: {text};
}}

/* Section Headers */
QLabel.sectionHeader {{
    font-size: 11px;
    font-weight: bold;
    color: {text};
    padding: 4px 0px;
}}

/* Slider Row */
QLabel.sliderLabel {{
    font-size: 11px;
    color: {text_dim};
}}

QLineEdit.sliderValue {{
    background-color: {bg_dark};
    border: 1px solid {border};
    border-radius: 2px;
    color: {text};
    font-size: 11px;
    padding: 2px 4px;
}}

/* Custom Slider */
QSlider::groove:horizontal {{
    background-color: {bg_dark};
    height: 4px;
    border-radius: 2px;
}}

QSlider::handle:horizontal {{
    background-color: {accent};
    width: 12px;
    height: 12px;
    margin: -4px 0;
    border-radius: 6px;
}}

QSlider::handle:horizontal:hover {{
    background-color: {accent_hover};
}}

QSlider::sub-page:horizontal {{
    background-color: {accent};
    border-radius: 2px;
}}

/* Main Buttons */
QPushButton.primaryBtn {{
    background-color: {accent};
    border: 1px solid {accent_hover};
    border-radius: 3px;
    color: {text_bright};
    font-size: 11px;
    font-weight: bold;
    padding: 8px 16px;
}}

QPushButton.primaryBtn:hover {{
    background-color: {accent_hover};
    border-color: {text_bright};
}}

QPushButton.primaryBtn:pressed {{
    background-color: {accent_dim};
}}

QPushButton.preparedBtn {{
    background-color: {prepared_bg};
    border: 1px solid #6a9a6a;
    border-radius: 3px;
    color: {text_bright};
    font-size: 11px;
    font-weight: bold;
    padding: 8px 16px;
}}

QPushButton.preparedBtn:hover {{
    background-color: #6a9a6a;
}}

QPushButton.secondaryBtn {{
    background-color: {bg_medium};
    border: 1px solid {border};
    border-radius: 3px;
    color: {text};
    font-size: 11px;
    padding: 8px 16px;
}}

QPushButton.secondaryBtn:hover {{
    background-color: {bg_light};
}}

/* Help Button */
QPushButton#helpBtn {{
    background-color: transparent;
    border: 1px solid {border};
    border-radius: 3px;
    color: {text_dim};
    font-size: 11px;
    font-weight: bold;
    min-width: 18px;
    max-width: 18px;
    min-height: 18px;
    max-height: 18px;
    padding: 0px;
}}

QPushButton#helpBtn:hover {{
    background-color: {bg_light};
    color: {text_bright};
    border-color: {accent};
}}

/* Checkboxes */
QCheckBox {{
    font-size: 11px;
    color: {text};
    spacing: 6px;
}}

QCheckBox::indicator {{
    width: 12px;
    height: 12px;
    border-radius: 2px;
    border: 1px solid {border};
    background-color: {bg_dark};
}}

QCheckBox::indicator:checked {{
    background-color: {accent};
    border-color: {accent};
}}

/* Radio Buttons */
QRadioButton {{
    font-size: 11px;
    color: {text};
    spacing: 6px;
}}

QRadioButton::indicator {{
    width: 12px;
    height: 12px;
    border-radius: 6px;
    border: 1px solid {border};
    background-color: {bg_dark};
}}

QRadioButton::indicator:checked {{
    background-color: {accent};
    border-color: {accent};
}}

/* Scroll Area */
QScrollArea {{
    background-color: transparent;
    border: none;
}}

QScrollBar:vertical {{
    background-color: {bg_darker};
    width: 6px;
}}

QScrollBar::handle:vertical {{
    background-color: {bg_light};
    border-radius: 3px;
    min-height: 20px;
}}

QScrollBar::add-line:vertical, QScrollBar::sub-line:vertical {{
    height: 0px;
}}

/* ComboBox for Presets */
QComboBox {{
    background-color: {bg_dark};
    border: 1px solid {border};
    border-radius: 3px;
    color: {text};
    padding: 5px 8px;
    font-size: 11px;
    min-height: 18px;
}}

QComboBox:hover {{
    border-color: {accent};
}}

QComboBox::drop-down {{
    border: none;
    width: 20px;
}}

QComboBox::down-arrow {{
    image: none;
    border-left: 4px solid transparent;
    border-right: 4px solid transparent;
    border-top: 5px solid {text_dim};
    margin-right: 6px;
}}

QComboBox QAbstractItemView {{
    background-color: {bg_dark};
    border: 1px solid {border};
    selection-background-color: {accent};
    selection-color: {text_bright};
    color: {text};
}}

/* Preset List */
QListWidget {{
    background-color: {bg_darkest};
    border: 1px solid {border};
    border-radius: 3px;
    color: {text};
    font-size: 11px;
    padding: 4px;
    outline: none;
}}

QListWidget::item {{
    padding: 6px 8px;
    border-radius: 3px;
    background-color: {bg_medium};
    margin: 2px 0px;
    outline: none;
    border: none;
}}

QListWidget::item:focus {{
    outline: none;
    border: none;
}}

QListWidget::item:selected {{
    background-color: {accent};
    color: {text_bright};
}}

QListWidget::item:selected:hover {{
    background-color: {accent_hover};
    color: {text_bright};
}}

QListWidget::item:hover:!selected {{
    background-color: {bg_light};
}}

/* Small Buttons */
QPushButton.smallBtn {{
    background-color: {bg_medium};
    border: 1px solid {border};
    border-radius: 3px;
    color: {text};
    font-size: 11px;
    padding: 6px 12px;
}}

QPushButton.smallBtn:hover {{
    background-color: {bg_light};
    border-color: {accent};
}}

QPushButton.deleteBtn {{
    background-color: #4a3030;
    border: 1px solid #5a4040;
    border-radius: 3px;
    color: {text};
    font-size: 11px;
    padding: 6px 12px;
}}

QPushButton.deleteBtn:hover {{
    background-color: #5a3535;
    border-color: #aa5555;
}}
)";

std::string format_with_palette(std::string_view style_template, const Palette& palette) {
    std::string out;
    out.reserve(style_template.size() + style_template.size() / 4);
    std::size_t i = 0;
    while (i < style_template.size()) {
        const char c = style_template[i];
        const bool doubled = i + 1 < style_template.size() && style_template[i + 1] == c;
        if (c == '}') {
            if (!doubled) {
                throw std::invalid_argument("style template: single '}' at offset " + std::to_string(i));
            }
            out += '}';
            i += 2;
        } else if (c != '{') {
            out += c;
            ++i;
        } else if (doubled) {
            out += '{';
            i += 2;
        } else {
            const std::size_t close = style_template.find('}', i + 1);
            if (close == std::string_view::npos) {
                throw std::invalid_argument("style template: unclosed '{' at offset " + std::to_string(i));
            }
            const std::string_view key = style_template.substr(i + 1, close - i - 1);
            bool found = false;
            for (const auto& [name, value] : palette) {
                if (name == key) {
                    out += value;
                    found = true;
                    break;
                }
            }
            if (!found) {
                throw std::invalid_argument("style template: no palette colour named '" + std::string(key) + "'");
            }
            i = close + 1;
        }
    }
    return out;
}

const std::string& STYLESHEET() {
    static const std::string sheet = format_with_palette(STYLESHEET_TEMPLATE, COLORS);
    return sheet;
}

void set_style_class(QWidget* widget, const char* style_class) {
    widget->setProperty("class", QString::fromLatin1(style_class));
}

void change_style_class(QWidget* widget, const char* style_class) {
    set_style_class(widget, style_class);
    widget->style()->unpolish(widget);
    widget->style()->polish(widget);
}

}  // namespace trembla
