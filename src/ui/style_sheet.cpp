// The window's style sheet, compiled in (no file to find at run time beside the module): {key} stands
// for a palette colour of theme.h, and the sheet's own braces are doubled. format_with_palette
// (theme.cpp) turns it into the sheet the window sets; which widget each selector reaches is named
// in the window's builders by object name or by style class (set_style_class).
#include <string_view>

#include "ui/theme.h"

namespace trembla {

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
QPushButton#foldBtn {{
    background-color: {bg_light};
    border: none;
    border-radius: 0px;
    min-width: 12px;
    max-width: 12px;
    min-height: 12px;
    max-height: 12px;
}}

QPushButton#foldBtn:hover {{
    background-color: {accent_dim};
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

QLineEdit, QSpinBox {{
    background-color: {bg_dark};
    border: 1px solid {border};
    border-radius: 3px;
    color: {text};
    padding: 4px 6px;
    font-size: 11px;
}}

QLineEdit:focus, QSpinBox:focus {{
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

/* A disabled row (the fades without a range) reads as out of use. */
QLineEdit.sliderValue:disabled {{
    color: {text_dim};
}}

QSlider::handle:horizontal:disabled {{
    background-color: {border};
}}

QSlider::sub-page:horizontal:disabled {{
    background-color: {border};
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

QPushButton.secondaryBtn:disabled {{
    color: {text_dim};
}}

/* Tooltips: the panel's own dark look, not the platform's light yellow. A tooltip of a widget of the
   window takes the window's sheet. */
QToolTip {{
    background-color: {bg_darker};
    color: {text};
    border: 1px solid {accent_dim};
    padding: 4px;
    font-size: 11px;
}}

/* Help Button */
QPushButton#helpBtn, QPushButton#dockBtn {{
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

QPushButton#helpBtn:hover, QPushButton#dockBtn:hover {{
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

/* A preset button that cannot act now (its tooltip says why) must not look pressable. */
QPushButton.smallBtn:disabled, QPushButton.deleteBtn:disabled {{
    background-color: {bg_dark};
    border-color: {bg_medium};
    color: {text_dim};
}}
)";

}  // namespace trembla
