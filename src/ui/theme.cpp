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

// The sheet itself, STYLESHEET_TEMPLATE, is in style_sheet.cpp.

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
