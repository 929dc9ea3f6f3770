// Small builders shared by the four pages.
#pragma once

#include <QLabel>
#include <QString>
#include <QVBoxLayout>
#include <QWidget>

#include "ui/theme.h"

namespace trembla {

// A page: a widget with a vertical layout of margins 12, 10, 12, 10 and spacing 8.
inline QVBoxLayout* make_page_layout(QWidget* page) {
    auto* layout = new QVBoxLayout(page);
    layout->setContentsMargins(12, 10, 12, 10);
    layout->setSpacing(8);
    return layout;
}

inline QLabel* make_styled_label(const char* text, const char* style_class) {
    auto* label = new QLabel(QString::fromLatin1(text));
    set_style_class(label, style_class);
    return label;
}

inline QLabel* make_section_header(const char* text) { return make_styled_label(text, "sectionHeader"); }

}  // namespace trembla
