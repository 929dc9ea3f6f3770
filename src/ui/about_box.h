// Text and look of the about box that the title bar's "?" button opens.
#pragma once

#include <QString>

namespace trembla {

// Rich text naming the tool, its version, author, the two contact channels and the footer
// "PySide{pyside_version} | Maya 2019-2026".
QString about_text(int pyside_version);

// The box's own style sheet, with the box's background set to bg.
QString about_style_sheet(const QString& bg);

}  // namespace trembla
