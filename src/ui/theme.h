// The window's one dark look: the named palette and the style sheet made from it.
#pragma once

#include <array>
#include <string>
#include <string_view>
#include <utility>

#include <QColor>

class QWidget;

namespace trembla {

using ColorEntry = std::pair<std::string_view, std::string_view>;  // key, "#rrggbb"
using Palette = std::array<ColorEntry, 14>;

// bg_light/border and accent/tab_active share a value but stay separate keys, so that either can
// be retuned alone.
inline constexpr Palette COLORS = {{
    {"bg_darkest", "#1a1a1f"},
    {"bg_darker", "#22222a"},
    {"bg_dark", "#2a2a32"},
    {"bg_medium", "#32323a"},
    {"bg_light", "#3a3a42"},
    {"border", "#3a3a42"},
    {"text", "#c0c0c0"},
    {"text_dim", "#707078"},
    {"text_bright", "#ffffff"},
    {"accent", "#4a90b8"},
    {"accent_hover", "#5aa0c8"},
    {"accent_dim", "#3a7898"},
    {"tab_active", "#4a90b8"},
    {"prepared_bg", "#5a8a5a"},
}};

// The colour of one palette key; std::out_of_range for a key the palette lacks.
std::string_view color(std::string_view key);
// The same as a QColor, for palettes and painting.
QColor theme_color(std::string_view key);

// The style sheet with {key} placeholders for palette colours and doubled braces for the sheet's
// own braces.
extern const std::string_view STYLESHEET_TEMPLATE;

// Replaces each {key} by its palette colour and each {{ or }} by a single brace.
// std::invalid_argument for a key the palette lacks, a lone '}' or an unclosed '{'.
std::string format_with_palette(std::string_view style_template, const Palette& palette);

// STYLESHEET_TEMPLATE formatted with COLORS, built on the first call and kept. Module start-up calls
// it so that a broken template fails the start instead of the first window.
const std::string& STYLESHEET();

// Style classes are the dynamic property "class", matched by the sheet's Type.name selectors.
// set_style_class is for widgets not yet shown; change_style_class also re-polishes the widget,
// without which a shown widget keeps its old look.
void set_style_class(QWidget* widget, const char* style_class);
void change_style_class(QWidget* widget, const char* style_class);

}  // namespace trembla
